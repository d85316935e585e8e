// kbxt-cli bench-improve: the quality of the benchmark schools after
// generation and completion, and after 课表优化.
#include "cli/BenchRun.h"
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/model/Failure.h"
#include "core/store/TimetableCheckStore.h"
#include "core/store/TimetableDb.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

QString figures(const rules::Figures& f) {
    using rules::Measure;
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
        .arg(rules::at(f, Measure::ClassHoles), 5)
        .arg(rules::at(f, Measure::LateStarts), 4)
        .arg(rules::at(f, Measure::TeacherGaps), 5)
        .arg(rules::at(f, Measure::BestCells), 5)
        .arg(rules::at(f, Measure::AvoidCells), 5)
        .arg(rules::at(f, Measure::CourseSpread), 6)
        .arg(rules::at(f, Measure::TeacherSpread), 7);
}

int runBenchImprove(const ToolArgs& args) {
    std::vector<BenchSchoolShape> specs = BenchSchoolSet();
    std::size_t schools = 0;
    if (const QString error = SchoolsOption(args, specs.size(), schools); !error.isEmpty())
        return args.usageError(error);
    specs.resize(schools);
    // The search takes a fixed number of steps; its time limit only guards a
    // slow machine, and on a busy one it would cut the run short and change
    // the figures.
    double seconds = 5;
    if (const QString error = SecondsOption(args, seconds); !error.isEmpty())
        return args.usageError(error);
    QTemporaryDir temp;
    CliOut(QStringLiteral(
        "school classes day load | after completion: holes late gaps best avoid spread tspread | "
        "after improve: holes late gaps best avoid spread tspread | moved   ms  check"));
    int failures = 0;
    double worstMs = 0;
    rules::Figures sumBefore{}, sumAfter{};
    for (std::size_t i = 0; i < specs.size(); ++i) {
        const BenchSchoolShape& s = specs[i];
        const QString path = QDir(temp.path()).filePath(QStringLiteral("b%1.db").arg(i));
        TimetableDb db;
        if (!OpenBenchFile(args, path, BuildBenchSchool(s).records, db))
            return 1;
        const ImproveReport r = PlaceBenchSchool(db, s.lessonsPerDay, seconds);
        bool clean = r.ok;
        try {
            clean = clean && CheckTimetable(db, s.lessonsPerDay).ok();
        } catch (const Failure& f) {
            CliErr(f.message());
            clean = false;
        }
        failures += clean ? 0 : 1;
        worstMs = std::max(worstMs, r.ms);
        for (size_t m = 0; m < sumBefore.size(); ++m) {
            sumBefore[m] += r.before[m];
            sumAfter[m] += r.after[m];
        }
        CliOut(QStringLiteral("%1 |                   %2 |                %3 | %4 %5  %6")
                   .arg(BenchShapeColumns(i + 1, s))
                   .arg(figures(r.before))
                   .arg(figures(r.after))
                   .arg(r.moved, 5)
                   .arg(r.ms, 4, 'f', 0)
                   .arg(clean ? QStringLiteral("ok") : QStringLiteral("FAULT ") + r.error));
    }
    CliOut(QStringLiteral("all schools | after completion: %1 | after improve: %2 | slowest %3 ms; "
                          "faults %4")
               .arg(figures(sumBefore), figures(sumAfter))
               .arg(worstMs, 0, 'f', 0)
               .arg(failures));
    return failures ? 1 : 0;
}

} // namespace

KBXT_CLI_COMMAND("bench-improve", "bench-improve [--schools N] [--seconds S]",
                 "优化测评 / the quality of the benchmark schools before and after 课表优化",
                 {{"--schools", true}, {"--seconds", true}},
                 "用补排测评的学校（12 到 48 班）：自动生成、自动补排，再课表优化；"
                 "输出优化前后的班级空堂、不从第1节开始的天数、老师空堂、最佳位置和尽量不排的课、"
                 "课程没有分散到各天的天数和老师一天超出平均的课，"
                 "优化用时和检查结果。--seconds S 是每校优化的最长用时（默认 5 秒）。",
                 runBenchImprove);
