// kbxt-cli bench-fet: the benchmark schools placed by this program (generate,
// complete, improve) and by Debian's fet-cl, side by side in one run: lessons
// placed, CPU time and the quality measures of both timetables, counted by the
// same code (rules/Quality.h), and the hard rules asked of FET's timetable.
#include "cli/BenchRun.h"
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/formats/FetExchange.h"
#include "core/rules/HardRules.h"
#include "core/rules/Quality.h"
#include "core/store/SchoolStore.h"
#include "core/store/TimetableDb.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <sys/resource.h>

namespace {

double cpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Side {
    long long placed = 0;
    double cpu = 0;
    rules::Figures figures{};
    long long breaches = 0;
    bool done = false; // a timetable was read
};

QString figures(const Side& s) {
    using rules::Measure;
    if (!s.done)
        return QStringLiteral("%1").arg(QStringLiteral("—"), 48);
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10")
        .arg(s.placed, 5)
        .arg(rules::at(s.figures, Measure::ClassHoles), 4)
        .arg(rules::at(s.figures, Measure::LateStarts), 4)
        .arg(rules::at(s.figures, Measure::TeacherGaps), 5)
        .arg(rules::at(s.figures, Measure::BestCells), 5)
        .arg(rules::at(s.figures, Measure::AvoidCells), 5)
        .arg(rules::at(s.figures, Measure::CourseHeaps), 4)
        .arg(rules::at(s.figures, Measure::CourseSpread), 6)
        .arg(rules::at(s.figures, Measure::TeacherSpread), 7)
        .arg(s.cpu, 7, 'f', 2);
}

void measure(School& school, const std::vector<Lesson>& lessons, Side& side) {
    school.timetable = Timetable(school.timetable.week());
    for (const Lesson& l : lessons)
        school.timetable.add(l);
    side.placed = static_cast<long long>(lessons.size());
    side.figures = rules::qualityOf(school).school;
    for (const rules::Breach& b : rules::breachesOf(school))
        side.breaches += b.noteOnly ? 0 : 1;
    side.done = true;
}

Side runOurs(TimetableDb& db, const BenchSchoolShape& s, School school, int seconds) {
    Side side;
    const double start = cpuSeconds(RUSAGE_SELF);
    (void)PlaceBenchSchool(db, s.lessonsPerDay, seconds); // the same limit as FET's
    side.cpu = cpuSeconds(RUSAGE_SELF) - start;
    const Timetable t = LoadTimetable(db, Week::ofLessons(s.lessonsPerDay));
    measure(school, t.lessons(), side);
    return side;
}

// FET writes the input with its timetable under timetables/<name>/.
QString activitiesFile(const QString& outDir, const QString& name) {
    const QString dir = QDir(outDir).filePath(QStringLiteral("timetables/") + name);
    const QStringList found = QDir(dir).entryList({QStringLiteral("*_data_and_timetable.fet")});
    return found.isEmpty() ? QString() : QDir(dir).filePath(found.first());
}

Side runFet(const QString& fet, const QString& dir, const QString& name, const FetInput& input,
            School school, int seconds, QString& error) {
    Side side;
    const QString file = QDir(dir).filePath(name + QStringLiteral(".fet"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(input.document) != input.document.size()) {
        error = QStringLiteral("写不了 %1").arg(file);
        return side;
    }
    out.close();
    const QString outDir = QDir(dir).filePath(name + QStringLiteral("-out"));
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    const QStringList args = {
        QStringLiteral("--inputfile=") + file,
        QStringLiteral("--outputdir=") + outDir,
        QStringLiteral("--timelimitseconds=%1").arg(seconds),
        QStringLiteral("--htmllevel=0"),
        QStringLiteral("--writetimetablesxml=false"),
        QStringLiteral("--writetimetableconflicts=false"),
        QStringLiteral("--writetimetablesstatistics=false"),
        QStringLiteral("--writetimetablesdayshorizontal=false"),
        QStringLiteral("--writetimetablesdaysvertical=false"),
        QStringLiteral("--writetimetablestimehorizontal=false"),
        QStringLiteral("--writetimetablestimevertical=false"),
        QStringLiteral("--writetimetablessubgroups=false"),
        QStringLiteral("--writetimetablesgroups=false"),
        QStringLiteral("--writetimetablesyears=false"),
        QStringLiteral("--writetimetablesteachers=false"),
        QStringLiteral("--writetimetablesteachersfreeperiods=false"),
        QStringLiteral("--writetimetablesrooms=false"),
        QStringLiteral("--writetimetablessubjects=false"),
        QStringLiteral("--writetimetablesactivitytags=false"),
        QStringLiteral("--writetimetablesactivities=false"),
    };
    const double start = cpuSeconds(RUSAGE_CHILDREN);
    p.start(fet, args);
    if (!p.waitForStarted()) {
        error = QStringLiteral("%1 没有运行：%2").arg(fet, p.errorString());
        return side;
    }
    // fet-cl does not always keep its own limit (one school ran past 7 minutes
    // of 120 s): stopped at twice the limit, it gave no timetable.
    const int grace = (2 * seconds + 30) * 1000;
    if (!p.waitForFinished(grace)) {
        p.kill();
        p.waitForFinished(-1);
        side.cpu = cpuSeconds(RUSAGE_CHILDREN) - start;
        error = QStringLiteral("FET 没有给出课表（%1 秒内没有结束，已停止）").arg(2 * seconds + 30);
        return side;
    }
    side.cpu = cpuSeconds(RUSAGE_CHILDREN) - start;
    const QString result = activitiesFile(outDir, name);
    if (result.isEmpty()) {
        error = QStringLiteral("FET 没有给出课表（%1 秒内）：%2")
                    .arg(seconds)
                    .arg(QString::fromUtf8(p.readAll()).trimmed().right(300));
        return side;
    }
    QFile in(result);
    if (!in.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("读不了 %1").arg(result);
        return side;
    }
    std::vector<Lesson> lessons;
    error = ReadFetTimetable(in.readAll(), input, school.timetable.week(), lessons);
    if (error.isEmpty())
        measure(school, lessons, side);
    return side;
}

int runBenchFet(const ToolArgs& args) {
    std::vector<BenchSchoolShape> specs = BenchSchoolSet();
    std::size_t schools = 0;
    if (const QString error = SchoolsOption(args, specs.size(), schools); !error.isEmpty())
        return args.usageError(error);
    specs.resize(schools);
    bool ok = false;
    const int seconds = args.has("--seconds") ? args.value("--seconds").toInt(&ok) : 120;
    if (args.has("--seconds") && (!ok || seconds < 1 || seconds > 3600))
        return args.usageError(QStringLiteral("--seconds 应是 1 到 3600 之间的整数"));
    const QString fet = args.has("--fet")
                            ? args.value("--fet")
                            : QStandardPaths::findExecutable(QStringLiteral("fet-cl"));
    if (fet.isEmpty()) {
        CliErr(args.tagged(QStringLiteral("找不到 fet-cl（apt-get install fet）")));
        return 1;
    }
    FetOptions fetOptions;
    if (args.has("--teacher-gaps")) {
        fetOptions.teacherMaxGapsPerDay = args.value("--teacher-gaps").toInt(&ok);
        if (!ok || fetOptions.teacherMaxGapsPerDay < 0)
            return args.usageError(QStringLiteral("--teacher-gaps 应是 0 或正整数"));
    }
    QTemporaryDir temp;
    const QString dir = args.has("--keep") ? args.value("--keep") : temp.path();
    if (!QDir().mkpath(dir)) {
        CliErr(args.tagged(QStringLiteral("建不了文件夹 %1").arg(dir)));
        return 1;
    }
    CliOut(QStringLiteral("school classes day load planned | %1 | %2 | breaches ours/FET")
               .arg(QStringLiteral(
                        "kbxt: placed holes late gaps  best avoid heap spread tspread  cpu s"),
                    QStringLiteral(
                        "FET:  placed holes late gaps  best avoid heap spread tspread  cpu s")));
    Side sumOurs, sumFet;
    int fetMissing = 0;
    for (std::size_t i = 0; i < specs.size(); ++i) {
        const BenchSchoolShape& s = specs[i];
        const QString name = QStringLiteral("b%1").arg(i + 1);
        const QString path = QDir(dir).filePath(name + QStringLiteral(".db"));
        QFile::remove(path);
        const BenchSchool bench = BuildBenchSchool(s);
        TimetableDb db;
        if (!OpenBenchFile(args, path, bench.records, db))
            return 1;
        const School start = LoadSchool(db, Week::ofLessons(s.lessonsPerDay));
        const FetInput input = FetInputOf(start, fetOptions);
        const Side ours = runOurs(db, s, start, seconds);
        QString fetError;
        const Side theirs = runFet(fet, dir, name, input, start, seconds, fetError);
        if (!fetError.isEmpty()) {
            CliErr(name + QStringLiteral(": ") + fetError);
            ++fetMissing;
        }
        CliOut(QStringLiteral("%1 %2 |       %3 |       %4 | %5/%6")
                   .arg(BenchShapeColumns(i + 1, s))
                   .arg(bench.planned, 7)
                   .arg(figures(ours), figures(theirs))
                   .arg(ours.breaches)
                   .arg(theirs.done ? QString::number(theirs.breaches) : QStringLiteral("—")));
        // Sums over the schools both placed, so that they compare.
        if (theirs.done) {
            for (Side* sum : {&sumOurs, &sumFet}) {
                const Side& one = sum == &sumOurs ? ours : theirs;
                sum->placed += one.placed;
                sum->cpu += one.cpu;
                sum->breaches += one.breaches;
                for (size_t m = 0; m < sum->figures.size(); ++m)
                    sum->figures[m] += one.figures[m];
            }
            sumOurs.done = sumFet.done = true;
        }
    }
    CliOut(QStringLiteral("schools both placed |                   %1 |       %2 | %3/%4; FET gave "
                          "no timetable for %5")
               .arg(figures(sumOurs), figures(sumFet))
               .arg(sumOurs.breaches)
               .arg(sumFet.breaches)
               .arg(fetMissing));
    return 0;
}

} // namespace

KBXT_CLI_COMMAND(
    "bench-fet",
    "bench-fet [--schools N] [--seconds S] [--teacher-gaps G] [--fet PATH] [--keep DIR]",
    "对照 FET / this program and Debian's fet-cl on the same benchmark schools",
    {{"--schools", true},
     {"--seconds", true},
     {"--teacher-gaps", true},
     {"--fet", true},
     {"--keep", true}},
    "用补排测评的学校：本程序自动生成、补排、优化，fet-cl 排同一所学校（双方每校最多 S "
    "秒，默认 120）；输出双方排上的节数、班级空堂、不从第1节开始的天数、老师空堂、"
    "最佳位置、尽量不排、一天三节同课的班天数、CPU 秒数，和 FET 课表违反本程序规则的"
    "处数。--teacher-gaps G 要 FET 每位老师每天最多 G 节空堂（硬性）。--keep DIR 留下 .fet 文件和 "
    "FET 的输出。",
    runBenchFet);
