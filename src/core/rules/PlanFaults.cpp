#include "core/rules/PlanFaults.h"

#include "core/rules/HardRules.h"

#include <QSet>
#include <optional>

namespace rules {

namespace {

QString shown(const std::function<QString(char, const QString&)>& nameOf, char kind,
              const QString& code) {
    const QString n = nameOf ? nameOf(kind, code) : QString();
    return n.isEmpty() ? code : n;
}

// A negative count plans nothing, as everywhere; only more than the week is a
// fault (and one that would make a run hold that many lessons).
bool countBeyondWeek(const PlanRow& r, Week week) {
    return r.count && *r.count > week.periodCount();
}

// A joint row's classes each plan its lessons, all with the first class's count.
void jointFaults(const School& s, std::vector<PlanFault>& out) {
    for (const JointRow& j : s.joints.rows()) {
        auto rowOf = [&](const QString& cls) -> std::optional<PlanRow> {
            std::optional<PlanRow> found;
            for (const PlanRow& r : s.plan)
                if (r.isComplete() && r.sameLessons(cls, j.courseCode, j.teacherCode)) {
                    if (found)
                        found->count = found->weeklyLessons() + r.weeklyLessons();
                    else
                        found = r;
                }
            return found;
        };
        PlanRow key;
        key.classCode = j.classCode;
        key.courseCode = j.courseCode;
        key.teacherCode = j.teacherCode;
        const std::optional<PlanRow> first = rowOf(j.classCode);
        if (!first)
            out.push_back({PlanFault::Kind::JointNoRow, key, j.classCode});
        for (const QString& other : j.others) {
            if (s.knownCodes && !s.knownCodes->classes.contains(other)) {
                out.push_back({PlanFault::Kind::JointUnknownClass, first.value_or(key), other});
                continue;
            }
            const std::optional<PlanRow> there = rowOf(other);
            if (!there)
                out.push_back({PlanFault::Kind::JointNoRow, first.value_or(key), other});
            else if (first && there->weeklyLessons() != first->weeklyLessons())
                out.push_back({PlanFault::Kind::JointCountDiffers, *first, other});
        }
    }
}

} // namespace

std::vector<PlanFault> planFaultsOf(const School& s) {
    std::vector<PlanFault> out;
    QSet<QString> seen;
    const Week week = s.timetable.week();
    for (const PlanRow& r : s.plan) {
        if (s.knownCodes) {
            if (!r.classCode.isEmpty() && !s.knownCodes->classes.contains(r.classCode))
                out.push_back({PlanFault::Kind::UnknownClass, r});
            if (!r.courseCode.isEmpty() && !s.knownCodes->courses.contains(r.courseCode))
                out.push_back({PlanFault::Kind::UnknownCourse, r});
            if (!r.teacherCode.isEmpty() && !s.knownCodes->teachers.contains(r.teacherCode))
                out.push_back({PlanFault::Kind::UnknownTeacher, r});
        }
        if (countBeyondWeek(r, week))
            out.push_back({PlanFault::Kind::CountOutOfRange, r});
        if (r.isComplete()) {
            const QString key =
                r.classCode + QChar(0x1f) + r.courseCode + QChar(0x1f) + r.teacherCode;
            if (seen.contains(key))
                out.push_back({PlanFault::Kind::Duplicate, r});
            seen.insert(key);
        }
    }
    jointFaults(s, out);
    return out;
}

QStringList planFaultLines(const std::vector<PlanFault>& faults, Week week,
                           const std::function<QString(char, const QString&)>& nameOf) {
    QStringList lines;
    for (const PlanFault& f : faults) {
        const PlanRow& r = f.row;
        const QString row =
            QStringLiteral("%1 %2（%3）")
                .arg(shown(nameOf, 'c', r.classCode), shown(nameOf, 'k', r.courseCode),
                     shown(nameOf, 't', r.teacherCode));
        switch (f.kind) {
        case PlanFault::Kind::UnknownClass:
            lines << QStringLiteral("计划错误：%1 的班级代码 %2 不在班级名单中")
                         .arg(row, r.classCode);
            break;
        case PlanFault::Kind::UnknownCourse:
            lines << QStringLiteral("计划错误：%1 的课程代码 %2 不在课程名单中")
                         .arg(row, r.courseCode);
            break;
        case PlanFault::Kind::UnknownTeacher:
            lines << QStringLiteral("计划错误：%1 的老师代码 %2 不在老师名单中")
                         .arg(row, r.teacherCode);
            break;
        case PlanFault::Kind::Duplicate:
            lines << QStringLiteral("计划错误：%1 在教学计划中重复出现").arg(row);
            break;
        case PlanFault::Kind::JointNoRow:
            lines << QStringLiteral("合班错误：%1 与%2合班，但%2的教学计划中没有这门课（这位老师）")
                         .arg(row, shown(nameOf, 'c', f.otherClass));
            break;
        case PlanFault::Kind::JointCountDiffers:
            lines << QStringLiteral("合班错误：%1 与%2合班，两班计划的节数不同")
                         .arg(row, shown(nameOf, 'c', f.otherClass));
            break;
        case PlanFault::Kind::JointUnknownClass:
            lines << QStringLiteral("合班错误：%1 的合班班级代码 %2 不在班级名单中")
                         .arg(row, f.otherClass);
            break;
        case PlanFault::Kind::CountOutOfRange:
            lines << QStringLiteral("计划错误：%1 计划 %2 节，%3")
                         .arg(row)
                         .arg(*r.count)
                         .arg(lessonCountRule(week));
            break;
        }
    }
    return lines;
}

QStringList unrunnableReasons(const School& s,
                              const std::function<QString(char, const QString&)>& nameOf) {
    // Only the counts: the rest of planFaultsOf costs a tenth of a generation.
    std::vector<PlanFault> counts;
    for (const PlanRow& r : s.plan)
        if (countBeyondWeek(r, s.timetable.week()))
            counts.push_back({PlanFault::Kind::CountOutOfRange, r});
    QStringList lines = planFaultLines(counts, s.timetable.week(), nameOf);
    // A lesson at lesson 7 of a six-lesson week is only reported; numbers no
    // week has are damage, and a run on them would carry it on.
    for (const Breach& b : breachesOf(s, Rule::InsideWeek))
        for (const Lesson& l : b.lessons)
            if (l.period.day > Week::kDays || l.period.lessonNo > Week::kMaxLessonsPerDay)
                lines << QStringLiteral(
                             "课表错误：%1 的%2课在第 %3 天第 %4 节，不在每周课表的时间内")
                             .arg(shown(nameOf, 'c', l.classCode), shown(nameOf, 'k', l.courseCode))
                             .arg(l.period.day)
                             .arg(l.period.lessonNo);
    return lines;
}

} // namespace rules
