#include "gui/shell/StartUp.h"
#include "gui/shell/frmMain.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiDialogs.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kbxt"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(kProductName));
    // Dialogs that offer a file name of their own (printing to a PDF file) start
    // in the working folder: make that the user's documents, not wherever the
    // desktop happened to start the program.
    const QString documents = DocumentsFolder();
    if (!documents.isEmpty())
        QDir::setCurrent(documents);

    AppContext ctx;
    std::unique_ptr<frmMain> window = Main(ctx);
    if (!window)
        return 1;
    window->show();
    return QApplication::exec();
}
