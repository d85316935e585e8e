#include "core/store/LessonsPerDay.h"

#include "core/config/AppConfig.h"
#include "core/config/IniFile.h"
#include "core/store/Lookups.h"
#include "core/store/Sql.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

#include <optional>

int LessonsPerDayFor(TimetableDb& db, bool writeBack) {
    if (const std::optional<int> setting = ReadLessonsPerDay())
        return *setting;
    int highest = 0;
    try {
        highest = HighestLessonNo(db);
    } catch (const Failure&) {
        // Answering 6 here would let the start-up trim delete every lesson 7
        // and store 6 for good; 7 costs nothing and writes nothing.
        return 7;
    }
    const int lessons = highest >= 7 ? 7 : 6;
    // A fresh installation without the key stays without it at 6.
    const bool damaged = !IniFile(IniFilePath()).readString("LESSON", "LESSON_OF_DAY").isNull();
    // Storing is only a mending: when it fails the timetable answers again next time.
    if (writeBack && (damaged || lessons == 7))
        (void)WriteLessonOfDay(lessons);
    return lessons;
}

void TrimLessonsBeyondDay(TimetableDb& db, int lessonsPerDay) {
    try {
        SQLite::Transaction tx(db.sql());
        if (sql::exec(db.sql(), "delete from LessonListtb where LessonNo>?", lessonsPerDay) > 0) {
            // The deleted lessons no longer count as placed, so they show up as
            // unplaced in the manual adjustment window.
            db.sql().exec("update ClassPlantb set BuildCount = (select count(*) from LessonListtb l"
                          " where l.ClassCode = ClassPlantb.ClassCode"
                          " and l.CourseCode = ClassPlantb.CourseCode"
                          " and l.TeacherCode = ClassPlantb.TeacherCode)");
        }
        tx.commit();
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}

bool tryTrimLessonsBeyondDay(TimetableDb& db, int lessonsPerDay, QString* why) {
    return TryOrSay(why, [&] { TrimLessonsBeyondDay(db, lessonsPerDay); });
}
