// kbxt-cli improve: 课表优化, the quality of a finished timetable.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/generation/BuildRandom.h"
#include "core/generation/ImproveTimetable.h"
#include "core/model/Failure.h"
#include "core/store/Lookups.h"
#include "core/store/TimetableCheckStore.h"
#include "core/store/TimetableDb.h"
#include "core/store/TimetableVersions.h"

namespace {

void printQuality(TimetableDb& db, int lessonsPerDay, const QString& heading) {
    CliOut(heading);
    try {
        for (const QString& line : TimetableQuality(db, lessonsPerDay).lines(NameLookup(db)))
            CliOut(QStringLiteral("  ") + line);
    } catch (const Failure& f) {
        CliErr(QStringLiteral("读取课表数据失败：") + f.message());
    }
}

int runImprove(const ToolArgs& args) {
    RunOptions options{.seed = kDefaultBuildSeed, .seconds = 5};
    TimetableDb db;
    if (const std::optional<int> stop = OpenForRun(args, options, db))
        return *stop;
    const int lessonsPerDay = options.lessonsPerDay;
    printQuality(db, lessonsPerDay, QStringLiteral("优化之前："));
    if (!KeepVersionFirst(args, db, VersionCause::Improve))
        return 1;
    ImproveRun run;
    run.lessonsPerDay = lessonsPerDay;
    run.seed = options.seed;
    run.seconds = options.seconds;
    const ImproveReport r = ImproveTimetable(db, run);
    if (!r.ok) {
        CliOut(QStringLiteral("课表优化失败！") + r.error);
        return 1;
    }
    CliOut(QStringLiteral("课表优化：调动 %1 节课，扣分 %2 → %3（%4 秒%5）")
               .arg(r.moved)
               .arg(r.penaltyBefore)
               .arg(r.penaltyAfter)
               .arg(r.ms / 1000, 0, 'f', 1)
               .arg(r.timedOut ? QStringLiteral("，到了时间限制") : QString()));
    printQuality(db, lessonsPerDay, QStringLiteral("优化之后："));
    return 0;
}
} // namespace

KBXT_CLI_COMMAND(
    "improve", "improve [--lessons-per-day 6|7] [--seed N] [--seconds S] [--no-version] DB",
    "课表优化 / move lessons for fewer empty periods and teacher gaps, keeping every rule",
    {{"--lessons-per-day", true}, {"--seed", true}, {"--seconds", true}, kNoVersionOption},
    "在不违反任何排课规则的前提下调动自动生成和手工排的课（预先固定的课不动，课的节数不变），"
    "依次改进：班级一天中间的空堂和不从第1节开始的一天、老师的空堂、尽量不排和最佳位置、"
    "一天同一课程3节以上、老师连上超过4节、课程分散到各天、老师的课均匀分到各天。"
    "同一数据库和 --seed 结果相同。\n"
    "--seconds 是最长用时（默认 5 秒）。先后列出优化之前和之后的课表质量。\n"
    "先保留现在的课表作为版本（课表优化之前），保留不了就停下（--no-version：不保留也继续）。\n"
    "退出码：0 已优化（或已无可改进），1 失败，2 参数错误或无法读取数据库。",
    runImprove);
