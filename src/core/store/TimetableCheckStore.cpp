#include "core/store/TimetableCheckStore.h"

#include "core/store/Lookups.h"
#include "core/store/SchoolStore.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

TimetableCheck CheckTimetable(TimetableDb& db, int lessonsPerDay) {
    try {
        return CheckTimetable(LoadSchool(db, Week::ofLessons(lessonsPerDay)), lessonsPerDay,
                              NameLookup(db));
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}

std::vector<rules::RootCause> UnplacedCauses(TimetableDb& db, int lessonsPerDay) {
    try {
        return rules::rootCauses(LoadSchool(db, Week::ofLessons(lessonsPerDay)), NameLookup(db));
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}

rules::QualityReport TimetableQuality(TimetableDb& db, int lessonsPerDay) {
    try {
        return rules::qualityOf(LoadSchool(db, Week::ofLessons(lessonsPerDay)));
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}
