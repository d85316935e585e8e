#include "core/rules/HandMoves.h"

#include <algorithm>

namespace rules {

std::vector<Reason> handReasonsAgainst(const School& s, const Placing& p, Period period) {
    std::vector<Reason> reasons = reasonsAgainst(s, p, period);
    std::erase_if(reasons, [](const Reason& r) { return !isRule(r.obstacle); });
    return reasons;
}

QString describeAll(const School& s, const Placing& p, Period period,
                    const std::vector<Reason>& reasons, const NameOf& nameOf) {
    QStringList lines;
    for (const Reason& r : reasons) {
        if (r.obstacle == Obstacle::NeverAtPeriod && r.jointClass.isEmpty()) {
            const QStringList owners = neverOwners(s, p, period, nameOf);
            // A period the course's best and avoid cells leave out is its
            // course's, though no cell of the course says "不排".
            if (!owners.isEmpty()) {
                lines << owners.join(QStringLiteral("、")) + QStringLiteral("此时间不排");
                continue;
            }
        }
        lines << describe(r, p, nameOf);
    }
    return lines.join('\n');
}

QString periodName(Period period) {
    static const char* const days[] = {"一", "二", "三", "四", "五"};
    const QString day = period.day >= 1 && period.day <= 5 ? QString::fromUtf8(days[period.day - 1])
                                                           : QString::number(period.day);
    return QStringLiteral("周%1第%2节").arg(day).arg(period.lessonNo);
}

std::vector<MoveObjection> objectionsTo(const School& s, const std::vector<HandMove>& moves) {
    School without = s;
    std::vector<size_t> taken;
    for (const HandMove& m : moves)
        taken.push_back(m.lesson);
    std::sort(taken.begin(), taken.end());
    taken.erase(std::unique(taken.begin(), taken.end()), taken.end());
    // From the back, so the indexes still to remove stay valid.
    for (auto it = taken.rbegin(); it != taken.rend(); ++it)
        without.timetable.removeAt(*it);
    std::vector<MoveObjection> objections;
    for (const HandMove& m : moves) {
        const Lesson& l = s.timetable.lessons()[m.lesson];
        Placing p = placingOf(without, l.classCode, l.courseCode, l.teacherCode);
        std::vector<Reason> reasons = handReasonsAgainst(without, p, m.to);
        if (!reasons.empty())
            objections.push_back({l, m.to, std::move(p), std::move(reasons)});
    }
    return objections;
}

std::vector<HandMove> swapMoves(const Timetable& t, const QString& classCode, Period selected,
                                Period target) {
    std::vector<HandMove> moves;
    const std::vector<size_t> x = t.classLessonIndexes(classCode, selected);
    const std::vector<size_t> y = t.classLessonIndexes(classCode, target);
    // The window shows (and swaps) the last lesson stored at a period.
    if (!x.empty())
        moves.push_back({x.back(), target});
    if (!y.empty())
        moves.push_back({y.back(), selected});
    return moves;
}

std::vector<HandMove> swapMoves(const School& s, const QString& classCode, Period selected,
                                Period target) {
    QStringList classes{classCode};
    for (Period p : {selected, target})
        if (const Lesson* l = shownLesson(s.timetable, classCode, p))
            if (const JointRow* r = s.joints.rowOf(classCode, l->courseCode, l->teacherCode))
                for (const QString& c : r->classes())
                    if (!classes.contains(c))
                        classes << c;
    std::vector<HandMove> moves;
    for (const QString& c : classes) {
        const std::vector<HandMove> more = swapMoves(s.timetable, c, selected, target);
        moves.insert(moves.end(), more.begin(), more.end());
    }
    return moves;
}

QStringList describeObjections(const School& s, const std::vector<MoveObjection>& objections,
                               const NameOf& nameOf) {
    auto name = [&](char kind, const QString& code) {
        const QString n = nameOf ? nameOf(kind, code) : QString();
        return n.isEmpty() ? code : n;
    };
    const NameOf named = [&](char kind, const QString& code) { return name(kind, code); };
    QStringList lines;
    for (const MoveObjection& o : objections) {
        const QString where = periodName(o.to);
        for (const Reason& r : o.reasons) {
            if (r.obstacle == Obstacle::NeverAtPeriod) {
                // A joint lesson's other class: that class's "不排" (or the course's).
                const Placing whose =
                    r.jointClass.isEmpty()
                        ? o.placing
                        : placingOf(s, r.jointClass, o.placing.courseCode, o.placing.teacherCode);
                QStringList owners;
                for (const QString& owner : neverOwners(s, whose, o.to, named))
                    // The course is named bare: "体育的“不排”时间".
                    owners << (owner.startsWith(QStringLiteral("课程 ")) ? owner.mid(3) : owner);
                if (owners.isEmpty())
                    owners << name('k', o.lesson.courseCode);
                lines << QStringLiteral("%1是%2的“不排”时间")
                             .arg(where, owners.join(QStringLiteral("、")));
            } else {
                lines << QStringLiteral("%1调到%2：%3")
                             .arg(name('k', o.lesson.courseCode), where,
                                  describe(r, o.placing, named));
            }
        }
    }
    lines.removeDuplicates();
    return lines;
}

} // namespace rules
