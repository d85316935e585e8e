// kbxt-cli quality: how good the timetable is beyond the rules.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/model/Failure.h"
#include "core/store/Lookups.h"
#include "core/store/TimetableCheckStore.h"
#include "core/store/TimetableDb.h"

namespace {
int runQuality(const ToolArgs& args) {
    int lessonsPerDay = 6;
    TimetableDb db;
    if (const std::optional<int> stop = OpenOnlyTimetable(args, db, lessonsPerDay))
        return *stop;
    try {
        for (const QString& line : TimetableQuality(db, lessonsPerDay).lines(NameLookup(db)))
            CliOut(line);
        return 0;
    } catch (const Failure& f) {
        CliErr(args.tagged(QStringLiteral("读取课表数据失败：")) + f.message());
        return 2;
    }
}
} // namespace

KBXT_CLI_COMMAND("quality", "quality [--lessons-per-day 6|7] DB",
                 "课表质量 / how good the timetable is: gaps, late starts, preferred periods",
                 {{"--lessons-per-day", true}},
                 "每项一行：班级一天中间的空堂、班级一天不从第1节开始的天数、老师两节课之间的空堂、"
                 "排在最佳位置和尽量不排时间的课、班级一天同一课程3节以上的天数、老师一天连上超过4"
                 "节的天数、课程没有分散到各天的天数、老师一天超出平均的课；"
                 "然后列出最需要改进的5个班级和5个老师。"
                 "“不排”的时间不算空堂。\n"
                 "退出码：0 已列出，2 参数错误或无法读取数据库。",
                 runQuality);
