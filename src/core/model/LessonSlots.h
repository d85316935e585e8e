#pragma once
// What the hand-placing windows know about the periods of the class or the
// teacher they show, indexed by Day (1..5) and LessonNo (1..lessons per day).
#include "core/model/Week.h"

#include <QString>

#include <vector>

struct LessonCell {
    QString ClassCode;
    QString ClassName;
    QString ClassShortName;
    QString CourseCode;
    QString CourseName;
    QString TeacherCode;
    QString TeacherName;

    // A period without a course holds no lesson.
    bool isEmpty() const { return CourseCode.isEmpty(); }
    void clear() { *this = LessonCell(); }
};

class LessonSlots {
public:
    explicit LessonSlots(int lessonsPerDay = 6) { resize(lessonsPerDay); }

    // Index 0 of either dimension exists but is never filled.
    void resize(int lessonsPerDay) {
        m_lessons = lessonsPerDay;
        m_cells.assign(6 * static_cast<size_t>(lessonsPerDay + 1), LessonCell());
    }
    int lessonsPerDay() const { return m_lessons; }
    bool contains(int day, int lessonNo) const {
        return day >= 1 && day <= 5 && lessonNo >= 1 && lessonNo <= m_lessons;
    }
    LessonCell& at(int day, int lessonNo) { return m_cells[index(day, lessonNo)]; }
    const LessonCell& at(int day, int lessonNo) const { return m_cells[index(day, lessonNo)]; }
    void clear() {
        for (LessonCell& c : m_cells)
            c.clear();
    }

private:
    size_t index(int day, int lessonNo) const {
        return static_cast<size_t>(day) * static_cast<size_t>(m_lessons + 1) +
               static_cast<size_t>(lessonNo);
    }
    int m_lessons = 6;
    std::vector<LessonCell> m_cells;
};
