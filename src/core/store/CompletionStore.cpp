#include "core/store/CompletionStore.h"

#include "core/store/Sql.h"
#include "core/store/TimetableDb.h"

void SaveLessonChanges(TimetableDb& db, const std::vector<LessonChange>& changes) {
    SQLite::Database& d = db.sql();
    SQLite::Transaction tx(d);
    SQLite::Statement move(d, "update LessonListtb set Day=?,LessonNo=? where rowid=?");
    SQLite::Statement drop(d, "delete from LessonListtb where rowid=?");
    SQLite::Statement add(d, "insert into LessonListtb values(?,?,?,?,?,?)");
    for (const LessonChange& c : changes) {
        if (c.rowid == 0) {
            add.reset();
            sql::bind(add, c.classCode, c.day, c.lessonNo, c.courseCode, c.teacherCode, c.setFlag);
            add.exec();
        } else if (c.day == 0) {
            drop.reset();
            sql::bind(drop, c.rowid);
            drop.exec();
        } else {
            move.reset();
            sql::bind(move, c.day, c.lessonNo, c.rowid);
            move.exec();
        }
    }
    d.exec("update ClassPlantb set BuildCount=(select count(*) from LessonListtb L where "
           "L.ClassCode=ClassPlantb.ClassCode and L.CourseCode=ClassPlantb.CourseCode and "
           "L.TeacherCode=ClassPlantb.TeacherCode)");
    tx.commit();
}

int MissingLessons(TimetableDb& db) {
    return int(sql::firstInt(db.sql(), 0,
                             "select coalesce(sum(Count-BuildCount),0) from ClassPlantb where "
                             "Count>BuildCount"));
}
