#include "core/store/ManualLessons.h"

#include "core/rules/Placement.h"
#include "core/store/Lookups.h"
#include "core/store/PresetLessons.h"
#include "core/store/SchoolStore.h"
#include "core/store/Sql.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

namespace {

// Reads the lessons of one class or teacher (statement: Day, LessonNo and two
// more columns, one code bound) into the cells; fill takes the two columns.
template <class Fill>
bool LoadSlots(TimetableDb& db, const char* statement, const QString& code, LessonSlots& cells,
               QString* why, Fill fill) {
    cells.clear();
    return TryOrSay(why, [&] {
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
        } catch (const std::exception& e) {
            throw AsFailure(e, db.path());
        }
    });
}

} // namespace

bool QueryUnplacedRows(TimetableDb& db, QList<UnplacedPlanRow>& rows, QString* why) {
    rows.clear();
    return TryOrSay(why, [&] {
        try {
            SQLite::Statement st(db.sql(),
                                 "select ClassCode,CourseCode,TeacherCode,(Count-BuildCount) as"
                                 " RemainCount from ClassPlantb where Count<>BuildCount"
                                 " order by ClassCode,CourseCode,rowid");
            while (st.executeStep())
                rows.append({sql::text(st.getColumn(0)), sql::text(st.getColumn(1)),
                             sql::text(st.getColumn(2)), st.getColumn(3).getInt()});
        } catch (const std::exception& e) {
            throw AsFailure(e, db.path());
        }
    });
}

bool LoadClassSlots(TimetableDb& db, const QString& classCode, LessonSlots& cells, QString* why) {
    return LoadSlots(db,
                     "select Day,LessonNo,CourseCode,TeacherCode from LessonListtb"
                     " where ClassCode=? order by rowid",
                     classCode, cells, why,
                     [&db](LessonCell& c, const QString& courseCode, const QString& teacherCode) {
                         c.CourseCode = courseCode;
                         c.CourseName = GetCourseName(db, courseCode);
                         c.TeacherCode = teacherCode;
                         c.TeacherName = GetTeacherName(db, teacherCode);
                     });
}

bool LoadTeacherSlots(TimetableDb& db, const QString& teacherCode, LessonSlots& cells,
                      QString* why) {
    return LoadSlots(db,
                     "select Day,LessonNo,ClassCode,CourseCode from LessonListtb"
                     " where TeacherCode=? order by rowid",
                     teacherCode, cells, why,
                     [&db](LessonCell& c, const QString& classCode, const QString& courseCode) {
                         c.ClassCode = classCode;
                         c.ClassName = GetClassName(db, classCode);
                         c.ClassShortName = GetClassShortName(db, classCode);
                         c.CourseCode = courseCode;
                         c.CourseName = GetCourseName(db, courseCode);
                     });
}

QList<Period> SwappablePeriods(TimetableDb& db, const QString& classCode, const LessonSlots& cells,
                               Period selected) {
    QList<Period> periods;
    const Timetable week = LoadTimetable(db, Week::ofLessons(cells.lessonsPerDay()));
    week.week().forEach([&](Period p) {
        if (rules::swapLegal(week, classCode, selected, p))
            periods.append(p);
    });
    return periods;
}

void SwapLessons(TimetableDb& db, const QString& classCode, LessonSlots& cells, Period selected,
                 Period target) {
    if (!cells.contains(selected.day, selected.lessonNo) ||
        !cells.contains(target.day, target.lessonNo) || selected == target ||
        cells.at(selected.day, selected.lessonNo).isEmpty())
        throw Failure(QStringLiteral("所选的时间没有可以调动的课"));
    LessonCell& x = cells.at(selected.day, selected.lessonNo);
    LessonCell& y = cells.at(target.day, target.lessonNo);
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
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
    std::swap(x, y);
}

bool trySwapLessons(TimetableDb& db, const QString& classCode, LessonSlots& cells, Period selected,
                    Period target, QString* why) {
    return TryOrSay(why, [&] { SwapLessons(db, classCode, cells, selected, target); });
}

void MoveLessons(TimetableDb& db, const std::vector<LessonMove>& moves) {
    try {
        SQLite::Database& d = db.sql();
        SQLite::Transaction tx(d);
        for (const LessonMove& m : moves)
            if (sql::exec(d, "update LessonListtb set Day=?, LessonNo=? where rowid=?", m.to.day,
                          m.to.lessonNo, m.rowid) != 1)
                throw Failure(QStringLiteral("要调动的课已不在课表中，请重新打开窗口"));
        tx.commit();
    } catch (const Failure&) {
        throw;
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}

void PlaceLesson(TimetableDb& db, const QString& classCode, const QString& courseCode,
                 const QString& teacherCode, int day, int lessonNo) {
    if (courseCode.isEmpty())
        throw Failure(QStringLiteral("没有选择要排的课"));
    try {
        SQLite::Database& d = db.sql();
        SQLite::Transaction tx(d);
        // A period that filled up meanwhile is a failure, not a silent success.
        if (!rules::freeForHand(LoadTimetable(db, Week()), classCode, teacherCode,
                                Period{day, lessonNo}))
            throw Failure(QStringLiteral("本班或老师此时已有课"));
        sql::exec(d, "insert into LessonListtb values(?,?,?,?,?,2)", classCode, day, lessonNo,
                  courseCode, teacherCode);
        sql::exec(d,
                  "update ClassPlantb set BuildCount=BuildCount+1"
                  " where ClassCode=? and CourseCode=? and TeacherCode=?",
                  classCode, courseCode, teacherCode);
        tx.commit();
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}

bool tryPlaceLesson(TimetableDb& db, const QString& classCode, const QString& courseCode,
                    const QString& teacherCode, int day, int lessonNo, QString* why) {
    return TryOrSay(why,
                    [&] { PlaceLesson(db, classCode, courseCode, teacherCode, day, lessonNo); });
}

void DeleteLesson(TimetableDb& db, const QString& classCode, int day, int lessonNo) {
    DeletePresetLesson(db, classCode, day, lessonNo);
}

bool tryDeleteLesson(TimetableDb& db, const QString& classCode, int day, int lessonNo,
                     QString* why) {
    return TryOrSay(why, [&] { DeleteLesson(db, classCode, day, lessonNo); });
}
