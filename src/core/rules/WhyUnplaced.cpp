#include "core/rules/WhyUnplaced.h"

#include "core/rules/HardRules.h"

#include <QStringList>
#include <algorithm>
#include <map>

namespace rules {

QStringList neverOwners(const School& s, const Placing& p, Period period, const NameOf& nameOf) {
    auto name = [&](char kind, const QString& code) {
        const QString n = nameOf ? nameOf(kind, code) : QString();
        return n.isEmpty() ? code : n;
    };
    auto never = [&](LimitKind kind, const QString& code) {
        for (const LimitCell& c : s.limits.cellsOn(kind, code, period.day))
            if (c.period.lessonNo == period.lessonNo && c.isLevel(LimitLevel::Never))
                return true;
        return false;
    };
    QStringList owners;
    if (never(LimitKind::Course, p.courseCode))
        owners << QStringLiteral("课程 ") + name('k', p.courseCode);
    if (never(LimitKind::Teacher, p.teacherCode))
        owners << QStringLiteral("老师 ") + name('t', p.teacherCode);
    const QString& group = s.teacherRules.of(p.teacherCode).groupCode;
    if (!p.teacherCode.isEmpty() && !group.isEmpty() && never(LimitKind::Group, group))
        owners << s.teacherRules.groupName(group) + QStringLiteral("教研活动");
    if (never(LimitKind::Class, p.classCode))
        owners << QStringLiteral("班级 ") + name('c', p.classCode);
    return owners;
}

namespace {

// The obstacles completion cannot pass by moving lessons of other periods;
// the teacher's daily cap only steers generation.
bool hard(Obstacle o) {
    return o != Obstacle::TeacherDayCap && o != Obstacle::ClassBusy;
}

} // namespace

WhyUnplaced whyUnplaced(const School& s, const Placing& p, const NameOf& nameOf) {
    auto name = [&](char kind, const QString& code) {
        const QString n = nameOf ? nameOf(kind, code) : QString();
        return n.isEmpty() ? code : n;
    };
    const NameOf named = [&](char kind, const QString& code) { return name(kind, code); };
    WhyUnplaced why;
    int freeForClass = 0, open = 0;
    std::map<Obstacle, int> blocked; // over the periods where the class is free
    std::map<QString, int> neverBy;  // whose "不排" → periods
    // A row still short of double lessons is asked for a double lesson
    // starting at each period.
    const bool asDouble = doublesStillMissing(s, p) > 0;
    s.timetable.week().forEach([&](Period period) {
        PeriodReasons pr{period,
                         asDouble ? reasonsAgainstDouble(s, p, period)
                                  : reasonsAgainst(s, p, period),
                         {}};
        QStringList lines;
        bool classBusy = false, blockedHere = false;
        std::vector<Obstacle> seen;
        QString neverWho;
        for (const Reason& r : pr.reasons) {
            QString line = describe(r, p, named);
            if (r.obstacle == Obstacle::NeverAtPeriod) {
                const QStringList owners = neverOwners(s, p, period, named);
                neverWho = owners.isEmpty() ? QStringLiteral("课程 ") + name('k', p.courseCode)
                                            : owners.join(QStringLiteral("、"));
                line = neverWho + QStringLiteral("此时间不排");
            }
            lines << line;
            classBusy = classBusy || r.obstacle == Obstacle::ClassBusy;
            if (hard(r.obstacle) && std::find(seen.begin(), seen.end(), r.obstacle) == seen.end())
                seen.push_back(r.obstacle);
            blockedHere = blockedHere || hard(r.obstacle);
        }
        if (!classBusy) {
            ++freeForClass;
            for (Obstacle o : seen)
                ++blocked[o];
            if (!blockedHere)
                ++open;
            if (!neverWho.isEmpty())
                ++neverBy[neverWho];
        }
        pr.text = lines.isEmpty() ? QStringLiteral("可以排在这里") : lines.join('\n');
        why.periods.push_back(pr);
    });

    const int periods = s.timetable.week().periodCount();
    const QString cls = name('c', p.classCode), course = name('k', p.courseCode),
                  teacher = name('t', p.teacherCode);
    if (freeForClass == 0) {
        why.summary = QStringLiteral("%1 每周 %2 个时间都已有课").arg(cls).arg(periods);
        return why;
    }
    if (open > 0) {
        why.summary = QStringLiteral("%1 还有 %2 个时间可以排%3").arg(cls).arg(open).arg(course);
        return why;
    }
    // What one obstacle means over the class's free periods: over all of them
    // (all) or over n of them.
    auto phrase = [&](Obstacle o, int n, bool all) -> QString {
        switch (o) {
        case Obstacle::TeacherBusy:
            return all ? QStringLiteral("老师 %1 在本班空闲的 %2 个时间都有课").arg(teacher).arg(n)
                       : QStringLiteral("%1 个时间老师 %2 有课").arg(n).arg(teacher);
        case Obstacle::NeverAtPeriod: {
            const QString who =
                neverBy.size() == 1 ? neverBy.begin()->first : QStringLiteral("课程、老师或班级");
            return all ? QStringLiteral("本班空闲的 %1 个时间都是%2的“不排”时间").arg(n).arg(who)
                       : QStringLiteral("%1 个时间是%2的“不排”时间").arg(n).arg(who);
        }
        case Obstacle::ExclusiveTaken:
            if (p.capacity > 1)
                return all ? QStringLiteral("%1同时最多 %2 个班，本班空闲的 %3 个时间都已满")
                                 .arg(course)
                                 .arg(p.capacity)
                                 .arg(n)
                           : QStringLiteral("%1 个时间 %2 已满（同时最多 %3 个班）")
                                 .arg(n)
                                 .arg(course)
                                 .arg(p.capacity);
            return all ? QStringLiteral("专用课程 %1 在本班空闲的 %2 个时间都已在其他班上课")
                             .arg(course)
                             .arg(n)
                       : QStringLiteral("%1 个时间专用课程 %2 在其他班上课").arg(n).arg(course);
        case Obstacle::DailyShareReached:
            return all ? QStringLiteral("本班空闲的 %1 个时间所在的日子，%2 都已排满每天 %3 节")
                             .arg(n)
                             .arg(course)
                             .arg(p.dailyShare)
                       : QStringLiteral("%1 个时间当天 %2 已排满每天 %3 节")
                             .arg(n)
                             .arg(course)
                             .arg(p.dailyShare);
        case Obstacle::NoDoubleHere:
            return all ? QStringLiteral(
                             "本班空闲的 %1 个时间都不能开始连堂（当天最后一节或跨午休）")
                             .arg(n)
                       : QStringLiteral("%1 个时间不能开始连堂").arg(n);
        case Obstacle::DoublesMissing:
            return all ? QStringLiteral("本班空闲的 %1 个时间排进去都凑不够 %2 次连堂")
                             .arg(n)
                             .arg(p.doubles)
                       : QStringLiteral("%1 个时间排进去凑不够连堂").arg(n);
        case Obstacle::TeacherDailyMax:
            return all ? QStringLiteral(
                             "本班空闲的 %1 个时间所在的日子，老师 %2 都已上满每天 %3 节")
                             .arg(n)
                             .arg(teacher)
                             .arg(p.teacherMaxPerDay)
                       : QStringLiteral("%1 个时间当天老师 %2 已上满每天 %3 节")
                             .arg(n)
                             .arg(teacher)
                             .arg(p.teacherMaxPerDay);
        case Obstacle::TeacherInRow:
            return all ? QStringLiteral("本班空闲的 %1 个时间，老师 %2 排上都会连上超过 %3 节")
                             .arg(n)
                             .arg(teacher)
                             .arg(p.teacherMaxInRow)
                       : QStringLiteral("%1 个时间老师 %2 会连上超过 %3 节")
                             .arg(n)
                             .arg(teacher)
                             .arg(p.teacherMaxInRow);
        default:
            return all ? QStringLiteral("本班空闲的 %1 个时间都排不下").arg(n)
                       : QStringLiteral("%1 个时间排不下").arg(n);
        }
    };
    std::vector<std::pair<int, Obstacle>> ranked;
    ranked.reserve(blocked.size());
    for (const auto& [o, n] : blocked)
        ranked.emplace_back(n, o);
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    if (!ranked.empty() && ranked.front().first == freeForClass) {
        why.summary = phrase(ranked.front().second, freeForClass, true);
        return why;
    }
    QStringList parts;
    for (const auto& [n, o] : ranked)
        parts << phrase(o, n, false);
    why.summary = QStringLiteral("本班空闲的 %1 个时间里：").arg(freeForClass) +
                  parts.join(QStringLiteral("，"));
    return why;
}

} // namespace rules
