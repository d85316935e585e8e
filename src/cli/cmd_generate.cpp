// kbxt-cli generate: automatic timetable generation, as 自动生成课表 runs it.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/generation/BuildFailure.h"
#include "core/generation/BuildRandom.h"
#include "core/generation/BuildTimetable.h"
#include "core/store/CompletionStore.h"
#include "core/store/LessonsPerDay.h"
#include "core/store/TimetableDb.h"
#include "core/store/TimetableVersions.h"

#include <QElapsedTimer>
#include <cstdio>

namespace {
const char* const kUsage = "generate [--lessons-per-day 6|7] [--seed N] DB";

int runGenerate(const QStringList& argv) {
    ToolArgs args;
    QString error =
        ParseToolArgs(argv, {QStringLiteral("--lessons-per-day"), QStringLiteral("--seed")}, args);
    if (args.help) {
        CliOut(QStringLiteral("usage: kbxt-cli ") + QString::fromUtf8(kUsage));
        CliOut(QStringLiteral(
            "  清除上次生成和手工排的课（保留预先固定的课），按教学计划自动生成课表，"
            "输出课表完成率。"));
        CliOut(QStringLiteral(
            "  不给 --lessons-per-day 时取 kbxt.ini 的设置；--seed 给随机数换个起点。"));
        CliOut(
            QStringLiteral("  退出码：0 生成完成，1 生成课表失败，2 参数错误或无法打开数据库。"));
        return 0;
    }
    int lessonsPerDay = 6;
    bool seedGiven = false;
    std::uint32_t seed = kDefaultBuildSeed;
    if (error.isEmpty())
        error = LessonsPerDayOption(args, lessonsPerDay);
    if (error.isEmpty())
        error = SeedOption(args, seedGiven, seed);
    if (error.isEmpty() && args.positional.size() != 1)
        error = QStringLiteral("需要且只需要一个数据库文件名");
    if (!error.isEmpty()) {
        CliErr(QStringLiteral("kbxt-cli generate: ") + error);
        CliErr(QStringLiteral("usage: kbxt-cli ") + QString::fromUtf8(kUsage));
        return 2;
    }
    TimetableDb db;
    error = OpenToolDb(db, args.positional.first());
    if (!error.isEmpty()) {
        CliErr(QStringLiteral("kbxt-cli generate: ") + error);
        return 2;
    }
    if (!args.options.contains(QStringLiteral("--lessons-per-day")))
        lessonsPerDay = LessonsPerDayFor(db, false);
    if (seedGiven)
        SeedBuildRandom(seed);
    QString why;
    if (!tryKeepVersion(db, VersionCause::Generation, &why))
        CliErr(QStringLiteral("注意：无法保留现在的课表作为版本（%1）").arg(why));

    CliOut(QStringLiteral("正在自动生成课表 ..."));
    // A dot every half second, as the progress window shows them.
    QElapsedTimer clock;
    clock.start();
    qint64 dots = 0;
    const int rate = BuildTimetable(db, Week::ofLessons(lessonsPerDay), [&] {
        for (; dots < clock.elapsed() / 500; ++dots)
            std::fputc('.', stdout);
        std::fflush(stdout);
    });
    if (dots > 0)
        CliOut(QString());
    if (rate < 0) {
        CliErr(QStringLiteral("生成课表失败！") + ExplainBuildFailure(db).message());
        return 1;
    }
    int missing = 0;
    try {
        missing = MissingLessons(db);
    } catch (const std::exception&) {
    }
    CloseTimetableDb(db);
    CliOut(CompletionRateText(rate, missing));
    return 0;
}
} // namespace

KBXT_CLI_COMMAND("generate", kUsage, "自动生成课表 / generate the timetable", runGenerate);
