// kbxt-cli export: the workbooks of the export window, without a display.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/config/AppConfig.h"
#include "core/formats/ScheduleExport.h"
#include "core/store/DayScheduleStore.h"
#include "core/store/LessonsPerDay.h"
#include "core/store/Lookups.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

#include <QFileInfo>

int RunTemplateExport(const ToolArgs& args); // cmd_import.cpp

namespace {

int runExport(const ToolArgs& args) {
    if (args.has("--template")) {
        for (auto it = args.options.constBegin(); it != args.options.constEnd(); ++it)
            if (it.key() != QLatin1String("--template") && it.key() != QLatin1String("--force"))
                return args.usageError(
                    QStringLiteral("--template 只能与 --force 同用：%1").arg(it.key()));
        return RunTemplateExport(args);
    }
    // The words class, teacher and total stand for the options that choose all of them.
    const QStringList words{QStringLiteral("class"), QStringLiteral("teacher"),
                            QStringLiteral("total")};
    QStringList chosenWords, files;
    for (const QString& a : args.positional)
        (words.contains(a) ? chosenWords : files) << a;
    ScheduleKind kind = ScheduleKind::Total;
    QString name;
    int lessonsPerDay = 6;
    QString error = ScheduleChoice(args, chosenWords, kind, name);
    if (error.isEmpty())
        error = LessonsPerDayOption(args, lessonsPerDay);
    TimetableTitle title;
    if (error.isEmpty())
        error = TitleOption(args, title);
    if (error.isEmpty() && files.size() != 2)
        error = QStringLiteral("需要数据库文件和工作簿文件名");
    if (!error.isEmpty())
        return args.usageError(error);
    const QString& dbFile = files[0];
    const QString& outFile = files[1];
    if (const QString problem = OutputFileProblem(outFile, dbFile, args.has("--force"));
        !problem.isEmpty()) {
        CliErr(args.tagged(problem));
        return 1;
    }

    TimetableDb db;
    if (const QString problem = OpenToolDb(db, dbFile); !problem.isEmpty()) {
        CliErr(args.tagged(problem));
        return 1;
    }
    if (!args.has("--lessons-per-day"))
        lessonsPerDay = LessonsPerDayFor(db, false);
    if (kind == ScheduleKind::Class && GetClassCode(db, name).isEmpty()) {
        CliErr(QStringLiteral("没有这个班级：") + name);
        return 2;
    }
    if (kind == ScheduleKind::Teacher && GetTeacherCode(db, name).isEmpty()) {
        CliErr(QStringLiteral("没有这个教师：") + name);
        return 2;
    }

    bool saved = false;
    try {
        const QStringList lessonTimes = args.has("--times")
                                            ? LessonTimeTexts(LoadDaySchedule(db), lessonsPerDay)
                                            : QStringList();
        saved = ExportSchedule(db, kind, name, outFile, lessonsPerDay, title, lessonTimes);
    } catch (const WorkbookFailure& e) {
        const QString reason = e.message();
        CliErr(QStringLiteral("课表导出失败！") +
               (reason.isEmpty() ? QStringLiteral("写入工作簿出错：%1").arg(outFile) : reason));
        return 1;
    } catch (const std::exception& e) {
        CliErr(QStringLiteral("课表导出失败！") + AsFailure(e, dbFile).message());
        return 1;
    }
    if (!saved) {
        CliErr(kind == ScheduleKind::Class     ? QStringLiteral("该班级没有课表数据")
               : kind == ScheduleKind::Teacher ? QStringLiteral("该教师没有课表数据")
                                               : QStringLiteral("没有课表数据"));
        return 2;
    }
    CliOut(QStringLiteral("课表导出成功：%1").arg(outFile));
    return 0;
}

} // namespace

KBXT_CLI_COMMAND(
    "export",
    "export (--class NAME | --all-classes | --teacher NAME | --all-teachers | --total) "
    "[--lessons-per-day 6|7] [--school NAME] [--year 2025 --term 1] [--times] [--force] DB "
    "OUT.xlsx\n"
    "  kbxt-cli export --template [--force] DB OUT.xlsx",
    "导出课表到Excel工作簿 / write a timetable workbook (.xlsx), as the export window "
    "does; the words class, teacher and total stand for --all-classes, "
    "--all-teachers and --total. An existing OUT is never replaced without --force. "
    "Lessons per day, school name, year and term default to kbxt.ini. Exit 0 saved, 1 failure "
    "(file exists, database or write error), 2 usage error or no lessons. "
    "--template writes the import template (the lists and plan, read back by "
    "import).",
    ScheduleOptions({{"--template", false}, {"--times", false}}),
    "--times shows each lesson's time (系统管理 → 作息时间设置) under its number\n"
    "in the class and teacher workbooks.",
    runExport);
