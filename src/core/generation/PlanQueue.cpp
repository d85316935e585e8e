#include "core/generation/PlanQueue.h"

#include <algorithm>
#include <map>

PlanQueue::PlanQueue(const std::vector<PlanRow>& plan)
    : m_plan(plan), m_waiting(plan.size(), false), m_teacherOfRow(plan.size(), -1) {
    std::map<QByteArray, std::vector<size_t>> byTeacher;
    for (size_t i = 0; i < plan.size(); ++i) {
        const PlanRow& r = plan[i];
        if (r.autoBuilt || !r.isComplete())
            continue;
        m_waiting[i] = true;
        byTeacher[r.teacherCode.toUtf8()].push_back(i);
        m_rowsOfCourse[r.courseCode].push_back(i);
        if (!m_courseKey.contains(r.courseCode))
            m_courseKey.insert(r.courseCode, r.courseCode.toUtf8());
    }
    for (auto& [key, rows] : byTeacher) {
        Teacher t;
        t.code = plan[rows.front()].teacherCode;
        t.rows = rows;
        for (size_t i : rows) {
            if (t.classRows[plan[i].classCode]++ == 0)
                ++t.classes;
            m_teacherOfRow[i] = static_cast<int>(m_teachers.size());
        }
        m_teachers.push_back(std::move(t));
    }
}

QString PlanQueue::nextCourse(QString& teacherCode) const {
    teacherCode.clear();
    const Teacher* best = nullptr;
    for (const Teacher& t : m_teachers)
        if (t.classes > (best ? best->classes : 0))
            best = &t;
    if (!best)
        return {};
    teacherCode = best->code;
    // The teacher's waiting rows by course: classes and weekly lessons.
    struct Course {
        QString code;
        QHash<QString, bool> classes;
        long long lessons = 0;
    };
    std::map<QByteArray, Course> courses;
    for (size_t i : best->rows) {
        if (!m_waiting[i])
            continue;
        const PlanRow& r = m_plan[i];
        Course& c = courses[m_courseKey.value(r.courseCode)];
        c.code = r.courseCode;
        c.classes.insert(r.classCode, true);
        c.lessons += r.weeklyLessons();
    }
    QString course;
    qsizetype bestClasses = 0;
    long long bestLessons = 0;
    for (const auto& [key, c] : courses) {
        const qsizetype n = c.classes.size();
        if (n > bestClasses || (n == bestClasses && c.lessons > bestLessons)) {
            course = c.code;
            bestClasses = n;
            bestLessons = c.lessons;
        }
    }
    return course;
}

std::optional<size_t> PlanQueue::nextRow(const QString& courseCode,
                                         const QString& teacherCode) const {
    auto it = m_rowsOfCourse.constFind(courseCode);
    if (it == m_rowsOfCourse.constEnd())
        return std::nullopt;
    std::optional<size_t> any;
    for (size_t i : it.value()) {
        if (!m_waiting[i])
            continue;
        if (m_plan[i].teacherCode == teacherCode)
            return i;
        if (!any)
            any = i;
    }
    return any;
}

void PlanQueue::finish(size_t row) {
    if (!m_waiting[row])
        return;
    m_waiting[row] = false;
    Teacher& t = m_teachers[static_cast<size_t>(m_teacherOfRow[row])];
    if (--t.classRows[m_plan[row].classCode] == 0)
        --t.classes;
}
