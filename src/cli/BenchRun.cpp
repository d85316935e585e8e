#include "cli/BenchRun.h"

#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/generation/BuildRandom.h"
#include "core/generation/BuildTimetable.h"
#include "core/generation/CompleteTimetable.h"
#include "core/store/TimetableDb.h"

bool OpenBenchFile(const ToolArgs& args, const QString& path, const SchoolRecords& school,
                   TimetableDb& db) {
    const QString error = MakeSchoolFile(path, school);
    if (!error.isEmpty() || !db.open(path)) {
        CliErr(args.tagged(error));
        return false;
    }
    return true;
}

ImproveReport PlaceBenchSchool(TimetableDb& db, int lessonsPerDay, double seconds) {
    SeedBuildRandom();
    // What generation leaves, completion places: only the end counts here.
    (void)tryBuildTimetable(db, Week::ofLessons(lessonsPerDay), nullptr);
    CompletionRun complete;
    complete.lessonsPerDay = lessonsPerDay;
    complete.seed = kDefaultBuildSeed;
    (void)CompleteTimetable(db, complete);
    ImproveRun improve;
    improve.lessonsPerDay = lessonsPerDay;
    improve.seed = kDefaultBuildSeed;
    improve.seconds = seconds;
    return ImproveTimetable(db, improve);
}

QString BenchShapeColumns(std::size_t number, const BenchSchoolShape& s) {
    return QStringLiteral("%1 %2 %3 %4")
        .arg(number, 6)
        .arg(s.classes, 7)
        .arg(s.lessonsPerDay, 3)
        .arg(s.load, 4);
}
