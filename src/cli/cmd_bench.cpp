// kbxt-cli bench: how long generation takes for the four demo schools, and
// where the time goes: reading the school, placing in memory, writing back.
#include "cli/BenchRun.h"
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/generation/BuildRandom.h"
#include "core/generation/BuildTimetable.h"
#include "core/model/DemoSchool.h"
#include "core/store/PlanStore.h"
#include "core/store/SchoolStore.h"
#include "core/store/TimetableDb.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

namespace {
int runBench(const ToolArgs& args) {
    QString error;
    int runs = 7;
    if (args.has("--runs")) {
        bool ok = false;
        runs = args.value("--runs").toInt(&ok);
        if (!ok || runs < 1 || runs > 1000)
            error = QStringLiteral("--runs 应为 1 到 1000 之间的整数");
    }
    int lessonsPerDay = 6;
    if (error.isEmpty() && args.has("--lessons-per-day"))
        error = LessonsPerDayOption(args, lessonsPerDay);
    if (error.isEmpty() && !args.positional.isEmpty())
        error = QStringLiteral("多余的参数：%1").arg(args.positional.join(' '));
    if (!error.isEmpty())
        return args.usageError(error);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        CliErr(args.tagged(QStringLiteral("无法创建临时文件夹")));
        return 1;
    }
    CliOut(QStringLiteral("size    classes  planned  rate  median_ms  min_ms  max_ms  load_ms  "
                          "place_ms  save_ms  (runs=%1, lessons/day=%2)")
               .arg(runs)
               .arg(lessonsPerDay));
    const Week week = Week::ofLessons(lessonsPerDay);
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    for (const char* name : {"small", "medium", "large", "huge"}) {
        DemoSize size;
        ParseDemoSize(QString::fromLatin1(name), size);
        const QString path = dir.filePath(QStringLiteral("%1.db").arg(QLatin1String(name)));
        TimetableDb db;
        if (!OpenBenchFile(args, path, DemoSchool(size, kDefaultBuildSeed), db))
            return 1;
        const PlanTotals totals = ReadPlanTotals(db);
        const long long classes = totals.classes;
        const long long planned = totals.lessons;
        std::vector<double> total, load, place, save;
        int rate = -1;
        for (int i = 0; i < runs; ++i) {
            SeedBuildRandom();
            QElapsedTimer t;
            t.start();
            if (!tryBuildTimetable(db, week, &rate))
                rate = -1;
            total.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        // The same run once more per repetition, step by step, as BuildTimetable
        // takes them.
        for (int i = 0; i < runs; ++i) {
            SeedBuildRandom();
            QElapsedTimer t;
            t.start();
            School school = LoadSchool(db, week);
            load.push_back(double(t.nsecsElapsed()) / 1e6);
            t.restart();
            // Only the time counts here; the rate is the first loop's.
            (void)GenerateTimetable(school);
            place.push_back(double(t.nsecsElapsed()) / 1e6);
            t.restart();
            SaveGeneratedTimetable(db, school);
            save.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        const auto [lo, hi] = std::minmax_element(total.begin(), total.end());
        CliOut(QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10")
                   .arg(QLatin1String(name), -7)
                   .arg(classes, 8)
                   .arg(planned, 8)
                   .arg(rate, 5)
                   .arg(median(total), 10, 'f', 1)
                   .arg(*lo, 7, 'f', 1)
                   .arg(*hi, 7, 'f', 1)
                   .arg(median(load), 8, 'f', 1)
                   .arg(median(place), 9, 'f', 1)
                   .arg(median(save), 8, 'f', 1));
    }
    return 0;
}
} // namespace

KBXT_CLI_COMMAND("bench", "bench [--runs N] [--lessons-per-day 6|7]",
                 "生成课表测速 / time generation on the three demo schools",
                 {{"--runs", true}, {"--lessons-per-day", true}},
                 "在临时文件夹中生成四所示例学校，每所自动生成课表 N 次（默认 7），"
                 "输出班数、计划课时、完成率和用时中位数，"
                 "以及读入、排课、写回三步各自的用时中位数。",
                 runBench);
