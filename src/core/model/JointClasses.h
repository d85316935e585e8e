#pragma once
// 合班: a plan row whose lessons its teacher gives to further classes at the
// same time, in one room.
//
// How it is kept: each class has its own LessonListtb row for the lesson, at
// the same period with the same course and teacher, so every per-class view
// and older copies of the program read the week unchanged; each class also
// has its own plan row, which the joint lesson meets. The link alone lives in
// PlanJointtb (ClassCode, CourseCode, TeacherCode, OtherClassCode), one row
// per further class, keyed like the first class's plan row. The rules read the
// lessons of one joint row at one period as one lesson of the teacher
// (HardRules.h: TeacherOnce, Exclusive, JointTogether).
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

struct JointRow {
    QString classCode; // the first class: the row as the plan and the import show it
    QString courseCode;
    QString teacherCode;
    QStringList others; // the further classes, in the order stored

    QStringList classes() const { return QStringList{classCode} + others; }
    bool has(const QString& cls) const { return cls == classCode || others.contains(cls); }
};

class JointClasses {
public:
    // Adds one further class to the row of (cls, course, teacher); a class
    // already in a row of that course and teacher is not added twice.
    void add(const QString& cls, const QString& course, const QString& teacher,
             const QString& other);

    bool empty() const { return m_rows.empty(); }
    const std::vector<JointRow>& rows() const { return m_rows; }
    // The row whose lessons of `course` with `teacher` the class takes part
    // in, as first or further class; nullptr when it has none.
    const JointRow* rowOf(const QString& cls, const QString& course, const QString& teacher) const;
    // The class takes part in a row as a further class: its plan row is met by
    // the first class's lessons and adds no lesson of its own to the teacher.
    bool isFurther(const QString& cls, const QString& course, const QString& teacher) const {
        const JointRow* r = rowOf(cls, course, teacher);
        return r && r->classCode != cls;
    }
    // Two lessons that are one lesson of a joint row: same course and teacher,
    // both classes in that row.
    bool together(const QString& clsA, const QString& clsB, const QString& course,
                  const QString& teacher) const;

private:
    static QString key(const QString& cls, const QString& course, const QString& teacher) {
        return cls + QChar(0x1f) + course + QChar(0x1f) + teacher;
    }
    std::vector<JointRow> m_rows;
    QHash<QString, int> m_index; // every class of a row → the row
};
