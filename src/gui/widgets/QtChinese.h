#pragma once
// Qt's own texts (file dialogs, the print dialog, page setup, print preview,
// standard buttons) in Chinese, whatever the desktop's language.

// Loads Qt's Chinese catalogue into the running application and makes Chinese
// (China) the default locale. False when the catalogue is not installed; the
// program then works on with Qt's English texts.
bool InstallQtChinese();
