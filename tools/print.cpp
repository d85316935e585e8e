// kbxt-print: prints a print document through a page template straight to a
// PDF file, without a display. kbxt-cli links no GUI library, so its
// "print --pdf" hands the document to this tool. The exit code is the print
// component's result (0 printed); any failure is explained on stderr.
// "publish --png" likewise has it draw the pictures of a published set.
#include "core/store/TimetableDb.h"
#include "gui/output/PrintComponent.h"
#include "gui/output/PublishPictures.h"
#include "gui/widgets/QtChinese.h"

#include <QGuiApplication>
#include <cstdio>

namespace {

// kbxt-print --publish-png DB FOLDER LESSONS-PER-DAY SCHOOL [YEAR TERM]
int PublishPictures(const QStringList& args) {
    if (args.size() != 5 && args.size() != 7) {
        std::fputs("usage: kbxt-print --publish-png DB FOLDER LESSONS-PER-DAY SCHOOL [YEAR TERM]\n",
                   stderr);
        return 64;
    }
    const TimetableTitle title(args[4], args.value(5).toInt(), args.value(6).toInt());
    try {
        TimetableDb db;
        db.openChecked(args[1]);
        const PublishSchool set = ReadPublishSchool(db, args[3].toInt(), title);
        CloseTimetableDb(db);
        (void)WritePublishPictures(set, args[2]);
    } catch (const std::exception& e) {
        std::fputs(
            ("画课表图片失败！" + FailureMessage(e, QStringLiteral("写入文件出错"), args[2]) + '\n')
                .toUtf8()
                .constData(),
            stderr);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Pages go to a file; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InstallQtChinese();
    const QStringList args = QGuiApplication::arguments().mid(1);
    if (!args.isEmpty() && args.first() == QStringLiteral("--publish-png"))
        return PublishPictures(args);
    if (args.size() != 3) {
        std::fputs("usage: kbxt-print DOCUMENT.xml TEMPLATE.xml OUT.pdf\n", stderr);
        return 64;
    }
    QString error;
    const int result = PrintCustomXmlToPdf(args[0], args[1], args[2], &error);
    if (result == kPrintOutputFailed)
        std::fputs(("打印失败！" + error + '\n').toUtf8().constData(), stderr);
    else if (result == kPrintBadDocument)
        std::fputs(("打印失败！无法读取打印文档：" + args[0] + '\n').toUtf8().constData(), stderr);
    else if (result == kPrintBadTemplate)
        std::fputs(("打印失败！打印模板缺失或损坏：" + args[1] + '\n').toUtf8().constData(),
                   stderr);
    else if (result == kPrintNothingToPrint)
        std::fputs("打印失败！打印文档中没有课表\n", stderr);
    return result;
}
