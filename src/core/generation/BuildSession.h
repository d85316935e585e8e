#pragma once
// What one generation run needs to know about the week while it places
// lessons: who is busy when, and the course time limits. Loaded once from the
// database and kept up to date by every lesson the run writes, so the many
// questions per lesson are answered from memory. Every answer is the one the
// corresponding query on LessonListtb / Limittb / CourseAttrtb would give.
#include <QHash>
#include <QString>
#include <SQLiteCpp/SQLiteCpp.h>
#include <memory>
#include <vector>

class TimetableDb;

class BuildSession {
public:
    // A course limit cell of one day, in the order the rows were stored.
    struct LimitCell {
        int lessonNo;
        enum class Attr { Number, Null, Other } kind; // Other: text that is no number
        int attr;                                     // the value when kind is Number
        // The cell belongs to limit level 0 or 2 ("Attr=level").
        bool isLevel(int level) const { return kind == Attr::Number && attr == level; }
        // The cell keeps its lesson number from the normal level ("Attr<>1").
        bool notNormal() const {
            return kind == Attr::Other || (kind == Attr::Number && attr != 1);
        }
    };

    // Reads the timetable, the course limits and the exclusive courses.
    // Throws (SQLite::Exception, DatabaseClosed) when the database cannot be read.
    BuildSession(TimetableDb& db, int lessonsPerDay);
    ~BuildSession();
    BuildSession(const BuildSession&) = delete;
    BuildSession& operator=(const BuildSession&) = delete;

    TimetableDb& db() { return m_db; }
    int lessonsPerDay() const { return m_lessonsPerDay; }

    // Does the class have a lesson at (day, lessonNo)?
    bool classBusy(const QString& classCode, int day, int lessonNo) const;
    // Does the class have a lesson on the day whose LessonNo is Null? Such a
    // row makes "LessonNo not in (the class's lessons of the day)" unknown for
    // every lesson number.
    bool classHasNullLesson(const QString& classCode, int day) const;
    // Does the teacher have a lesson at (day, lessonNo), in any class?
    bool teacherBusy(const QString& teacherCode, int day, int lessonNo) const;
    // The teacher's lessons on the day, in all classes.
    int teacherLessonsOnDay(const QString& teacherCode, int day) const;
    // The class's lessons of the course on the day.
    int classCourseLessonsOnDay(const QString& classCode, const QString& courseCode, int day) const;
    // Is the course exclusive and already given to some class at (day, lessonNo)?
    bool exclusiveTaken(const QString& courseCode, int day, int lessonNo) const;
    // The course's limit cells of the day (Limittb rows of kind 1).
    const std::vector<LimitCell>& courseLimits(const QString& courseCode, int day) const;

    // Writes a generated lesson (SetFlag 1) and counts it. Throws on failure.
    void insertLesson(const QString& classCode, int day, int lessonNo, const QString& courseCode,
                      const QString& teacherCode);
    // Writes the counter of the plan row (class, course, teacher). Throws on failure.
    void writeBuildCount(const QString& classCode, const QString& courseCode,
                         const QString& teacherCode, int built);

private:
    int id(const QString& code) const;
    int internId(const QString& code);
    void countLesson(int cls, int day, int lessonNo, int course, int teacher,
                     bool nullLessonNo = false);

    TimetableDb& m_db;
    int m_lessonsPerDay;
    QHash<QString, int> m_ids;
    QHash<quint64, int> m_counts;
    QHash<quint64, std::vector<LimitCell>> m_limits;
    QHash<int, bool> m_exclusive;
    std::unique_ptr<SQLite::Statement> m_insert;
    std::unique_ptr<SQLite::Statement> m_update;
};
