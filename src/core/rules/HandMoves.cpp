#include "core/rules/HandMoves.h"

#include "core/rules/HardRules.h"

#include <QSet>
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

namespace {

// The week with every move made.
School movedWeek(const School& s, const std::vector<HandMove>& moves) {
    std::vector<Lesson> lessons = s.timetable.lessons();
    for (const HandMove& m : moves)
        lessons[m.lesson].period = m.to;
    School after = s;
    after.timetable = Timetable(s.timetable.week());
    for (const Lesson& l : lessons)
        after.timetable.add(l);
    return after;
}

// Lessons moved one by one each look fine, yet together they may put a row
// over its daily share or split its double lesson: judged on the week after.
void rowObjections(const School& s, const std::vector<HandMove>& moves,
                   std::vector<MoveObjection>& out) {
    const School after = movedWeek(s, moves);
    auto rowOf = [](const Lesson& l) {
        return l.classCode + QChar(0x1f) + l.courseCode + QChar(0x1f) + l.teacherCode;
    };
    for (const auto& [rule, obstacle] :
         {std::pair{Rule::DailyShare, Obstacle::DailyShareReached},
          std::pair{Rule::DoubleLessons, Obstacle::DoublesMissing}}) {
        QSet<QString> had;
        for (const Breach& b : breachesOf(s, rule))
            if (!b.noteOnly)
                had.insert(rowOf(b.lessons.front()) + QString::number(b.period.day));
        for (const Breach& b : breachesOf(after, rule)) {
            if (b.noteOnly ||
                had.contains(rowOf(b.lessons.front()) + QString::number(b.period.day)))
                continue;
            // Told at the first move of the row.
            for (const HandMove& m : moves) {
                const Lesson& l = s.timetable.lessons()[m.lesson];
                if (rowOf(l) != rowOf(b.lessons.front()))
                    continue;
                if (std::none_of(out.begin(), out.end(), [&](const MoveObjection& o) {
                        return rowOf(o.lesson) == rowOf(l) &&
                               std::any_of(o.reasons.begin(), o.reasons.end(),
                                           [&](const Reason& r) { return r.obstacle == obstacle; });
                    }))
                    out.push_back({l,
                                   m.to,
                                   placingOf(s, l.classCode, l.courseCode, l.teacherCode),
                                   {{obstacle, {}}}});
                break;
            }
        }
    }
}

// The index of the class's row lesson at the period, if any.
std::optional<size_t> rowLessonAt(const School& s, const Lesson& l, Period q) {
    for (size_t i : s.timetable.classLessonIndexes(l.classCode, q)) {
        const Lesson& o = s.timetable.lessons()[i];
        if (!o.lessonNoEmpty && o.courseCode == l.courseCode && o.teacherCode == l.teacherCode)
            return i;
    }
    return std::nullopt;
}

} // namespace

std::optional<size_t> doublePartner(const School& s, size_t lesson) {
    const Lesson& l = s.timetable.lessons()[lesson];
    if (l.lessonNoEmpty || !s.timetable.week().contains(l.period) ||
        placingOf(s, l.classCode, l.courseCode, l.teacherCode).doubles <= 0)
        return std::nullopt;
    // Pair the row's lessons of the day from the first on, as the rules do.
    std::optional<size_t> previous;
    int previousNo = 0;
    for (int n = 1; n <= s.timetable.week().lessonsPerDay(); ++n) {
        const std::optional<size_t> here = rowLessonAt(s, l, {l.period.day, n});
        if (!here) {
            previous.reset();
            continue;
        }
        if (previous && previousNo == n - 1 && !s.middayBreak.between(n - 1, n)) {
            if (n == l.period.lessonNo)
                return previous;
            if (n - 1 == l.period.lessonNo)
                return here;
            previous.reset();
            continue;
        }
        previous = here;
        previousNo = n;
    }
    return std::nullopt;
}

std::vector<HandMove> unitSwapMoves(const School& s, const QString& classCode, Period selected,
                                    Period target) {
    const Timetable& t = s.timetable;
    const std::vector<size_t> shown = t.classLessonIndexes(classCode, selected);
    if (shown.empty())
        return swapMoves(t, classCode, selected, target);
    const std::optional<size_t> partner = doublePartner(s, shown.back());
    if (!partner)
        return swapMoves(t, classCode, selected, target);
    // The unit's periods before and after, the halves in their order.
    const Period other = t.lessons()[*partner].period;
    const int offset = other.lessonNo - selected.lessonNo; // −1 or 1
    const Period first = offset > 0 ? target : Period{target.day, target.lessonNo - 1};
    if (!doubleSecond(s, first) || !t.week().contains(target))
        return {};
    const Period otherTo{target.day, target.lessonNo + offset};
    std::vector<HandMove> moves{{shown.back(), target}, {*partner, otherTo}};
    // Whatever stands at the new periods takes a period the unit leaves.
    std::vector<Period> freed;
    for (Period q : {selected, other})
        if (q != target && q != otherTo)
            freed.push_back(q);
    size_t next = 0;
    for (Period q : {target, otherTo}) {
        if (q == selected || q == other)
            continue;
        const std::vector<size_t> there = t.classLessonIndexes(classCode, q);
        if (!there.empty() && next < freed.size())
            moves.push_back({there.back(), freed[next]});
        ++next;
    }
    return moves;
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
    rowObjections(s, moves, objections);
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
