// kbxt-cli demo: a new database holding a realistic primary school.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/generation/BuildRandom.h"
#include "core/model/DemoSchool.h"
#include "core/store/SchoolWriter.h"

namespace {
int runDemo(const ToolArgs& args) {
    DemoSize size = DemoSize::Small;
    bool seedGiven = false;
    std::uint32_t seed = kDefaultBuildSeed;
    QString error;
    if (args.has("--size") && !ParseDemoSize(args.value("--size"), size))
        error = QStringLiteral("学校规模只能是 small、medium、large 或 huge：%1")
                    .arg(args.value("--size"));
    if (error.isEmpty())
        error = SeedOption(args, seedGiven, seed);
    if (error.isEmpty() && args.positional.size() != 1)
        error = QStringLiteral("需要且只需要一个输出文件名");
    if (!error.isEmpty())
        return args.usageError(error);
    const QString path = args.positional.first();
    error = MakeSchoolFile(path, DemoSchool(size, seed));
    if (!error.isEmpty()) {
        CliErr(args.tagged(error));
        return 1;
    }
    CliOut(QStringLiteral("示例学校已写入：%1（%2 个班）")
               .arg(path)
               .arg(DemoClassesPerGrade(size) * 6));
    return 0;
}
} // namespace

KBXT_CLI_COMMAND("demo", "demo [--size small|medium|large|huge] [--seed N] OUT.db",
                 "写入示例学校数据 / write a demo primary school to a new database",
                 {{"--size", true}, {"--seed", true}},
                 "写入一个示例小学：small 每个年级 1 个班（共 6 班），medium 共 24 班，"
                 "large 共 48 班，huge 共 192 班（默认 small）。\n"
                 "同一个 --seed 得到同一所学校；不会覆盖已有文件。",
                 runDemo);
