#include "core/rules/RootCauses.h"

#include "core/rules/Placement.h"

#include <QElapsedTimer>
#include <QHash>
#include <algorithm>
#include <functional>
#include <map>
#include <optional>

namespace rules {

namespace {

// Changes tried for one cause before it is left without one, and the time
// all the causes may spend on trying.
constexpr int kMaxTries = 12;
constexpr qint64 kTryingMs = 3000;

struct Row {
    QString cls, course, teacher;
    long long count = 0;
    int missing = 0;
};

QString rowKey(const QString& cls, const QString& course, const QString& teacher) {
    return cls + QChar('\t') + course + QChar('\t') + teacher;
}

// The complete rows of the plan (the first of equal rows), with the lessons
// each still misses.
std::vector<Row> planRows(const School& s) {
    QHash<QString, int> placed;
    for (const Lesson& l : s.timetable.lessons())
        ++placed[rowKey(l.classCode, l.courseCode, l.teacherCode)];
    std::vector<Row> rows;
    QHash<QString, bool> seen;
    for (const PlanRow& r : s.plan) {
        const QString k = rowKey(r.classCode, r.courseCode, r.teacherCode);
        if (!r.isComplete() || seen.contains(k))
            continue;
        seen.insert(k, true);
        const long long count = r.weeklyLessons();
        rows.push_back({r.classCode, r.courseCode, r.teacherCode, count,
                        int(std::max<long long>(0, count - placed.value(k)))});
    }
    return rows;
}

bool hard(Obstacle o) {
    return isRule(o);
}

// Periods of the week at which the rules accept a lesson of the row.
int acceptedPeriods(const School& s, const QString& cls, const QString& course,
                    const QString& teacher) {
    const Placing p = placingOf(s, cls, course, teacher);
    int n = 0;
    s.timetable.week().forEach([&](Period q) {
        const auto reasons = reasonsAgainst(s, p, q);
        n += std::none_of(reasons.begin(), reasons.end(),
                          [](const Reason& r) { return hard(r.obstacle); });
    });
    return n;
}

// The week with only the lessons that completion may not move: pre-set
// lessons, lessons without SetFlag and lessons of no plan row.
School fixedOnly(const School& s) {
    QHash<QString, bool> planned;
    for (const PlanRow& r : s.plan)
        planned.insert(rowKey(r.classCode, r.courseCode, r.teacherCode), true);
    School f = s;
    f.timetable.removeIf([&](const Lesson& l) {
        return (l.origin == Origin::Generated || l.origin == Origin::ByHand) &&
               planned.contains(rowKey(l.classCode, l.courseCode, l.teacherCode));
    });
    return f;
}

// The school without one lesson (the first equal to it).
School withoutLesson(const School& s, const Lesson& gone) {
    School w = s;
    bool removed = false;
    w.timetable.removeIf([&](const Lesson& l) {
        const bool same = !removed && l.rowid == gone.rowid && l.classCode == gone.classCode &&
                          l.period == gone.period && l.courseCode == gone.courseCode &&
                          l.teacherCode == gone.teacherCode;
        removed = removed || same;
        return same;
    });
    return w;
}

bool neverAt(const School& s, LimitKind kind, const QString& code, Period q) {
    for (const LimitCell& c : s.limits.cellsOn(kind, code, q.day))
        if (c.period.lessonNo == q.lessonNo && c.isLevel(LimitLevel::Never))
            return true;
    return false;
}

// The periods of the week that are "不排" for the object itself.
std::vector<Period> neverPeriods(const School& s, LimitKind kind, const QString& code) {
    std::vector<Period> out;
    s.timetable.week().forEach([&](Period q) {
        if (neverAt(s, kind, code, q))
            out.push_back(q);
    });
    return out;
}

// The lessons a teacher can give in a week: the periods that neither the
// teacher's nor the group's "不排" closes, as many of them a day as the
// teacher's daily maximum and row limit let through.
int teacherSupply(const School& s, const QString& teacher) {
    const Week week = s.timetable.week();
    const TeacherRule& rule = s.teacherRules.of(teacher);
    const int morning = std::min(s.middayBreak.morningLessons, week.lessonsPerDay());
    int supply = 0;
    for (int day = 1; day <= Week::kDays; ++day) {
        int today = 0;
        for (const auto& [from, to] :
             {std::pair{1, morning}, std::pair{morning + 1, week.lessonsPerDay()}}) {
            int open = 0;
            for (int n = from; n <= to; ++n)
                open += !neverAt(s, LimitKind::Teacher, teacher, {day, n}) &&
                        (rule.groupCode.isEmpty() ||
                         !neverAt(s, LimitKind::Group, rule.groupCode, {day, n}));
            // k in a row leave one period of every k + 1 empty.
            const int half = to - from + 1;
            today += rule.maxInRow > 0 ? std::min(open, half - half / (rule.maxInRow + 1)) : open;
        }
        supply += rule.maxPerDay > 0 ? std::min(today, rule.maxPerDay) : today;
    }
    return supply;
}

// Periods open to the course as its own limits set them.
int courseOpenPeriods(const School& s, const QString& course) {
    Placing p;
    p.courseCode = course;
    int n = 0;
    s.timetable.week().forEach([&](Period q) { n += levelAt(s, p, q) != LimitLevel::Never; });
    return n;
}

// One change tried on a copy: the school before and after in both states.
struct Trial {
    School now, fixed;
    QString text;
    bool fixedCounts = true; // a change of the plan is judged in the timetable as it is only
    std::vector<Row> extraRows;
};

class Finder {
public:
    Finder(const School& s, const NameOf& nameOf)
        : m_s(s), m_fixed(fixedOnly(s)), m_nameOf(nameOf), m_rows(planRows(s)) {
        m_clock.start();
    }

    std::vector<RootCause> run() {
        struct Group {
            RootCause cause;
            std::vector<long long> figures; // the numbers of the line after the count
            std::vector<Row> rows;
        };
        std::map<std::pair<int, QString>, Group> groups;
        QHash<QString, long long> teacherDemand, classDemand, courseDemand;
        for (const Row& r : m_rows) {
            teacherDemand[r.teacher] += r.count;
            classDemand[r.cls] += r.count;
            courseDemand[r.course] += r.count;
        }
        const int P = m_s.timetable.week().periodCount();
        for (const Row& r : m_rows) {
            if (r.missing == 0)
                continue;
            RootCause c{CauseKind::Crowded, r.cls, r.course, r.teacher, 0, {}, {}};
            std::vector<long long> figures;
            int supply = 0;
            const int acceptedNow = acceptedPeriods(m_s, r.cls, r.course, r.teacher);
            if (acceptedNow > 0) {
                c.kind = CauseKind::Placeable;
                figures = {acceptedNow};
            } else if (const int cap = m_s.capacityOf(r.course);
                       cap > 0 &&
                       courseDemand[r.course] > (supply = cap * courseOpenPeriods(m_s, r.course))) {
                c = {CauseKind::ExclusiveCourse, r.course, {}, {}, 0, {}, {}};
                figures = {supply, courseDemand[r.course], cap};
            } else if (teacherDemand[r.teacher] > (supply = teacherSupply(m_s, r.teacher))) {
                c = {CauseKind::Teacher, r.teacher, {}, {}, 0, {}, {}};
                figures = {supply, teacherDemand[r.teacher]};
            } else if (classDemand[r.cls] >
                       (supply = P - int(neverPeriods(m_s, LimitKind::Class, r.cls).size()))) {
                c = {CauseKind::Class, r.cls, {}, {}, 0, {}, {}};
                figures = {supply, classDemand[r.cls]};
            } else {
                figures = rowCause(r, c.kind);
            }
            const bool byRow = c.kind > CauseKind::Class || c.kind == CauseKind::Placeable;
            const std::pair<int, QString> key{int(c.kind),
                                              byRow ? rowKey(r.cls, r.course, r.teacher) : c.code};
            auto it = groups.find(key);
            if (it == groups.end())
                it = groups.emplace(key, Group{c, figures, {}}).first;
            it->second.cause.lessons += r.missing;
            it->second.rows.push_back(r);
        }
        std::vector<Group*> ordered;
        for (auto& [key, g] : groups) {
            RootCause& c = g.cause;
            const Row& r = g.rows.front();
            const auto& f = g.figures;
            switch (c.kind) {
            case CauseKind::ExclusiveCourse:
                if (f[2] > 1)
                    c.line = QStringLiteral("%1：%2 节排不下——同时最多 %3 个班，每周最多能上 %4 "
                                            "节，计划 %5 节")
                                 .arg(name('k', c.code))
                                 .arg(c.lessons)
                                 .arg(f[2])
                                 .arg(f[0])
                                 .arg(f[1]);
                else
                    c.line = QStringLiteral(
                                 "%1：%2 节排不下——专用课程每周只有 %3 个可用时间，计划 %4 节")
                                 .arg(name('k', c.code))
                                 .arg(c.lessons)
                                 .arg(f[0])
                                 .arg(f[1]);
                break;
            case CauseKind::Teacher:
            case CauseKind::Class:
                c.line = QStringLiteral("%1：%2 节排不下——每周只有 %3 个可上课时间，计划 %4 节")
                             .arg(c.kind == CauseKind::Teacher
                                      ? QStringLiteral("老师 ") + name('t', c.code)
                                      : name('c', c.code))
                             .arg(c.lessons)
                             .arg(f[0])
                             .arg(f[1]);
                break;
            case CauseKind::DailyShare:
                c.line =
                    QStringLiteral("%1：%2 节排不下——每天最多 %3 节，只有 %4 天可排，计划 %5 节")
                        .arg(rowName(r))
                        .arg(c.lessons)
                        .arg(f[0])
                        .arg(f[1])
                        .arg(f[2]);
                break;
            case CauseKind::Fixed:
                c.line = QStringLiteral("%1：%2 节排不下——预先固定的课和“不排”时间只留下 %3 "
                                        "个可排的时间，计划 %4 节")
                             .arg(rowName(r))
                             .arg(c.lessons)
                             .arg(f[0])
                             .arg(f[1]);
                break;
            case CauseKind::Placeable:
                c.line = QStringLiteral("%1：%2 节还没排——现在有 %3 个时间可以直接排进去")
                             .arg(rowName(r))
                             .arg(c.lessons)
                             .arg(f[0]);
                break;
            case CauseKind::Crowded:
                c.line = QStringLiteral("%1：%2 节排不下——本班空闲的时间老师都有课或被其他课占着")
                             .arg(rowName(r))
                             .arg(c.lessons);
                break;
            }
            ordered.push_back(&g);
        }
        // The largest causes get their changes tried first.
        std::stable_sort(ordered.begin(), ordered.end(), [](const Group* a, const Group* b) {
            return a->cause.lessons > b->cause.lessons;
        });
        std::vector<RootCause> causes;
        for (Group* g : ordered) {
            RootCause& c = g->cause;
            if (c.kind != CauseKind::Placeable && !m_clock.hasExpired(kTryingMs)) {
                c.change = changeFor(c, g->rows);
                c.changeTried = true;
            }
            causes.push_back(c);
        }
        return causes;
    }

private:
    QString name(char kind, const QString& code) const {
        const QString n = m_nameOf ? m_nameOf(kind, code) : QString();
        return n.isEmpty() ? code : n;
    }
    QString rowName(const Row& r) const {
        return QStringLiteral("%1 %2（%3）")
            .arg(name('c', r.cls), name('k', r.course), name('t', r.teacher));
    }

    // Causes 4 to 6 of one row, and the figures of its line.
    std::vector<long long> rowCause(const Row& r, CauseKind& kind) const {
        const Placing p = placingOf(m_s, r.cls, r.course, r.teacher);
        int openDays = 0;
        for (int day = 1; day <= Week::kDays; ++day) {
            bool open = false;
            for (int n = 1; n <= m_s.timetable.week().lessonsPerDay() && !open; ++n)
                open = levelAt(m_s, p, {day, n}) != LimitLevel::Never;
            openDays += open;
        }
        if (r.count > static_cast<long long>(p.dailyShare) * openDays) {
            kind = CauseKind::DailyShare;
            return {p.dailyShare, openDays, r.count};
        }
        // Room in the week of fixed lessons: the accepted periods of each
        // day up to the share the row still has that day.
        const Placing f = placingOf(m_fixed, r.cls, r.course, r.teacher);
        long long room = 0;
        for (int day = 1; day <= Week::kDays; ++day) {
            int accepted = 0, own = 0;
            for (int n = 1; n <= m_fixed.timetable.week().lessonsPerDay(); ++n) {
                const auto reasons = reasonsAgainst(m_fixed, f, {day, n});
                accepted += std::none_of(reasons.begin(), reasons.end(),
                                         [](const Reason& x) { return hard(x.obstacle); });
            }
            for (const Lesson& l : m_fixed.timetable.lessons())
                own += l.period.day == day && l.classCode == r.cls && l.courseCode == r.course &&
                       l.teacherCode == r.teacher;
            room += own + std::min(accepted, std::max(0, f.dailyShare - own));
        }
        if (room < r.count) {
            kind = CauseKind::Fixed;
            return {room, r.count};
        }
        kind = CauseKind::Crowded;
        return {};
    }

    // Accepted (row, period) pairs over the rows in both states.
    std::pair<long long, long long> measure(const School& now, const School& fixed,
                                            const std::vector<Row>& rows) const {
        long long a = 0, b = 0;
        for (const Row& r : rows) {
            a += acceptedPeriods(now, r.cls, r.course, r.teacher);
            b += acceptedPeriods(fixed, r.cls, r.course, r.teacher);
        }
        return {a, b};
    }

    QString owner(LimitKind kind, const QString& code) const {
        switch (kind) {
        case LimitKind::Course:
            return QStringLiteral("课程 ") + name('k', code);
        case LimitKind::Teacher:
            return QStringLiteral("老师 ") + name('t', code);
        default:
            return QStringLiteral("班级 ") + name('c', code);
        }
    }

    Trial openNever(LimitKind kind, const QString& code, Period q) const {
        Trial t{m_s, m_fixed, {}, true, {}};
        t.now.limits.removeAt(kind, code, q);
        t.fixed.limits.removeAt(kind, code, q);
        t.text = QStringLiteral("取消%1 %2的“不排”").arg(owner(kind, code), periodText(q));
        return t;
    }

    // A room of one class loses its mark; a larger one takes one class more.
    Trial widenRoom(const QString& course) const {
        Trial t{m_s, m_fixed, {}, true, {}};
        const int cap = m_s.capacityOf(course);
        const int wider = cap == 1 ? 0 : cap + 1;
        t.now.setCapacity(course, wider);
        t.fixed.setCapacity(course, wider);
        t.text =
            cap == 1
                ? QStringLiteral("取消%1的专用课程标记").arg(name('k', course))
                : QStringLiteral("把%1的同时上课班数改为 %2").arg(name('k', course)).arg(wider);
        return t;
    }

    // The course's own daily maximum one above the row's share, and never
    // below what the course's other rows and classes have now.
    Trial raiseDailyMax(const Row& r) const {
        Trial t{m_s, m_fixed, {}, true, {}};
        int max = placingOf(m_s, r.cls, r.course, r.teacher).dailyShare + 1;
        if (m_s.dailyMaxOf(r.course) == 0) {
            QHash<QString, int> perClass; // the shares of a class's rows add up
            for (const Row& x : m_rows)
                if (x.course == r.course)
                    max = std::max(max, perClass[x.cls] += dailyShareOf(x.count));
        }
        t.now.setDailyMax(r.course, max);
        t.fixed.setDailyMax(r.course, max);
        t.text = QStringLiteral("把%1的每天最多节数改为 %2").arg(name('k', r.course)).arg(max);
        return t;
    }

    // The pre-set lesson lessons()[index] moved to q, in both states.
    Trial movePreset(std::size_t index, Period q) const {
        Trial t{m_s, m_fixed, {}, true, {}};
        const Lesson moved = m_s.timetable.lessons()[index];
        auto moveIn = [&](School& s) {
            std::vector<Lesson> lessons = s.timetable.lessons();
            for (Lesson& l : lessons)
                if (l.rowid == moved.rowid && l.classCode == moved.classCode &&
                    l.period == moved.period && l.courseCode == moved.courseCode) {
                    l.period = q;
                    break;
                }
            s.timetable = Timetable(s.timetable.week());
            for (const Lesson& l : lessons)
                s.timetable.add(l);
        };
        moveIn(t.now);
        moveIn(t.fixed);
        t.text = QStringLiteral("把%1%2预先固定的%3课移到%4")
                     .arg(name('c', moved.classCode), periodText(moved.period),
                          name('k', moved.courseCode), periodText(q));
        return t;
    }

    // The row's missing lessons given to another teacher as a row of their own.
    Trial secondTeacher(const Row& r, const QString& other) const {
        Trial t{m_s, m_fixed, {}, false, {}};
        for (School* s : {&t.now, &t.fixed}) {
            bool merged = false, reduced = false;
            long long lastRowid = 0;
            for (PlanRow& p : s->plan) {
                lastRowid = std::max(lastRowid, p.rowid);
                if (p.sameLessons(r.cls, r.course, r.teacher) && p.count && !reduced) {
                    *p.count -= r.missing;
                    reduced = true;
                } else if (p.sameLessons(r.cls, r.course, other) && !merged) {
                    p.count = p.weeklyLessons() + r.missing;
                    merged = true;
                }
            }
            if (!merged) {
                PlanRow added;
                added.rowid = lastRowid + 1;
                added.classCode = r.cls;
                added.courseCode = r.course;
                added.teacherCode = other;
                added.count = r.missing;
                s->plan.push_back(added);
            }
        }
        t.extraRows.push_back({r.cls, r.course, other, r.missing, r.missing});
        t.text = QStringLiteral("把%1的%2课分 %3 节给老师 %4")
                     .arg(name('c', r.cls), name('k', r.course))
                     .arg(r.missing)
                     .arg(name('t', other));
        return t;
    }

    // Teachers to try for a row's lessons: those who teach the course
    // elsewhere first, each group with the most open periods to spare first.
    std::vector<QString> otherTeachers(const Row& r) const {
        QHash<QString, long long> demand;
        QHash<QString, bool> teachesCourse;
        for (const Row& x : m_rows) {
            demand[x.teacher] += x.count;
            if (x.course == r.course)
                teachesCourse[x.teacher] = true;
        }
        std::vector<std::pair<long long, QString>> ranked;
        for (auto it = demand.constBegin(); it != demand.constEnd(); ++it) {
            if (it.key() == r.teacher)
                continue;
            const long long spare = teacherSupply(m_s, it.key()) - it.value();
            if (spare <= 0)
                continue;
            ranked.emplace_back((teachesCourse.value(it.key()) ? 1000 : 0) + spare, it.key());
        }
        std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
            return a.first != b.first ? a.first > b.first : a.second < b.second;
        });
        std::vector<QString> out;
        for (const auto& [spare, code] : ranked)
            out.push_back(code);
        return out;
    }

    // The first change, in the order the cause suggests, that lets more
    // lessons of the cause in; empty when none of those tried does.
    QString changeFor(const RootCause& c, const std::vector<Row>& rows) const {
        const auto before = measure(m_s, m_fixed, rows);
        int tries = 0;
        auto verified = [&](const Trial& t) {
            ++tries;
            std::vector<Row> all = rows;
            all.insert(all.end(), t.extraRows.begin(), t.extraRows.end());
            const auto after = measure(t.now, t.fixed, all);
            return after.first > before.first || (t.fixedCounts && after.second > before.second);
        };
        std::optional<QString> found;
        auto tryOne = [&](const std::function<Trial()>& make) {
            if (found || tries >= kMaxTries || m_clock.hasExpired(kTryingMs))
                return;
            const Trial t = make();
            if (verified(t))
                found = t.text;
        };
        const Row& first = rows.front();
        // "不排" periods of an object, those where a class of the cause is
        // free first: a lesson can go there at once.
        auto tryNever = [&](LimitKind kind, const QString& code) {
            std::vector<Period> periods = neverPeriods(m_s, kind, code);
            std::stable_partition(periods.begin(), periods.end(), [&](Period q) {
                return std::any_of(rows.begin(), rows.end(), [&](const Row& r) {
                    return m_s.timetable.classLessonsAt(r.cls, q) == 0;
                });
            });
            for (Period q : periods)
                tryOne([&] { return openNever(kind, code, q); });
        };
        auto trySecondTeacher = [&] {
            const Row& most =
                *std::max_element(rows.begin(), rows.end(),
                                  [](const Row& a, const Row& b) { return a.missing < b.missing; });
            for (const QString& other : otherTeachers(most))
                tryOne([&] { return secondTeacher(most, other); });
        };
        auto tryPresets = [&] {
            const Timetable& t = m_s.timetable;
            for (std::size_t i = 0; i < t.lessons().size() && !found && tries < kMaxTries; ++i) {
                const Lesson& l = t.lessons()[i];
                if (l.origin != Origin::Preset || !t.week().contains(l.period) ||
                    (l.classCode != first.cls && l.teacherCode != first.teacher))
                    continue;
                // Where the rules take it in the fixed week without it: a
                // period where the class of the cause is busy anyway first.
                const School without = withoutLesson(m_fixed, l);
                const Placing p = placingOf(without, l.classCode, l.courseCode, l.teacherCode);
                std::optional<Period> to, fallback;
                t.week().forEach([&](Period q) {
                    if (to || q == l.period)
                        return;
                    const auto reasons = reasonsAgainst(without, p, q);
                    if (std::any_of(reasons.begin(), reasons.end(),
                                    [](const Reason& x) { return hard(x.obstacle); }))
                        return;
                    if (without.timetable.classLessonsAt(first.cls, q) > 0)
                        to = q;
                    else if (!fallback)
                        fallback = q;
                });
                if (!to)
                    to = fallback;
                if (to)
                    tryOne([&] { return movePreset(i, *to); });
            }
        };
        switch (c.kind) {
        case CauseKind::ExclusiveCourse:
            tryNever(LimitKind::Course, c.code);
            tryOne([&] { return widenRoom(c.code); });
            break;
        case CauseKind::Teacher:
            tryNever(LimitKind::Teacher, c.code);
            trySecondTeacher();
            break;
        case CauseKind::Class:
            tryNever(LimitKind::Class, c.code);
            break;
        case CauseKind::DailyShare:
            tryOne([&] { return raiseDailyMax(first); });
            [[fallthrough]];
        case CauseKind::Fixed:
            tryNever(LimitKind::Teacher, first.teacher);
            tryNever(LimitKind::Class, first.cls);
            tryNever(LimitKind::Course, first.course);
            tryPresets();
            break;
        case CauseKind::Placeable:
            break;
        case CauseKind::Crowded:
            trySecondTeacher();
            tryPresets();
            tryNever(LimitKind::Teacher, first.teacher);
            break;
        }
        return found.value_or(QString());
    }

    const School& m_s;
    School m_fixed;
    NameOf m_nameOf;
    std::vector<Row> m_rows;
    QElapsedTimer m_clock;
};

} // namespace

QString periodText(Period q) {
    static const char* const days[] = {"一", "二", "三", "四", "五"};
    const QString day = q.day >= 1 && q.day <= Week::kDays ? QString::fromUtf8(days[q.day - 1])
                                                           : QString::number(q.day);
    return QStringLiteral("星期%1第%2节").arg(day).arg(q.lessonNo);
}

std::vector<RootCause> rootCauses(const School& school, const NameOf& nameOf) {
    return Finder(school, nameOf).run();
}

QStringList causeLines(const std::vector<RootCause>& causes) {
    QStringList lines;
    if (causes.empty())
        return lines;
    lines << QStringLiteral("排不下的根本原因：");
    for (const RootCause& c : causes) {
        lines << QStringLiteral("  ") + c.line;
        if (c.changeTried)
            lines << (c.change.isEmpty()
                          ? QStringLiteral("    没有找到只改一处就能多排进的办法")
                          : QStringLiteral("    可以：%1（已在副本上试过，能多排进这些课）")
                                .arg(c.change));
    }
    return lines;
}

} // namespace rules
