#include "core/store/ManualLessons.h"

#include "core/store/Lookups.h"
#include "core/store/PresetLessons.h"
#include "core/store/Sql.h"
#include "core/store/TimetableDb.h"

namespace {

// Whether the teacher teaches a class other than classCode at the period.
bool TeachesElsewhere(SQLite::Database& d, const QString& teacherCode, const QString& classCode,
                      Period p) {
    // A period without a teacher blocks nobody.
    if (teacherCode.isEmpty())
        return false;
    return sql::hasRow(d,
                       "select CourseCode from LessonListtb where TeacherCode=? and ClassCode<>?"
                       " and Day=? and LessonNo=?",
                       teacherCode, classCode, p.day, p.lessonNo);
}

// Reads the lessons of one class or teacher (statement: Day, LessonNo and two
// more columns, one code bound) into the cells; fill takes the two columns.
template <class Fill>
bool LoadSlots(TimetableDb& db, const char* statement, const QString& code, LessonSlots& cells,
               Fill fill) {
    cells.clear();
    try {
        SQLite::Statement st(db.sql(), statement);
        sql::bind(st, code);
        while (st.executeStep()) {
            const int day = st.getColumn(0).getInt();
            const int lessonNo = st.getColumn(1).getInt();
            if (cells.contains(day, lessonNo))
                fill(cells.at(day, lessonNo), sql::text(st.getColumn(2)),
                     sql::text(st.getColumn(3)));
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

bool QueryUnplacedRows(TimetableDb& db, QList<UnplacedPlanRow>& rows) {
    rows.clear();
    try {
        SQLite::Statement st(db.sql(),
                             "select ClassCode,CourseCode,TeacherCode,(Count-BuildCount) as"
                             " RemainCount from ClassPlantb where Count<>BuildCount"
                             " order by ClassCode,CourseCode,rowid");
        while (st.executeStep())
            rows.append({sql::text(st.getColumn(0)), sql::text(st.getColumn(1)),
                         sql::text(st.getColumn(2)), st.getColumn(3).getInt()});
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool LoadClassSlots(TimetableDb& db, const QString& classCode, LessonSlots& cells) {
    return LoadSlots(db,
                     "select Day,LessonNo,CourseCode,TeacherCode from LessonListtb"
                     " where ClassCode=? order by rowid",
                     classCode, cells,
                     [&db](LessonCell& c, const QString& courseCode, const QString& teacherCode) {
                         c.CourseCode = courseCode;
                         c.CourseName = GetCourseName(db, courseCode);
                         c.TeacherCode = teacherCode;
                         c.TeacherName = GetTeacherName(db, teacherCode);
                     });
}

bool LoadTeacherSlots(TimetableDb& db, const QString& teacherCode, LessonSlots& cells) {
    return LoadSlots(db,
                     "select Day,LessonNo,ClassCode,CourseCode from LessonListtb"
                     " where TeacherCode=? order by rowid",
                     teacherCode, cells,
                     [&db](LessonCell& c, const QString& classCode, const QString& courseCode) {
                         c.ClassCode = classCode;
                         c.ClassName = GetClassName(db, classCode);
                         c.ClassShortName = GetClassShortName(db, classCode);
                         c.CourseCode = courseCode;
                         c.CourseName = GetCourseName(db, courseCode);
                     });
}

bool IsSwapLegal(TimetableDb& db, const QString& classCode, const LessonSlots& cells,
                 Period selected, Period target) {
    if (!cells.contains(selected.day, selected.lessonNo) ||
        !cells.contains(target.day, target.lessonNo))
        return false;
    const LessonCell& x = cells.at(selected.day, selected.lessonNo);
    const LessonCell& y = cells.at(target.day, target.lessonNo);
    // Exchanging two lessons of one course changes nothing for anybody.
    if (y.CourseCode == x.CourseCode)
        return false;
    try {
        SQLite::Database& d = db.sql();
        if (TeachesElsewhere(d, x.TeacherCode, classCode, target))
            return false;
        return !TeachesElsewhere(d, y.TeacherCode, classCode, selected);
    } catch (const std::exception&) {
        return false;
    }
}

QList<Period> SwappablePeriods(TimetableDb& db, const QString& classCode, const LessonSlots& cells,
                               Period selected) {
    QList<Period> periods;
    for (int day = 1; day <= 5; ++day)
        for (int lessonNo = 1; lessonNo <= cells.lessonsPerDay(); ++lessonNo)
            if (IsSwapLegal(db, classCode, cells, selected, {day, lessonNo}))
                periods.append({day, lessonNo});
    return periods;
}

bool SwapLessons(TimetableDb& db, const QString& classCode, LessonSlots& cells, Period selected,
                 Period target) {
    if (!cells.contains(selected.day, selected.lessonNo) ||
        !cells.contains(target.day, target.lessonNo) || selected == target)
        return false;
    LessonCell& x = cells.at(selected.day, selected.lessonNo);
    LessonCell& y = cells.at(target.day, target.lessonNo);
    if (x.isEmpty())
        return false;
    try {
        SQLite::Database& d = db.sql();
        SQLite::Transaction tx(d);
        const char* const update = "update LessonListtb set CourseCode=?, TeacherCode=?"
                                   " where ClassCode=? and Day=? and LessonNo=?";
        if (!y.isEmpty()) {
            sql::exec(d, update, x.CourseCode, x.TeacherCode, classCode, target.day,
                      target.lessonNo);
            sql::exec(d, update, y.CourseCode, y.TeacherCode, classCode, selected.day,
                      selected.lessonNo);
        } else {
            sql::exec(d, "insert into LessonListtb values(?,?,?,?,?,2)", classCode, target.day,
                      target.lessonNo, x.CourseCode, x.TeacherCode);
            sql::exec(d, "delete from LessonListtb where ClassCode=? and Day=? and LessonNo=?",
                      classCode, selected.day, selected.lessonNo);
        }
        tx.commit();
    } catch (const std::exception&) {
        return false;
    }
    std::swap(x, y);
    return true;
}

bool PlaceLesson(TimetableDb& db, const QString& classCode, const QString& courseCode,
                 const QString& teacherCode, int day, int lessonNo) {
    if (courseCode.isEmpty())
        return false;
    try {
        SQLite::Database& d = db.sql();
        SQLite::Transaction tx(d);
        // A period that filled up meanwhile is a failure, not a silent success.
        if (!IsClassSlotFree(db, classCode, day, lessonNo) ||
            (!teacherCode.isEmpty() && !IsTeacherSlotFree(db, teacherCode, day, lessonNo)))
            return false;
        sql::exec(d, "insert into LessonListtb values(?,?,?,?,?,2)", classCode, day, lessonNo,
                  courseCode, teacherCode);
        sql::exec(d,
                  "update ClassPlantb set BuildCount=BuildCount+1"
                  " where ClassCode=? and CourseCode=? and TeacherCode=?",
                  classCode, courseCode, teacherCode);
        tx.commit();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool DeleteLesson(TimetableDb& db, const QString& classCode, int day, int lessonNo) {
    return DeletePresetLesson(db, classCode, day, lessonNo);
}
