#include "core/store/PresetLessons.h"

#include "core/rules/Placement.h"
#include "core/store/SchoolStore.h"
#include "core/store/Sql.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

#include <vector>

namespace {

const char* const kRaiseBuildCount = "update ClassPlantb set BuildCount=BuildCount+1"
                                     " where ClassCode=? and CourseCode=? and TeacherCode=?";
const char* const kLowerBuildCount = "update ClassPlantb set BuildCount=BuildCount-1"
                                     " where ClassCode=? and CourseCode=? and TeacherCode=?";

struct SlotLesson {
    QString courseCode;
    QString teacherCode;
};

std::vector<SlotLesson> lessonsAt(SQLite::Database& d, const QString& classCode, int day,
                                  int lessonNo) {
    SQLite::Statement st(d, "select CourseCode,TeacherCode from LessonListtb"
                            " where ClassCode=? and Day=? and LessonNo=? order by rowid");
    sql::bind(st, classCode, day, lessonNo);
    std::vector<SlotLesson> found;
    while (st.executeStep())
        found.push_back({sql::text(st.getColumn(0)), sql::text(st.getColumn(1))});
    return found;
}

} // namespace

bool LoadPresetLessons(TimetableDb& db, const QString& classCode, QList<PresetLesson>& lessons,
                       QString* why) {
    lessons.clear();
    return TryOrSay(why, [&] {
        try {
            SQLite::Statement st(db.sql(), "select Day,LessonNo,CourseCode from LessonListtb"
                                           " where ClassCode=? and SetFlag=0 order by rowid");
            sql::bind(st, classCode);
            while (st.executeStep())
                lessons.append({st.getColumn(0).getInt(), st.getColumn(1).getInt(),
                                sql::text(st.getColumn(2))});
        } catch (const std::exception& e) {
            throw AsFailure(e, db.path());
        }
    });
}

bool RemainingPresetCourses(TimetableDb& db, const QString& classCode, QStringList& courseCodes,
                            QString* why) {
    courseCodes.clear();
    return TryOrSay(why, [&] {
        try {
            SQLite::Database& d = db.sql();
            SQLite::Statement started(
                d, "select a.CourseCode, a.Count-b.PreSetCount as RemainCount from ClassPlantb a,"
                   " (select ClassCode, CourseCode, count(CourseCode) as PreSetCount"
                   " from LessonListtb where SetFlag=0 and ClassCode=?"
                   " group by ClassCode, CourseCode) b"
                   " where a.ClassCode=b.ClassCode and a.CourseCode=b.CourseCode and a.ClassCode=?"
                   " order by a.CourseCode");
            sql::bind(started, classCode, classCode);
            while (started.executeStep()) {
                if (started.getColumn(1).getInt() > 0)
                    courseCodes << sql::text(started.getColumn(0));
            }
            SQLite::Statement untouched(
                d, "select CourseCode from ClassPlantb where ClassCode=? and CourseCode not in"
                   " (select CourseCode from LessonListtb where SetFlag=0 and ClassCode=?"
                   " and CourseCode is not null)"
                   " order by CourseCode");
            sql::bind(untouched, classCode, classCode);
            while (untouched.executeStep())
                courseCodes << sql::text(untouched.getColumn(0));
        } catch (const std::exception& e) {
            throw AsFailure(e, db.path());
        }
    });
}

void WritePresetLesson(TimetableDb& db, const QString& classCode, const QString& courseCode,
                       const QString& teacherCode, int day, int lessonNo) {
    if (courseCode.isEmpty())
        throw Failure(QStringLiteral("没有选择要预排的课程"));
    try {
        SQLite::Database& d = db.sql();
        SQLite::Transaction tx(d);
        if (!rules::freeForPreset(LoadTimetable(db, Week()), classCode, teacherCode,
                                  Period{day, lessonNo}))
            throw Failure(QStringLiteral("本班或老师此时已有预排的课"));
        const std::vector<SlotLesson> replaced = lessonsAt(d, classCode, day, lessonNo);
        if (!replaced.empty()) {
            // A generated or hand-placed lesson gives the period up to the
            // fixed one; its own plan row loses the lesson.
            sql::exec(d, kLowerBuildCount, classCode, replaced.front().courseCode,
                      replaced.front().teacherCode);
            sql::exec(d,
                      "update LessonListtb set CourseCode=?, TeacherCode=?, SetFlag=0"
                      " where ClassCode=? and Day=? and LessonNo=?",
                      courseCode, teacherCode, classCode, day, lessonNo);
        } else {
            sql::exec(d, "insert into LessonListtb values(?,?,?,?,?,0)", classCode, day, lessonNo,
                      courseCode, teacherCode);
        }
        // The teacher cannot also stay in a lesson that generation or the user
        // placed in another class at this period: that lesson goes back to its
        // class's unplaced lessons.
        SQLite::Statement elsewhere(d, "select ClassCode,CourseCode from LessonListtb"
                                       " where TeacherCode=? and Day=? and LessonNo=?"
                                       " and ClassCode<>? and SetFlag<>0");
        sql::bind(elsewhere, teacherCode, day, lessonNo, classCode);
        while (elsewhere.executeStep())
            sql::exec(d, kLowerBuildCount, sql::text(elsewhere.getColumn(0)),
                      sql::text(elsewhere.getColumn(1)), teacherCode);
        sql::exec(d,
                  "delete from LessonListtb where TeacherCode=? and Day=? and LessonNo=?"
                  " and ClassCode<>? and SetFlag<>0",
                  teacherCode, day, lessonNo, classCode);
        sql::exec(d, kRaiseBuildCount, classCode, courseCode, teacherCode);
        tx.commit();
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}

bool tryWritePresetLesson(TimetableDb& db, const QString& classCode, const QString& courseCode,
                          const QString& teacherCode, int day, int lessonNo, QString* why) {
    return TryOrSay(
        why, [&] { WritePresetLesson(db, classCode, courseCode, teacherCode, day, lessonNo); });
}

void DeletePresetLesson(TimetableDb& db, const QString& classCode, int day, int lessonNo) {
    try {
        SQLite::Database& d = db.sql();
        SQLite::Transaction tx(d);
        // Each removed lesson lowers only the row it was counted in; lowering
        // every row of the class and course would break the counters of a
        // course that two teachers share.
        for (const SlotLesson& l : lessonsAt(d, classCode, day, lessonNo))
            sql::exec(d, kLowerBuildCount, classCode, l.courseCode, l.teacherCode);
        sql::exec(d, "delete from LessonListtb where ClassCode=? and Day=? and LessonNo=?",
                  classCode, day, lessonNo);
        tx.commit();
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}

bool tryDeletePresetLesson(TimetableDb& db, const QString& classCode, int day, int lessonNo,
                           QString* why) {
    return TryOrSay(why, [&] { DeletePresetLesson(db, classCode, day, lessonNo); });
}
