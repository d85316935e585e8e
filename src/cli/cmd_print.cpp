// kbxt-cli print: the print document of a print job, as the print window
// writes tmp.xml, and optionally its pages as a PDF file.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/config/AppConfig.h"
#include "core/config/AppPaths.h"
#include "core/output/PrintQueries.h"
#include "core/store/LessonsPerDay.h"
#include "core/store/SafeFile.h"
#include "core/store/SqliteFailure.h"
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
    std::optional<int> lessonsPerDay; // from the setting or the timetable when not given
    QString school;
    QString xmlPath;
    QString pdfPath;
    QString dbPath;
    bool force = false;
};

constexpr const char* kUsage =
    "usage: kbxt-cli print (--class NAME | --all-classes | --teacher NAME | --all-teachers | "
    "--total) [--lessons-per-day 6|7] [--school NAME] [--force] --xml OUT.xml [--pdf OUT.pdf] DB";

std::optional<PrintOptions> ParseOptions(const QStringList& args, QString& problem) {
    PrintOptions o;
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
        } else if (a == "--force") {
            o.force = true;
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
    else if (!o.pdfPath.isEmpty() && SameFile(o.xmlPath, o.pdfPath))
        problem = QStringLiteral("--xml and --pdf name the same file");
    if (!problem.isEmpty())
        return std::nullopt;
    return o;
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

int runPrint(const QStringList& args) {
    QString problem;
    const std::optional<PrintOptions> o = ParseOptions(args, problem);
    if (!o) {
        CliErr(QStringLiteral("kbxt-cli print: ") + problem);
        CliErr(QString::fromUtf8(kUsage));
        return 2;
    }
    for (const QString& out : {o->xmlPath, o->pdfPath}) {
        if (out.isEmpty())
            continue;
        problem = OutputFileProblem(out, o->dbPath, o->force);
        if (!problem.isEmpty()) {
            CliErr(QStringLiteral("kbxt-cli print: ") + problem);
            return 1;
        }
    }
    TimetableDb db;
    problem = OpenToolDb(db, o->dbPath);
    if (!problem.isEmpty()) {
        CliErr(QStringLiteral("kbxt-cli print: ") + problem);
        return 1;
    }
    ScheduleRecords records;
    try {
        records = QueryScheduleRecords(db, o->kind, o->name);
    } catch (const std::exception& e) {
        CliErr(QStringLiteral("打印失败！") + AsFailure(e, o->dbPath).message());
        return 1;
    }
    const int lessonsPerDay = o->lessonsPerDay.value_or(LessonsPerDayFor(db, false));
    CloseTimetableDb(db);
    if (records.empty()) {
        CliErr(QStringLiteral("没有课表数据"));
        return 2;
    }
    try {
        SavePrintDocument(o->kind, o->xmlPath, records, lessonsPerDay, o->school);
    } catch (const std::exception& e) {
        CliErr(QStringLiteral("打印失败！") +
               FailureMessage(e, QStringLiteral("写入文件出错"), o->xmlPath));
        return 1;
    }
    if (o->pdfPath.isEmpty())
        return 0;
    return PrintPdf(o->xmlPath, ResourcePath(PrintTemplateFileName(o->kind, lessonsPerDay)),
                    o->pdfPath);
}

} // namespace

KBXT_CLI_COMMAND(
    "print",
    "print (--class NAME | --all-classes | --teacher NAME | --all-teachers | --total) "
    "[--lessons-per-day 6|7] [--school NAME] [--force] --xml OUT.xml [--pdf OUT.pdf] DB",
    "写出课表打印文档（可另打印为 PDF）/ write the print document, optionally as PDF. "
    "An existing OUT is never replaced without --force, the database never.",
    runPrint);
