#pragma once
// What a school says of its teachers beyond their time limits: how many
// lessons a day and in a row each may give, and the subject group (教研组)
// each belongs to. A group's own "不排" periods (its weekly meeting) hold for
// every teacher of the group; they are Limittb cells of LimitKind::Group.
#include <QHash>
#include <QString>

struct TeacherRule {
    int maxPerDay = 0; // lessons a day at most; 0: no limit
    int maxInRow = 0;  // lessons one after another at most; 0: no limit
    QString groupCode; // empty: in no group
};

class TeacherRules {
public:
    // The teacher's rule; a teacher without one has no limits and no group.
    const TeacherRule& of(const QString& teacherCode) const {
        static const TeacherRule none;
        auto it = m_rules.constFind(teacherCode);
        return it == m_rules.constEnd() ? none : it.value();
    }
    void set(const QString& teacherCode, const TeacherRule& rule) {
        m_rules.insert(teacherCode, rule);
    }
    const QHash<QString, TeacherRule>& all() const { return m_rules; }
    bool empty() const { return m_rules.isEmpty(); }

    // The groups by code, with their names.
    QHash<QString, QString> groupNames;
    QString groupName(const QString& groupCode) const {
        return groupNames.value(groupCode, groupCode);
    }

private:
    QHash<QString, TeacherRule> m_rules;
};
