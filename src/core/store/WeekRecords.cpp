#include "core/store/WeekRecords.h"

#include "core/store/Sql.h"
#include "core/store/TimetableDb.h"

namespace {
int intOr0(const SQLite::Column& c) {
    return c.getType() == SQLite::INTEGER ? c.getInt() : 0;
}
} // namespace

WeekRecords ReadWeekRecords(TimetableDb& db) {
    SQLite::Database& d = db.sql();
    WeekRecords w;
    {
        SQLite::Statement st(d, "select ClassCode,CourseCode,TeacherCode,Count from ClassPlantb "
                                "order by rowid");
        while (st.executeStep())
            w.plan.push_back({sql::text(st.getColumn(0)), sql::text(st.getColumn(1)),
                              sql::text(st.getColumn(2)), intOr0(st.getColumn(3))});
    }
    {
        SQLite::Statement st(d, "select rowid,ClassCode,Day,LessonNo,CourseCode,TeacherCode,"
                                "SetFlag from LessonListtb order by rowid");
        while (st.executeStep())
            w.lessons.push_back({st.getColumn(0).getInt64(), sql::text(st.getColumn(1)),
                                 intOr0(st.getColumn(2)), intOr0(st.getColumn(3)),
                                 sql::text(st.getColumn(4)), sql::text(st.getColumn(5)),
                                 intOr0(st.getColumn(6))});
    }
    {
        SQLite::Statement st(d, "select Kind,Code,Day,LessonNo,Attr from Limittb where Kind in "
                                "(0,1,2) order by rowid");
        while (st.executeStep()) {
            int attr = intOr0(st.getColumn(4));
            if (st.getColumn(4).getType() != SQLite::INTEGER || attr < 0 || attr > 3)
                attr = 1;
            w.limits.push_back({st.getColumn(0).getInt(), sql::text(st.getColumn(1)),
                                intOr0(st.getColumn(2)), intOr0(st.getColumn(3)), attr});
        }
    }
    {
        SQLite::Statement st(d, "select CourseCode from CourseAttrtb");
        while (st.executeStep())
            w.exclusiveCourses.insert(sql::text(st.getColumn(0)));
    }
    return w;
}

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
