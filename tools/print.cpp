// kbxt-print: prints a print document through a page template straight to a
// PDF file, without a display. kbxt-cli links no GUI library, so its
// "print --pdf" hands the document to this tool. The exit code is the print
// component's result (0 printed).
#include "gui/output/PrintComponent.h"
#include "gui/widgets/QtChinese.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    // Pages go to a file; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InstallQtChinese();
    const QStringList args = QGuiApplication::arguments().mid(1);
    if (args.size() != 3) {
        std::fputs("usage: kbxt-print DOCUMENT.xml TEMPLATE.xml OUT.pdf\n", stderr);
        return 64;
    }
    return PrintCustomXmlToPdf(args[0], args[1], args[2]);
}
