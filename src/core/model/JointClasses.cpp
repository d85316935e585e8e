#include "core/model/JointClasses.h"

void JointClasses::add(const QString& cls, const QString& course, const QString& teacher,
                       const QString& other) {
    if (cls.isEmpty() || other.isEmpty() || other == cls || course.isEmpty() || teacher.isEmpty())
        return;
    int at = m_index.value(key(cls, course, teacher), -1);
    if (at >= 0 && m_rows[static_cast<size_t>(at)].classCode != cls)
        return; // the class is itself a further class of another row: one row per lesson
    if (at < 0) {
        at = static_cast<int>(m_rows.size());
        m_rows.push_back({cls, course, teacher, {}});
        m_index.insert(key(cls, course, teacher), at);
    }
    if (m_index.contains(key(other, course, teacher)))
        return;
    m_rows[static_cast<size_t>(at)].others << other;
    m_index.insert(key(other, course, teacher), at);
}

const JointRow* JointClasses::rowOf(const QString& cls, const QString& course,
                                    const QString& teacher) const {
    if (m_rows.empty())
        return nullptr;
    const int at = m_index.value(key(cls, course, teacher), -1);
    return at < 0 ? nullptr : &m_rows[static_cast<size_t>(at)];
}

bool JointClasses::together(const QString& clsA, const QString& clsB, const QString& course,
                            const QString& teacher) const {
    const JointRow* r = rowOf(clsA, course, teacher);
    return r && r->has(clsB);
}
