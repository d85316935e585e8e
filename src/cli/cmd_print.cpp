// kbxt-cli print: the print document of a print job, as the print window
// writes tmp.xml, and optionally its pages as a PDF file.
#include "cli/CliCommand.h"
#include "core/config/AppConfig.h"
#include "core/config/AppPaths.h"
#include "core/output/PrintQueries.h"
#include "core/store/TimetableDb.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <exception>
#include <optional>

namespace {

struct PrintOptions {
    ScheduleKind kind = ScheduleKind::Total;
    QString name;
    int lessonsPerDay = 6;
    QString school;
    QString xmlPath;
    QString pdfPath;
    QString dbPath;
};

constexpr const char* kUsage =
    "usage: kbxt-cli print (--class NAME | --all-classes | --teacher NAME | --all-teachers | "
    "--total) [--lessons-per-day 6|7] [--school NAME] --xml OUT.xml [--pdf OUT.pdf] DB";

std::optional<PrintOptions> ParseOptions(const QStringList& args, QString& problem) {
    PrintOptions o;
    o.lessonsPerDay = LessonsPerDaySetting();
    o.school = GetSchoolName();
    int selectors = 0;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--class" && hasValue) {
            o.kind = ScheduleKind::Class;
            o.name = args[++i];
            ++selectors;
        } else if (a == "--teacher" && hasValue) {
            o.kind = ScheduleKind::Teacher;
            o.name = args[++i];
            ++selectors;
        } else if (a == "--all-classes") {
            o.kind = ScheduleKind::AllClasses;
            ++selectors;
        } else if (a == "--all-teachers") {
            o.kind = ScheduleKind::AllTeachers;
            ++selectors;
        } else if (a == "--total") {
            o.kind = ScheduleKind::Total;
            ++selectors;
        } else if (a == "--lessons-per-day" && hasValue) {
            const QString& n = args[++i];
            if (n != "6" && n != "7") {
                problem = QStringLiteral("--lessons-per-day takes 6 or 7");
                return std::nullopt;
            }
            o.lessonsPerDay = n.toInt();
        } else if (a == "--school" && hasValue) {
            o.school = args[++i];
        } else if (a == "--xml" && hasValue) {
            o.xmlPath = args[++i];
        } else if (a == "--pdf" && hasValue) {
            o.pdfPath = args[++i];
        } else if (!a.startsWith("--") && o.dbPath.isEmpty()) {
            o.dbPath = a;
        } else {
            problem = QStringLiteral("unexpected argument ") + a;
            return std::nullopt;
        }
    }
    if (selectors != 1)
        problem = QStringLiteral("choose exactly one timetable to print");
    else if (o.xmlPath.isEmpty())
        problem = QStringLiteral("--xml OUT.xml is required");
    else if (o.dbPath.isEmpty())
        problem = QStringLiteral("give the database file");
    if (!problem.isEmpty())
        return std::nullopt;
    return o;
}

// The pages are drawn by the GUI-linked kbxt-print beside this program.
int PrintPdf(const QString& xmlPath, const QString& templatePath, const QString& pdfPath) {
    const QString tool = QCoreApplication::applicationDirPath() + "/kbxt-print";
    if (!QFileInfo(tool).isExecutable()) {
        CliErr(QStringLiteral("找不到打印程序 %1").arg(tool));
        return 1;
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(tool, {xmlPath, templatePath, pdfPath});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit) {
        CliErr(QStringLiteral("打印失败！"));
        return 1;
    }
    if (p.exitCode() != 0) {
        CliErr(QStringLiteral("打印失败！(ret = %1)").arg(p.exitCode()));
        return 1;
    }
    return 0;
}

int runPrint(const QStringList& args) {
    QString problem;
    const std::optional<PrintOptions> o = ParseOptions(args, problem);
    if (!o) {
        CliErr(QStringLiteral("kbxt-cli print: ") + problem);
        CliErr(QString::fromUtf8(kUsage));
        return 2;
    }
    TimetableDb db;
    if (!OpenTimetableDb(db, o->dbPath)) {
        CliErr(QStringLiteral("无法打开数据库：%1").arg(o->dbPath));
        return 1;
    }
    ScheduleRecords records;
    try {
        records = QueryScheduleRecords(db, o->kind, o->name);
    } catch (const std::exception& e) {
        CliErr(QStringLiteral("打印失败！") + QString::fromUtf8(e.what()));
        return 1;
    }
    CloseTimetableDb(db);
    if (records.empty()) {
        CliErr(QStringLiteral("没有课表数据"));
        return 2;
    }
    if (WritePrintDocument(o->kind, o->xmlPath, records, o->lessonsPerDay, o->school) != 0) {
        CliErr(QStringLiteral("打印失败！(ret = -1)"));
        return 1;
    }
    if (o->pdfPath.isEmpty())
        return 0;
    return PrintPdf(o->xmlPath, ResourcePath(PrintTemplateFileName(o->kind, o->lessonsPerDay)),
                    o->pdfPath);
}

} // namespace

KBXT_CLI_COMMAND("print",
                 "print (--class NAME | --all-classes | --teacher NAME | --all-teachers | --total) "
                 "[--lessons-per-day 6|7] [--school NAME] --xml OUT.xml [--pdf OUT.pdf] DB",
                 "写出课表打印文档（可另打印为 PDF）/ write the print document, optionally as PDF",
                 runPrint);
