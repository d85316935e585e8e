// kbxt-cli export: the workbooks of the export window, without a display.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/config/AppConfig.h"
#include "core/output/ScheduleExport.h"
#include "core/store/LessonsPerDay.h"
#include "core/store/Lookups.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

#include <QFileInfo>
#include <optional>

int RunTemplateExport(const QStringList& files, bool force); // cmd_import.cpp

namespace {

const char* const kUsage =
    "export (--class NAME | --all-classes | --teacher NAME | --all-teachers | --total) "
    "[--lessons-per-day 6|7] [--school NAME] [--force] DB OUT.xlsx\n"
    "  kbxt-cli export --template [--force] DB OUT.xlsx";

int Usage(const QString& problem) {
    CliErr(QStringLiteral("kbxt-cli export: ") + problem);
    CliErr(QStringLiteral("usage: kbxt-cli ") + QString::fromUtf8(kUsage));
    return 2;
}

struct Selection {
    ScheduleKind kind;
    QString name;
};

int runExport(const QStringList& args) {
    if (args.contains(QStringLiteral("--template"))) {
        QStringList files = args;
        files.removeAll(QStringLiteral("--template"));
        const bool force = files.removeAll(QStringLiteral("--force")) > 0;
        return RunTemplateExport(files, force);
    }
    std::optional<Selection> selection;
    std::optional<int> lessonsPerDay;
    std::optional<QString> school;
    bool force = false;
    QStringList files;
    auto select = [&](ScheduleKind kind, const QString& name) {
        if (selection)
            return false;
        selection = Selection{kind, name};
        return true;
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (a == "--class" || a == "--teacher") {
            if (!hasValue)
                return Usage(a + QStringLiteral(" needs a name"));
            ok = select(a == "--class" ? ScheduleKind::Class : ScheduleKind::Teacher, args[++i]);
        } else if (a == "--all-classes" || a == "class") {
            ok = select(ScheduleKind::AllClasses, {});
        } else if (a == "--all-teachers" || a == "teacher") {
            ok = select(ScheduleKind::AllTeachers, {});
        } else if (a == "--total" || a == "total") {
            ok = select(ScheduleKind::Total, {});
        } else if (a == "--lessons-per-day") {
            if (!hasValue || (args[i + 1] != "6" && args[i + 1] != "7"))
                return Usage(QStringLiteral("--lessons-per-day takes 6 or 7"));
            lessonsPerDay = args[++i].toInt();
        } else if (a == "--school") {
            if (!hasValue)
                return Usage(QStringLiteral("--school needs a name"));
            school = args[++i];
        } else if (a == "--force") {
            force = true;
        } else if (a.startsWith("--")) {
            return Usage(QStringLiteral("unknown option ") + a);
        } else {
            files << a;
        }
        if (!ok)
            return Usage(QStringLiteral("choose one timetable only"));
    }
    if (!selection)
        return Usage(QStringLiteral("choose the timetable to export"));
    if (files.size() != 2)
        return Usage(QStringLiteral("give the database and the workbook file"));
    const QString& dbFile = files[0];
    const QString& outFile = files[1];
    if (const QString problem = OutputFileProblem(outFile, dbFile, force); !problem.isEmpty()) {
        CliErr(QStringLiteral("kbxt-cli export: ") + problem);
        return 1;
    }
    if (!school)
        school = GetSchoolName();

    TimetableDb db;
    if (const QString problem = OpenToolDb(db, dbFile); !problem.isEmpty()) {
        CliErr(QStringLiteral("kbxt-cli export: ") + problem);
        return 1;
    }
    if (!lessonsPerDay)
        lessonsPerDay = LessonsPerDayFor(db, false);
    if (selection->kind == ScheduleKind::Class && GetClassCode(db, selection->name).isEmpty()) {
        CliErr(QStringLiteral("没有这个班级：") + selection->name);
        return 2;
    }
    if (selection->kind == ScheduleKind::Teacher && GetTeacherCode(db, selection->name).isEmpty()) {
        CliErr(QStringLiteral("没有这个教师：") + selection->name);
        return 2;
    }

    short result = kExportFailed;
    QString reason;
    try {
        result = ExportSchedule(db, selection->kind, selection->name, outFile, *lessonsPerDay,
                                *school, &reason);
    } catch (const std::exception& e) {
        CliErr(QStringLiteral("课表导出失败！") + AsFailure(e, dbFile).message());
        return 1;
    }
    switch (result) {
    case kExportSaved:
        CliOut(QStringLiteral("课表导出成功：%1").arg(outFile));
        return 0;
    case kExportNoData:
        CliErr(selection->kind == ScheduleKind::Class ? QStringLiteral("该班级没有课表数据")
               : selection->kind == ScheduleKind::Teacher ? QStringLiteral("该教师没有课表数据")
                                                          : QStringLiteral("没有课表数据"));
        return 2;
    default:
        CliErr(QStringLiteral("课表导出失败！") +
               (reason.isEmpty() ? QStringLiteral("写入工作簿出错：%1").arg(outFile) : reason));
        return 1;
    }
}

} // namespace

KBXT_CLI_COMMAND("export", kUsage,
                 "导出课表到Excel工作簿 / write a timetable workbook (.xlsx), as the export window "
                 "does; the words class, teacher and total stand for --all-classes, "
                 "--all-teachers and --total. An existing OUT is never replaced without --force. "
                 "Lessons per day and school name default to kbxt.ini. Exit 0 saved, 1 failure "
                 "(file exists, database or write error), 2 usage error or no lessons. "
                 "--template writes the import template (the lists and plan, read back by "
                 "import).",
                 runExport);
