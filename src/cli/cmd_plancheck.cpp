// kbxt-cli plan-check: what the teaching plan asks for beyond the week.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/rules/PlanCheck.h"
#include "core/rules/PlanFaults.h"
#include "core/store/Lookups.h"
#include "core/store/PlanCheckStore.h"
#include "core/store/SchoolStore.h"
#include "core/store/TimetableDb.h"

namespace {
int runPlanCheck(const ToolArgs& args) {
    int lessonsPerDay = 6;
    QString error = LessonsPerDayOption(args, lessonsPerDay);
    TimetableDb db;
    if (const std::optional<int> stop = OpenOnlyDatabase(args, error, db))
        return *stop;
    std::vector<PlanProblem> problems;
    QStringList faults;
    int doubleRows = 0;
    try {
        problems = CheckPlan(ReadPlanCheckInput(db, lessonsPerDay));
        const School school = LoadSchool(db, Week::ofLessons(lessonsPerDay));
        faults = rules::planFaultLines(rules::planFaultsOf(school), school.timetable.week(),
                                       NameLookup(db));
        for (const PlanRow& r : school.plan)
            doubleRows += r.isComplete() && r.weeklyDoubles() > 0;
    } catch (const std::exception&) {
        CliErr(args.tagged(
            QStringLiteral("读取教学计划失败（缺少数据表？）：%1").arg(args.positional.first())));
        return 2;
    }
    for (const QString& line : faults + PlanProblemLines(problems))
        CliOut(line);
    if (doubleRows > 0)
        CliOut(
            QStringLiteral("有连堂的教学计划 %1 条：自动生成时留给自动补排，连堂按两节一块排入。")
                .arg(doubleRows));
    if (!faults.isEmpty())
        CliOut(QStringLiteral("教学计划检查：%1 项计划错误，%2 项排不下。")
                   .arg(faults.size())
                   .arg(problems.size()));
    else
        CliOut(problems.empty()
                   ? QStringLiteral("教学计划检查：都排得下。")
                   : QStringLiteral("教学计划检查：%1 项排不下。").arg(problems.size()));
    return problems.empty() && faults.isEmpty() ? 0 : 3;
}
} // namespace

KBXT_CLI_COMMAND("plan-check", "plan-check [--lessons-per-day 6|7] DB",
                 "检查教学计划 / does the plan fit into the week", {{"--lessons-per-day", true}},
                 "检查教学计划是否排得下：班级、老师的计划节数与每周可上课时间，"
                 "每条计划与课程、老师、班级都可排且不超过每天份额的时间，"
                 "专用课程各班合计与每周时间；计划中不在名单里的班级、课程、老师代码，"
                 "重复的计划，超出每周课时的节数。\n"
                 "退出码：0 都排得下，3 有排不下的或计划错误，2 参数错误或无法读取数据库。",
                 runPlanCheck);
