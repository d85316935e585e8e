#pragma once
// The order in which generation takes the plan rows: repeatedly the teacher
// with the most classes still waiting and that teacher's most widespread
// course, then each waiting row of that course. Kept as counters that follow
// every row finished, so that the choice costs no regrouping of the plan.
//
// Codes are ordered as the database orders text (bytes of UTF-8), which is
// what the ties fall back on.
#include "core/model/School.h"

#include <QHash>
#include <QString>
#include <optional>
#include <vector>

class PlanQueue {
public:
    // Rows that are not yet done (IsAutoBuild 0) and name a class, a course
    // and a teacher are waiting; the others are never offered.
    explicit PlanQueue(const std::vector<PlanRow>& plan);

    // The teacher with the most classes still waiting (ties: the smaller code)
    // goes to teacherCode; returns that teacher's course taught in the most
    // waiting classes (ties: more weekly lessons, then the smaller code).
    // Empty when no row waits (teacherCode is then empty too).
    QString nextCourse(QString& teacherCode) const;
    // The first waiting row (in rowid order) of the course taught by
    // teacherCode, else the first waiting row of the course by any teacher.
    std::optional<size_t> nextRow(const QString& courseCode, const QString& teacherCode) const;
    // The row is no longer waiting.
    void finish(size_t row);
    bool waiting(size_t row) const { return m_waiting[row]; }

private:
    const std::vector<PlanRow>& m_plan;
    std::vector<bool> m_waiting;
    // Teachers in code order, each with the classes of its waiting rows.
    struct Teacher {
        QString code;
        std::vector<size_t> rows;      // its rows, in rowid order
        QHash<QString, int> classRows; // class -> waiting rows
        int classes = 0;               // classes with a waiting row
    };
    std::vector<Teacher> m_teachers;
    std::vector<int> m_teacherOfRow; // index into m_teachers, -1 for rows never waiting
    QHash<QString, std::vector<size_t>> m_rowsOfCourse; // rowid order
    QHash<QString, QByteArray> m_courseKey;             // the code as the database sorts it
};
