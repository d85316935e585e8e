// kbxt-cli demo: a new database holding a realistic primary school.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/generation/BuildRandom.h"
#include "core/store/DemoSchool.h"

namespace {
const char* const kUsage = "demo [--size small|medium|large|huge] [--seed N] OUT.db";

int runDemo(const QStringList& argv) {
    ToolArgs args;
    QString error = ParseToolArgs(argv, {QStringLiteral("--size"), QStringLiteral("--seed")}, args);
    if (args.help) {
        CliOut(QStringLiteral("usage: kbxt-cli ") + QString::fromUtf8(kUsage));
        CliOut(
            QStringLiteral("  写入一个示例小学：small 每个年级 1 个班（共 6 班），medium 共 24 班，"
                           "large 共 48 班，huge 共 192 班（默认 small）。"));
        CliOut(QStringLiteral("  同一个 --seed 得到同一所学校；不会覆盖已有文件。"));
        return 0;
    }
    DemoSize size = DemoSize::Small;
    bool seedGiven = false;
    std::uint32_t seed = kDefaultBuildSeed;
    if (error.isEmpty() && args.options.contains(QStringLiteral("--size")) &&
        !ParseDemoSize(args.options.value(QStringLiteral("--size")), size))
        error = QStringLiteral("学校规模只能是 small、medium、large 或 huge：%1")
                    .arg(args.options.value(QStringLiteral("--size")));
    if (error.isEmpty())
        error = SeedOption(args, seedGiven, seed);
    if (error.isEmpty() && args.positional.size() != 1)
        error = QStringLiteral("需要且只需要一个输出文件名");
    if (!error.isEmpty()) {
        CliErr(QStringLiteral("kbxt-cli demo: ") + error);
        CliErr(QStringLiteral("usage: kbxt-cli ") + QString::fromUtf8(kUsage));
        return 2;
    }
    const QString path = args.positional.first();
    error = MakeDemoSchool(path, size, seed);
    if (!error.isEmpty()) {
        CliErr(QStringLiteral("kbxt-cli demo: ") + error);
        return 1;
    }
    CliOut(QStringLiteral("示例学校已写入：%1（%2 个班）")
               .arg(path)
               .arg(DemoClassesPerGrade(size) * 6));
    return 0;
}
} // namespace

KBXT_CLI_COMMAND("demo", kUsage, "写入示例学校数据 / write a demo primary school to a new database",
                 runDemo);
