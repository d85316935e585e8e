// kbxt-cli print: the print document of a print job, as the print window
// writes tmp.xml, and optionally its pages as a PDF file.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/config/AppConfig.h"
#include "core/config/AppPaths.h"
#include "core/config/SafeFile.h"
#include "core/formats/PrintQueries.h"
#include "core/store/DayScheduleStore.h"
#include "core/store/LessonsPerDay.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <exception>

namespace {

struct PrintOptions {
    ScheduleKind kind = ScheduleKind::Total;
    QString name;
    int lessonsPerDay = 6;
    QString xmlPath;
    QString pdfPath;
    QString dbPath;
    TimetableTitle title;
};

QString ParseOptions(const ToolArgs& args, PrintOptions& o) {
    QString problem = ScheduleChoice(args, {}, o.kind, o.name);
    if (problem.isEmpty())
        problem = LessonsPerDayOption(args, o.lessonsPerDay);
    if (problem.isEmpty())
        problem = TitleOption(args, o.title);
    if (!problem.isEmpty())
        return problem;
    o.xmlPath = args.value("--xml");
    o.pdfPath = args.value("--pdf");
    if (o.xmlPath.isEmpty())
        return QStringLiteral("需要 --xml OUT.xml：写出的打印文档");
    if (args.positional.size() != 1)
        return QStringLiteral("需要且只需要一个数据库文件名");
    o.dbPath = args.positional.first();
    if (!o.pdfPath.isEmpty() && SameFile(o.xmlPath, o.pdfPath))
        return QStringLiteral("--xml 和 --pdf 不能是同一个文件");
    return {};
}

// The pages are drawn by the GUI-linked kbxt-print beside this program, which
// writes the PDF safely and says why when it cannot.
int PrintPdf(const QString& xmlPath, const QString& templatePath, const QString& pdfPath) {
    const QString tool = QCoreApplication::applicationDirPath() + "/kbxt-print";
    if (!QFileInfo(tool).isExecutable()) {
        CliErr(QStringLiteral("打印失败！找不到打印程序：%1").arg(tool));
        return 1;
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(tool, {xmlPath, templatePath, pdfPath});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit) {
        CliErr(QStringLiteral("打印失败！打印程序意外退出，原有文件没有改动：%1").arg(pdfPath));
        return 1;
    }
    return p.exitCode() == 0 ? 0 : 1;
}

int runPrint(const ToolArgs& args) {
    PrintOptions o;
    if (const QString problem = ParseOptions(args, o); !problem.isEmpty())
        return args.usageError(problem);
    for (const QString& out : {o.xmlPath, o.pdfPath}) {
        if (out.isEmpty())
            continue;
        if (const QString problem = OutputFileProblem(out, o.dbPath, args.has("--force"));
            !problem.isEmpty()) {
            CliErr(args.tagged(problem));
            return 1;
        }
    }
    TimetableDb db;
    if (const QString problem = OpenToolDb(db, o.dbPath); !problem.isEmpty()) {
        CliErr(args.tagged(problem));
        return 1;
    }
    ScheduleRecords records;
    const int lessonsPerDay =
        args.has("--lessons-per-day") ? o.lessonsPerDay : LessonsPerDayFor(db, false);
    QStringList lessonTimes;
    try {
        records = QueryScheduleRecords(db, o.kind, o.name);
        if (args.has("--times"))
            lessonTimes = LessonTimeTexts(LoadDaySchedule(db), lessonsPerDay);
    } catch (const std::exception& e) {
        CliErr(QStringLiteral("打印失败！") + AsFailure(e, o.dbPath).message());
        return 1;
    }
    CloseTimetableDb(db);
    if (records.empty()) {
        CliErr(QStringLiteral("没有课表数据"));
        return 2;
    }
    try {
        SavePrintDocument(o.kind, o.xmlPath, records, lessonsPerDay, o.title, lessonTimes);
    } catch (const std::exception& e) {
        CliErr(QStringLiteral("打印失败！") +
               FailureMessage(e, QStringLiteral("写入文件出错"), o.xmlPath));
        return 1;
    }
    if (o.pdfPath.isEmpty())
        return 0;
    return PrintPdf(o.xmlPath, ResourcePath(PrintTemplateFileName(o.kind, lessonsPerDay)),
                    o.pdfPath);
}

} // namespace

KBXT_CLI_COMMAND(
    "print",
    "print (--class NAME | --all-classes | --teacher NAME | --all-teachers | --total) "
    "[--lessons-per-day 6|7] [--school NAME] [--year 2025 --term 1] [--times] [--force] "
    "--xml OUT.xml [--pdf OUT.pdf] DB",
    "写出课表打印文档（可另打印为 PDF）/ write the print document, optionally as PDF. "
    "An existing OUT is never replaced without --force, the database never.",
    ScheduleOptions({{"--xml", true}, {"--pdf", true}, {"--times", false}}),
    "--times shows each lesson's time (系统管理 → 作息时间设置) under its number.", runPrint);
