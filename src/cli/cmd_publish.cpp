// kbxt-cli publish: the timetables as a folder of web pages, with pictures and
// phone calendars when asked, as 发布课表 writes them.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/config/AppConfig.h"
#include "core/formats/PublishFolder.h"
#include "core/store/LessonsPerDay.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <exception>

namespace {

// The pictures are drawn by the GUI-linked kbxt-print beside this program,
// which reads the same timetable from the database (closed here by then).
PublishPictureWriter PictureTool(const QString& dbPath, int lessonsPerDay,
                                 const TimetableTitle& title) {
    return [=](const PublishSchool& s, const QString& folder) {
        const QString tool = QCoreApplication::applicationDirPath() + "/kbxt-print";
        if (!QFileInfo(tool).isExecutable())
            throw Failure(QStringLiteral("找不到画图程序"), tool);
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(tool,
                {QStringLiteral("--publish-png"), dbPath, folder, QString::number(lessonsPerDay),
                 title.school, QString::number(title.year), QString::number(title.term)});
        if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            throw Failure(QStringLiteral("课表图片没有画成"), folder);
        return static_cast<int>(s.classes.size() + s.teachers.size());
    };
}

int runPublish(const ToolArgs& args) {
    int lessonsPerDay = 6;
    TimetableTitle title;
    QString usage = LessonsPerDayOption(args, lessonsPerDay);
    if (usage.isEmpty())
        usage = TitleOption(args, title);
    if (!usage.isEmpty())
        return args.usageError(usage);
    if (args.positional.size() != 2)
        return args.usageError(QStringLiteral("需要数据库文件和发布的文件夹"));
    const QString dbPath = args.positional[0];
    const QString dir = args.positional[1];
    PublishOptions options;
    options.extras.pictures = args.has("--png");
    options.extras.calendars = args.has("--ics");
    options.force = args.has("--force");
    options.databasePath = dbPath;
    // Refused before the database is opened, so a wrong folder costs nothing.
    if (const QString problem = PublishFolderProblem(dir, options.force, dbPath);
        !problem.isEmpty()) {
        const bool forceWouldDo = PublishFolderProblem(dir, true, dbPath).isEmpty();
        CliErr(args.tagged(problem) +
               (forceWouldDo ? QStringLiteral("（加 --force 可替换它）") : QString()));
        return 1;
    }
    TimetableDb db;
    if (const QString problem = OpenToolDb(db, dbPath); !problem.isEmpty()) {
        CliErr(args.tagged(problem));
        return 1;
    }
    PublishSchool set;
    try {
        if (!args.has("--lessons-per-day"))
            lessonsPerDay = LessonsPerDayFor(db, false);
        set = ReadPublishSchool(db, lessonsPerDay, title);
    } catch (const std::exception& e) {
        CliErr(QStringLiteral("发布失败！") + AsFailure(e, dbPath).message());
        return 1;
    }
    CloseTimetableDb(db);
    if (set.classes.empty()) {
        CliErr(QStringLiteral("没有课表数据"));
        return 2;
    }
    try {
        const PublishReport report =
            WritePublishSet(set, dir, options, PictureTool(dbPath, set.lessonsPerDay, title));
        CliOut(PublishReportText(report));
    } catch (const std::exception& e) {
        CliErr(QStringLiteral("发布失败！") +
               FailureMessage(e, QStringLiteral("写入文件出错"), dir));
        return 1;
    }
    return 0;
}

} // namespace

KBXT_CLI_COMMAND(
    "publish",
    "publish [--lessons-per-day 6|7] [--school NAME] [--year 2025 --term 1] [--png] [--ics] "
    "[--force] DB DIR",
    "发布课表：网页（可加图片、手机日历）/ publish the timetables as web pages, "
    "with --png pictures and --ics calendars. DIR is replaced only when it is an earlier "
    "publication, or with --force.",
    {{"--lessons-per-day", true},
     {"--school", true},
     {"--year", true},
     {"--term", true},
     {"--png", false},
     {"--ics", false},
     {"--force", false}},
    "DIR gets index.html and one page per class, per teacher and for the whole school;\n"
    "--png adds <page>.png (1080 pixels wide), --ics adds <page>.ics per class and teacher.",
    runPublish);
