// kbxt-cli plan-check: what the teaching plan asks for beyond the week.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/rules/PlanCheck.h"
#include "core/store/PlanCheckStore.h"
#include "core/store/TimetableDb.h"

namespace {
const char* const kUsage = "plan-check [--lessons-per-day 6|7] DB";

int runPlanCheck(const QStringList& argv) {
    ToolArgs args;
    QString error = ParseToolArgs(argv, {QStringLiteral("--lessons-per-day")}, args);
    if (args.help) {
        CliOut(QStringLiteral("usage: kbxt-cli ") + QString::fromUtf8(kUsage));
        CliOut(QStringLiteral("  检查教学计划是否排得下：班级、老师的计划节数与每周可上课时间，"
                              "每条计划与课程、老师、班级都可排且不超过每天份额的时间，"
                              "专用课程各班合计与每周时间。"));
        CliOut(QStringLiteral("  退出码：0 都排得下，3 有排不下的，2 参数错误或无法读取数据库。"));
        return 0;
    }
    int lessonsPerDay = 6;
    if (error.isEmpty())
        error = LessonsPerDayOption(args, lessonsPerDay);
    if (error.isEmpty() && args.positional.size() != 1)
        error = QStringLiteral("需要且只需要一个数据库文件名");
    if (!error.isEmpty()) {
        CliErr(QStringLiteral("kbxt-cli plan-check: ") + error);
        CliErr(QStringLiteral("usage: kbxt-cli ") + QString::fromUtf8(kUsage));
        return 2;
    }
    TimetableDb db;
    error = OpenToolDb(db, args.positional.first());
    if (!error.isEmpty()) {
        CliErr(QStringLiteral("kbxt-cli plan-check: ") + error);
        return 2;
    }
    std::vector<PlanProblem> problems;
    try {
        problems = CheckPlan(ReadPlanCheckInput(db, lessonsPerDay));
    } catch (const std::exception&) {
        CliErr(QStringLiteral("kbxt-cli plan-check: 读取教学计划失败（缺少数据表？）：%1")
                   .arg(args.positional.first()));
        return 2;
    }
    for (const QString& line : PlanProblemLines(problems))
        CliOut(line);
    CliOut(problems.empty() ? QStringLiteral("教学计划检查：都排得下。")
                            : QStringLiteral("教学计划检查：%1 项排不下。").arg(problems.size()));
    return problems.empty() ? 0 : 3;
}
} // namespace

KBXT_CLI_COMMAND("plan-check", kUsage, "检查教学计划 / does the plan fit into the week",
                 runPlanCheck);
