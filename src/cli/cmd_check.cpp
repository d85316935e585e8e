// kbxt-cli check: double bookings, forbidden cells, counters and what is missing.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/model/Failure.h"
#include "core/store/TimetableCheckStore.h"
#include "core/store/TimetableDb.h"

namespace {
int runCheck(const ToolArgs& args) {
    int lessonsPerDay = 6;
    TimetableDb db;
    if (const std::optional<int> stop = OpenOnlyTimetable(args, db, lessonsPerDay))
        return *stop;
    try {
        const TimetableCheck check = CheckTimetable(db, lessonsPerDay);
        for (const QString& line : check.report())
            CliOut(line);
        if (check.unplacedLessons > 0)
            for (const QString& line : rules::causeLines(UnplacedCauses(db, lessonsPerDay)))
                CliOut(line);
        return check.ok() ? 0 : 1;
    } catch (const Failure& f) {
        CliErr(args.tagged(QStringLiteral("读取课表数据失败：")) + f.message());
        return 2;
    }
}
} // namespace

KBXT_CLI_COMMAND(
    "check", "check [--lessons-per-day 6|7] DB",
    "检查课表 / check the timetable against every rule, the plan and the counters",
    {{"--lessons-per-day", true}},
    "列出：同一时间有两节课的班级和老师、排在课程、老师或班级“不排”时间的课、"
    "同时在两个班上的专用课程、一天超过每天节数的计划、不属于任何计划或超过计划节数的课、"
    "课表外的课、计划中不在名单里的代码和重复的计划、"
    "已排节数（BuildCount）与课表不符的计划、每条计划未排的节数，"
    "以及未排的课按根本原因的归类和每类一处（已在副本上试过的）修改办法。\n"
    "不给 --lessons-per-day 时取 kbxt.ini 的设置；"
    "设置缺失或无法读取时，课表中有第7节即按 7 节。\n"
    "退出码：0 课表符合全部排课规则且计数正确，1 有不符合规则的课、计划错误或计数不符，"
    "2 参数错误或无法读取数据库。",
    runCheck);
