#include "core/store/TimetableCheckStore.h"

#include "core/store/Lookups.h"
#include "core/store/SchoolStore.h"
#include "core/store/TimetableDb.h"

bool CheckTimetable(TimetableDb& db, int lessonsPerDay, TimetableCheck& result) {
    result = TimetableCheck{};
    const rules::NameOf nameOf = NameLookup(db);
    try {
        result =
            CheckTimetable(LoadSchool(db, Week::ofLessons(lessonsPerDay)), lessonsPerDay, nameOf);
    } catch (const std::exception&) {
        result = TimetableCheck{};
        return false;
    }
    return true;
}

bool UnplacedCauses(TimetableDb& db, int lessonsPerDay, std::vector<rules::RootCause>& causes) {
    causes.clear();
    try {
        causes = rules::rootCauses(LoadSchool(db, Week::ofLessons(lessonsPerDay)), NameLookup(db));
    } catch (const std::exception&) {
        causes.clear();
        return false;
    }
    return true;
}
