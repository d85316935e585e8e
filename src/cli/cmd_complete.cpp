// kbxt-cli complete: 自动补排, placing what the timetable still misses.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/generation/BuildRandom.h"
#include "core/generation/BuildTimetable.h"
#include "core/generation/CompleteTimetable.h"
#include "core/model/Failure.h"
#include "core/store/CompletionStore.h"
#include "core/store/TimetableCheckStore.h"
#include "core/store/TimetableDb.h"
#include "core/store/TimetableVersions.h"

namespace {
int runComplete(const ToolArgs& args) {
    RunOptions options{.seed = kDefaultBuildSeed, .seconds = 10};
    TimetableDb db;
    if (const std::optional<int> stop = OpenForRun(args, options, db))
        return *stop;
    const int lessonsPerDay = options.lessonsPerDay;
    if (!KeepVersionFirst(args, db, VersionCause::Completion))
        return 1;
    CompletionRun run;
    run.lessonsPerDay = lessonsPerDay;
    run.seed = options.seed;
    run.seconds = options.seconds;
    const CompletionReport r = CompleteTimetable(db, run);
    if (!r.ok) {
        CliOut(QStringLiteral("自动补排失败！") + r.error);
        return 1;
    }
    CliOut(QStringLiteral("自动补排：补排 %1 节，仍未排 %2 节").arg(r.placed).arg(r.remaining));
    int rate = 0;
    if (!tryCompletionRate(db, &rate))
        rate = -1; // a plan of nothing has no rate; the line shows −1 then
    CliOut(CompletionRateText(rate, MissingLessons(db)));
    if (r.remaining > 0) {
        // The timetable is kept by now: a failed read only shortens the explanation.
        try {
            const TimetableCheck check = CheckTimetable(db, lessonsPerDay);
            for (int i = 0; i < check.unplaced.size(); ++i) {
                CliOut(check.unplaced[i]);
                CliOut(QStringLiteral("    原因：") + check.unplacedReasons.value(i));
            }
            for (const QString& line : rules::causeLines(UnplacedCauses(db, lessonsPerDay)))
                CliOut(line);
        } catch (const Failure& f) {
            CliErr(QStringLiteral("无法说明未排的原因：") + f.message());
        }
    }
    return r.remaining > 0 ? 3 : 0;
}
} // namespace

KBXT_CLI_COMMAND(
    "complete", "complete [--lessons-per-day 6|7] [--seed N] [--seconds S] [--no-version] DB",
    "自动补排 / place the lessons still missing",
    {{"--lessons-per-day", true}, {"--seed", true}, {"--seconds", true}, kNoVersionOption},
    "把还没排进课表的课排进去：必要时移动自动生成和手工排的课（预先固定的"
    "课不动），遵守所有排课规则。同一数据库和 --seed 结果相同。\n"
    "--seconds 是最长用时（默认 10 秒）。\n"
    "排不完时保留已补排的课，逐条说明原因，再按根本原因归类并给出修改办法。\n"
    "先保留现在的课表作为版本，保留不了就停下（--no-version：不保留也继续）。\n"
    "退出码：0 全部排完，3 仍有未排的课，1 失败，"
    "2 参数错误或无法打开数据库。",
    runComplete);
