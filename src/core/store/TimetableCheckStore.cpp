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
