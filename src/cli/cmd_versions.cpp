// kbxt-cli versions / restore: the timetables kept before generation,
// completion, deleting the timetable and the year upgrade, as 课表版本 shows them.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/store/TimetableDb.h"
#include "core/store/TimetableVersions.h"

namespace {
// Both commands tell an unopenable database untagged and end with 1.
bool openOrSay(TimetableDb& db, const QString& path) {
    const QString error = OpenToolDb(db, path);
    if (!error.isEmpty())
        CliErr(error);
    return error.isEmpty();
}

int runVersions(const ToolArgs& args) {
    if (args.positional.size() != 1)
        return args.usageError(QStringLiteral("需要且只需要一个数据库文件名"));
    TimetableDb db;
    if (!openOrSay(db, args.positional.first()))
        return 1;
    try {
        const QList<TimetableVersion> versions = ListVersions(db);
        if (versions.isEmpty())
            CliOut(QStringLiteral("还没有保留过课表版本。"));
        for (const TimetableVersion& v : versions)
            CliOut(QStringLiteral("%1\t%2\t%3\t%4 节课")
                       .arg(v.number)
                       .arg(v.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), v.cause)
                       .arg(v.lessons));
        return 0;
    } catch (const Failure& e) {
        CliErr(e.message());
        return 1;
    }
}

int runRestore(const ToolArgs& args) {
    bool ok = false;
    const int number = args.positional.size() == 2 ? args.positional[1].toInt(&ok) : 0;
    if (!ok || number <= 0)
        return args.usageError(
            QStringLiteral("需要数据库文件名和版本编号（kbxt-cli versions 列出的编号）"));
    TimetableDb db;
    if (!openOrSay(db, args.positional.first()))
        return 1;
    try {
        const RestoreResult r = RestoreVersion(db, number);
        CliOut(QStringLiteral("已恢复第 %1 号课表版本：%2 节课。").arg(number).arg(r.lessons));
        for (const QString& line : r.skippedLines())
            CliOut(QStringLiteral("其中 ") + line);
        return 0;
    } catch (const Failure& e) {
        CliErr(QStringLiteral("恢复课表失败！") + e.message());
        return 1;
    }
}
} // namespace

KBXT_CLI_COMMAND("versions", "versions DB",
                 "课表版本 / list the timetables kept before generation, completion, deleting "
                 "the timetable and the year upgrade (newest first: number, time, cause, "
                 "lessons). Exit 0, 1 failure, 2 usage error.",
                 {}, "", runVersions);
KBXT_CLI_COMMAND("restore", "restore DB N",
                 "恢复课表版本 / restore version N listed by versions; the current timetable "
                 "is kept as a version first. Exit 0 restored, 1 failure, 2 usage error.",
                 {}, "", runRestore);
