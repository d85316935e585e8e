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

// The lesson (course, teacher) of a class at a period, as stored last.
struct SlotLesson {
    bool any = false;
    QString courseCode, teacherCode;
};
SlotLesson lessonAt(SQLite::Database& d, const QString& classCode, Period p) {
    SQLite::Statement st(d, "select CourseCode,TeacherCode from LessonListtb where ClassCode=? and "
                            "Day=? and LessonNo=? order by rowid");
    sql::bind(st, classCode, p.day, p.lessonNo);
    SlotLesson l;
    while (st.executeStep())
        l = {true, sql::text(st.getColumn(0)), sql::text(st.getColumn(1))};
    return l;
}

// 合班: the classes a lesson of (course, teacher) of the class is given to,
// the class first; just the class for a lesson of its own.
QStringList classesOfLesson(const JointClasses& joints, const QString& classCode,
                            const QString& courseCode, const QString& teacherCode) {
    QStringList classes{classCode};
    if (const JointRow* r = joints.rowOf(classCode, courseCode, teacherCode))
        for (const QString& c : r->classes())
            if (!classes.contains(c))
                classes << c;
    return classes;
}

// Exchanges the class's lessons of two periods (either may be empty); each
// period keeps its SetFlag, a lesson moved into an empty period gets SetFlag 2.
void swapInClass(SQLite::Database& d, const QString& classCode, Period selected, Period target) {
    const SlotLesson x = lessonAt(d, classCode, selected), y = lessonAt(d, classCode, target);
    const char* const update = "update LessonListtb set CourseCode=?, TeacherCode=?"
                               " where ClassCode=? and Day=? and LessonNo=?";
    const char* const remove =
        "delete from LessonListtb where ClassCode=? and Day=? and LessonNo=?";
    const char* const insert = "insert into LessonListtb values(?,?,?,?,?,2)";
    if (x.any && y.any) {
        sql::exec(d, update, x.courseCode, x.teacherCode, classCode, target.day, target.lessonNo);
        sql::exec(d, update, y.courseCode, y.teacherCode, classCode, selected.day,
                  selected.lessonNo);
    } else if (x.any) {
        sql::exec(d, insert, classCode, target.day, target.lessonNo, x.courseCode, x.teacherCode);
        sql::exec(d, remove, classCode, selected.day, selected.lessonNo);
    } else if (y.any) {
        sql::exec(d, insert, classCode, selected.day, selected.lessonNo, y.courseCode,
                  y.teacherCode);
        sql::exec(d, remove, classCode, target.day, target.lessonNo);
    }
}

} // namespace

QStringList JointClassesOfSwap(TimetableDb& db, const QString& classCode, Period selected,
                               Period target) {
    const JointClasses joints = LoadJoints(db);
    QStringList classes{classCode};
    for (Period p : {selected, target}) {
        const SlotLesson l = lessonAt(db.sql(), classCode, p);
        if (l.any)
            for (const QString& c : classesOfLesson(joints, classCode, l.courseCode, l.teacherCode))
                if (!classes.contains(c))
                    classes << c;
    }
    return classes;
}

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
        // A joint lesson moves in all its classes: the swap is made in each.
        const QStringList classes = JointClassesOfSwap(db, classCode, selected, target);
        SQLite::Database& d = db.sql();
        SQLite::Transaction tx(d);
        for (const QString& c : classes)
            swapInClass(d, c, selected, target);
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
        // A joint lesson is placed in all its classes at once.
        const QStringList classes =
            classesOfLesson(LoadJoints(db), classCode, courseCode, teacherCode);
        SQLite::Database& d = db.sql();
        SQLite::Transaction tx(d);
        // A period that filled up meanwhile is a failure, not a silent success.
        const Timetable week = LoadTimetable(db, Week());
        for (const QString& c : classes)
            if (!rules::freeForHand(week, c, teacherCode, Period{day, lessonNo}))
                throw Failure(c == classCode
                                  ? QStringLiteral("本班或老师此时已有课")
                                  : QStringLiteral("合班的%1此时已有课").arg(GetClassName(db, c)));
        for (const QString& c : classes) {
            sql::exec(d, "insert into LessonListtb values(?,?,?,?,?,2)", c, day, lessonNo,
                      courseCode, teacherCode);
            sql::exec(d,
                      "update ClassPlantb set BuildCount=BuildCount+1"
                      " where ClassCode=? and CourseCode=? and TeacherCode=?",
                      c, courseCode, teacherCode);
        }
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
    const Period at{day, lessonNo};
    SlotLesson l;
    QStringList classes;
    try {
        l = lessonAt(db.sql(), classCode, at);
        if (l.any)
            classes = classesOfLesson(LoadJoints(db), classCode, l.courseCode, l.teacherCode);
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
    if (classes.size() <= 1) {
        DeletePresetLesson(db, classCode, day, lessonNo);
        return;
    }
    // 合班: the lesson leaves every class it is given to, each row counted down.
    try {
        SQLite::Database& d = db.sql();
        SQLite::Transaction tx(d);
        for (const QString& c : classes) {
            const int gone = sql::exec(d,
                                       "delete from LessonListtb where ClassCode=? and Day=? and "
                                       "LessonNo=? and CourseCode=? and TeacherCode=?",
                                       c, day, lessonNo, l.courseCode, l.teacherCode);
            sql::exec(d,
                      "update ClassPlantb set BuildCount=BuildCount-? where ClassCode=? and "
                      "CourseCode=? and TeacherCode=?",
                      gone, c, l.courseCode, l.teacherCode);
        }
        tx.commit();
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}

bool tryDeleteLesson(TimetableDb& db, const QString& classCode, int day, int lessonNo,
                     QString* why) {
    return TryOrSay(why, [&] { DeleteLesson(db, classCode, day, lessonNo); });
}
