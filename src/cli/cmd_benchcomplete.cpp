// kbxt-cli bench-complete: generation and completion on schools that are known
// to have a complete timetable.
#include "cli/BenchRun.h"
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/generation/BuildRandom.h"
#include "core/generation/BuildTimetable.h"
#include "core/generation/CompleteTimetable.h"
#include "core/model/Failure.h"
#include "core/store/CompletionStore.h"
#include "core/store/TimetableCheckStore.h"
#include "core/store/TimetableDb.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

namespace {
int runBenchComplete(const ToolArgs& args) {
    std::vector<BenchSchoolShape> specs = BenchSchoolSet();
    std::size_t schools = 0;
    if (const QString error = SchoolsOption(args, specs.size(), schools); !error.isEmpty())
        return args.usageError(error);
    specs.resize(schools);
    QTemporaryDir temp;
    const QString dir = args.has("--keep") ? args.value("--keep") : temp.path();
    QDir().mkpath(dir);

    CliOut(QStringLiteral(
        "school classes day load planned preset t-off dbl jnt t-lim  gen%  gen-miss gen-ms  "
        "left  moved comp-ms  placed%  check"));
    long long planned = 0, placed = 0, fullPlanned = 0, fullPlaced = 0;
    double worstMs = 0;
    int failures = 0;
    for (std::size_t i = 0; i < specs.size(); ++i) {
        const BenchSchoolShape& s = specs[i];
        const BenchSchool school = BuildBenchSchool(s);
        const QString path = QDir(dir).filePath(QStringLiteral("bench%1-%2c-%3x%4.db")
                                                    .arg(i + 1, 2, 10, QLatin1Char('0'))
                                                    .arg(s.classes)
                                                    .arg(s.load)
                                                    .arg(s.lessonsPerDay));
        QFile::remove(path);
        TimetableDb db;
        if (!OpenBenchFile(args, path, school.records, db))
            return 1;
        SeedBuildRandom();
        QElapsedTimer t;
        t.start();
        int rate = 0;
        if (!tryBuildTimetable(db, Week::ofLessons(s.lessonsPerDay), &rate))
            rate = -1;
        const double genMs = double(t.nsecsElapsed()) / 1e6;
        const int genMissing = MissingLessons(db);
        CompletionRun run;
        run.lessonsPerDay = s.lessonsPerDay;
        run.seed = kDefaultBuildSeed;
        const CompletionReport r = CompleteTimetable(db, run);
        const int left = MissingLessons(db);
        TimetableCheck check;
        bool read = true;
        try {
            check = CheckTimetable(db, s.lessonsPerDay);
        } catch (const Failure& f) {
            CliErr(f.message());
            read = false;
        }
        const bool clean = read && r.ok && check.ok() && check.forbiddenCells.isEmpty() &&
                           check.exclusiveClashes.isEmpty() && check.outsideWeek.isEmpty();
        failures += clean ? 0 : 1;
        planned += school.planned;
        placed += school.planned - left;
        if (s.load == 5 * s.lessonsPerDay) {
            fullPlanned += school.planned;
            fullPlaced += school.planned - left;
        }
        worstMs = std::max(worstMs, r.ms);
        CliOut(
            QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11 %12 %13 %14  %15")
                .arg(BenchShapeColumns(i + 1, s))
                .arg(school.planned, 7)
                .arg(school.preset, 6)
                .arg(school.teachersWithTimeOff, 5)
                .arg(school.doubles, 3)
                .arg(school.joints, 3)
                .arg(QStringLiteral("%1/%2").arg(school.tightTeachers).arg(school.limitedTeachers),
                     5)
                .arg(rate, 5)
                .arg(genMissing, 8)
                .arg(genMs, 6, 'f', 0)
                .arg(left, 5)
                .arg(r.moved, 6)
                .arg(r.ms, 7, 'f', 0)
                .arg(100.0 * double(school.planned - left) / school.planned, 8, 'f', 2)
                .arg(clean ? QStringLiteral("ok") : QStringLiteral("FAULT ") + r.error));
    }
    CliOut(
        QStringLiteral("all schools: %1 of %2 lessons placed (%3%); full weeks: %4 of %5 (%6%); "
                       "slowest completion %7 ms; faults %8")
            .arg(placed)
            .arg(planned)
            .arg(100.0 * double(placed) / double(planned), 0, 'f', 3)
            .arg(fullPlaced)
            .arg(fullPlanned)
            .arg(fullPlanned ? 100.0 * double(fullPlaced) / double(fullPlanned) : 100.0, 0, 'f', 3)
            .arg(worstMs, 0, 'f', 0)
            .arg(failures));
    return failures ? 1 : 0;
}
} // namespace

KBXT_CLI_COMMAND("bench-complete", "bench-complete [--schools N] [--keep DIR]",
                 "补排测评 / generation and completion on schools known to fit",
                 {{"--schools", true}, {"--keep", true}},
                 "先排出一张合法的满课表，再从中得出教学计划、老师、时间限制和预先"
                 "固定的课，造出一定能排满的学校（12 到 48 班）；每所学校自动生成"
                 "课表再自动补排，输出排课率、用时和检查结果。\n"
                 "--keep DIR 把各校数据库留在 DIR 中。",
                 runBenchComplete);
