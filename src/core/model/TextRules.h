#pragma once
// Rules for the text a user types into names: a pasted tab, line break or other
// control character would end up in print documents, workbooks and kbxt.ini.
#include <QString>

// True when text holds a line break, tab or any other control character.
bool HasControlCharacter(const QString& text);

// The message shown when an entry field refuses such text.
QString ControlCharacterMessage();
