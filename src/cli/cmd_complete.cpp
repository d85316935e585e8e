// kbxt-cli complete: 自动补排, placing what the timetable still misses.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/generation/BuildRandom.h"
#include "core/generation/BuildTimetable.h"
#include "core/generation/CompleteTimetable.h"
#include "core/store/CompletionStore.h"
#include "core/store/LessonsPerDay.h"
#include "core/store/TimetableCheckStore.h"
#include "core/store/TimetableDb.h"
#include "core/store/TimetableVersions.h"

namespace {
const char* const kUsage = "complete [--lessons-per-day 6|7] [--seed N] [--seconds S] DB";

int runComplete(const QStringList& argv) {
    ToolArgs args;
    QString error = ParseToolArgs(argv,
                                  {QStringLiteral("--lessons-per-day"), QStringLiteral("--seed"),
                                   QStringLiteral("--seconds")},
                                  args);
    if (args.help) {
        CliOut(QStringLiteral("usage: kbxt-cli ") + QString::fromUtf8(kUsage));
        CliOut(
            QStringLiteral("  把还没排进课表的课排进去：必要时移动自动生成和手工排的课（预先固定的"
                           "课不动），遵守所有排课规则。同一数据库和 --seed 结果相同。"));
        CliOut(QStringLiteral("  --seconds 是最长用时（默认 10 秒）。"));
        CliOut(QStringLiteral("  退出码：0 全部排完，3 仍有未排的课（逐条说明原因），1 失败，"
                              "2 参数错误或无法打开数据库。"));
        return 0;
    }
    int lessonsPerDay = 6;
    bool seedGiven = false;
    std::uint32_t seed = kDefaultBuildSeed;
    double seconds = 10;
    if (error.isEmpty())
        error = LessonsPerDayOption(args, lessonsPerDay);
    if (error.isEmpty())
        error = SeedOption(args, seedGiven, seed);
    if (error.isEmpty() && args.options.contains(QStringLiteral("--seconds"))) {
        bool ok = false;
        seconds = args.options.value(QStringLiteral("--seconds")).toDouble(&ok);
        if (!ok || !(seconds > 0) || seconds > 3600)
            error = QStringLiteral("--seconds 应为 0 到 3600 之间的秒数：%1")
                        .arg(args.options.value(QStringLiteral("--seconds")));
    }
    if (error.isEmpty() && args.positional.size() != 1)
        error = QStringLiteral("需要且只需要一个数据库文件名");
    if (!error.isEmpty()) {
        CliErr(QStringLiteral("kbxt-cli complete: ") + error);
        CliErr(QStringLiteral("usage: kbxt-cli ") + QString::fromUtf8(kUsage));
        return 2;
    }
    TimetableDb db;
    error = OpenToolDb(db, args.positional.first());
    if (!error.isEmpty()) {
        CliErr(QStringLiteral("kbxt-cli complete: ") + error);
        return 2;
    }
    if (!args.options.contains(QStringLiteral("--lessons-per-day")))
        lessonsPerDay = LessonsPerDayFor(db, false);
    QString why;
    if (!tryKeepVersion(db, VersionCause::Completion, &why))
        CliErr(QStringLiteral("注意：无法保留现在的课表作为版本（%1）").arg(why));
    CompletionRun run;
    run.lessonsPerDay = lessonsPerDay;
    run.seed = seed;
    run.seconds = seconds;
    const CompletionReport r = CompleteTimetable(db, run);
    if (!r.ok) {
        CliOut(QStringLiteral("自动补排失败！") + r.error);
        return 1;
    }
    CliOut(QStringLiteral("自动补排：补排 %1 节，仍未排 %2 节").arg(r.placed).arg(r.remaining));
    CliOut(CompletionRateText(CompletionRate(db), MissingLessons(db)));
    if (r.remaining > 0) {
        TimetableCheck check;
        if (CheckTimetable(db, lessonsPerDay, check))
            for (int i = 0; i < check.unplaced.size(); ++i) {
                CliOut(check.unplaced[i]);
                CliOut(QStringLiteral("    原因：") + check.unplacedReasons.value(i));
            }
    }
    return r.remaining > 0 ? 3 : 0;
}
} // namespace

KBXT_CLI_COMMAND("complete", kUsage, "自动补排 / place the lessons still missing", runComplete);
