// kbxt-cli generate: automatic timetable generation, as 自动生成课表 runs it.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/generation/BuildRandom.h"
#include "core/generation/BuildTimetable.h"
#include "core/store/CompletionStore.h"
#include "core/store/DoubleLessons.h"
#include "core/store/TimetableDb.h"
#include "core/store/TimetableVersions.h"

#include <QElapsedTimer>
#include <cstdio>

namespace {
int runGenerate(const ToolArgs& args) {
    int lessonsPerDay = 6;
    bool seedGiven = false;
    std::uint32_t seed = kDefaultBuildSeed;
    const QString error = SeedOption(args, seedGiven, seed);
    TimetableDb db;
    if (const std::optional<int> stop = OpenOnlyTimetable(args, db, lessonsPerDay, error))
        return *stop;
    if (seedGiven)
        SeedBuildRandom(seed);
    if (!KeepVersionFirst(args, db, VersionCause::Generation))
        return 1;
    QString why;

    CliOut(QStringLiteral("正在自动生成课表 ..."));
    // A dot every half second, as the progress window shows them.
    QElapsedTimer clock;
    clock.start();
    qint64 dots = 0;
    int rate = 0;
    const bool built = tryBuildTimetable(db, Week::ofLessons(lessonsPerDay), &rate, &why, [&] {
        for (; dots < clock.elapsed() / 500; ++dots)
            std::fputc('.', stdout);
        std::fflush(stdout);
    });
    if (dots > 0)
        CliOut(QString());
    if (!built) {
        CliErr(QStringLiteral("生成课表失败！") + why);
        return 1;
    }
    int missing = 0, doubles = 0;
    try {
        missing = MissingLessons(db);
        doubles = MissingDoubleRowLessons(db);
    } catch (const std::exception&) {
    }
    CloseTimetableDb(db);
    CliOut(CompletionRateText(rate, missing));
    if (doubles > 0)
        CliOut(DoublesLeftText(doubles));
    return 0;
}
} // namespace

KBXT_CLI_COMMAND("generate", "generate [--lessons-per-day 6|7] [--seed N] [--no-version] DB",
                 "自动生成课表 / generate the timetable",
                 {{"--lessons-per-day", true}, {"--seed", true}, kNoVersionOption},
                 "清除上次生成和手工排的课（保留预先固定的课），按教学计划自动生成课表，"
                 "输出课表完成率。\n"
                 "不给 --lessons-per-day 时取 kbxt.ini 的设置；--seed 给随机数换个起点。\n"
                 "先保留现在的课表作为版本，保留不了就停下（--no-version：不保留也继续）。\n"
                 "退出码：0 生成完成，1 生成课表失败，2 参数错误或无法打开数据库。",
                 runGenerate);
