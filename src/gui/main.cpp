#include "gui/widgets/AppContext.h"
#include "gui/shell/frmMain.h"
#include "gui/shell/StartUp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kbxt"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(kProductName));

    AppContext ctx;
    std::unique_ptr<frmMain> window = Main(ctx);
    if (!window)
        return 1;
    window->show();
    return app.exec();
}
