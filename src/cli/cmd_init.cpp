// kbxt-cli init: a new, empty timetable database.
#include "cli/CliCommand.h"
#include "core/store/Schema.h"

namespace {
int runInit(const ToolArgs& args) {
    if (args.positional.size() != 1)
        return args.usageError(QStringLiteral("需要且只需要一个输出文件名"));
    QString why;
    if (!CreateTimetableFile(args.positional.first(), &why)) {
        CliErr(QStringLiteral("无法创建数据库文件：%1").arg(why));
        return 1;
    }
    return 0;
}
} // namespace

KBXT_CLI_COMMAND("init", "init OUT.db", "创建空的课表数据库 / write a new empty database", {}, "",
                 runInit);
