#include "core/rules/Quality.h"

#include "core/rules/HardRules.h"
#include "core/rules/Placement.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <bit>
#include <cstdint>
#include <map>

namespace rules {

namespace {

using Mask = DayMask;

constexpr Mask bit(int lessonNo) {
    return Mask{1} << lessonNo;
}

// One class or teacher: its lessons, day by day.
struct Week5 {
    std::array<Mask, Week::kDays + 1> busy{};
};

bool cellIsBest(const School& s, LimitKind kind, const QString& code, Period q) {
    if (code.isEmpty())
        return false;
    for (const LimitCell& c : s.limits.cellsOn(kind, code, q.day))
        if (c.period.lessonNo == q.lessonNo && c.isLevel(LimitLevel::Best))
            return true;
    return false;
}

// Objects in the order they first appear among the lessons.
struct Objects {
    QHash<QString, size_t> index;
    std::vector<ObjectQuality> quality;
    std::vector<Week5> weeks;

    size_t of(const QString& code) {
        auto it = index.constFind(code);
        if (it != index.constEnd())
            return it.value();
        index.insert(code, quality.size());
        quality.push_back(ObjectQuality{code, {}, 0});
        weeks.emplace_back();
        return quality.size() - 1;
    }
};

Kept keptOf(const School& s) {
    Kept k;
    QSet<QString> rows;
    for (const PlanRow& r : s.plan) {
        const QString key = r.classCode + QChar(0x1f) + r.courseCode + QChar(0x1f) + r.teacherCode;
        if (!r.isComplete() || r.doubles <= 0 || rows.contains(key))
            continue;
        rows.insert(key);
        const Placing p = placingOf(s, r.classCode, r.courseCode, r.teacherCode);
        k.doublesPlanned += p.doubles;
        k.doublesLaid += p.doubles - std::min(p.doubles, doublesStillMissing(s, p));
    }
    if (s.joints.empty())
        return k;
    const std::vector<Breach> apart = breachesOf(s, Rule::JointTogether);
    const Week week = s.timetable.week();
    for (const JointRow& row : s.joints.rows()) {
        k.jointPlanned +=
            placingOf(s, row.classCode, row.courseCode, row.teacherCode).weeklyLessons;
        QSet<int> periods; // where any class of the row has its lesson
        for (const QString& cls : row.classes())
            for (size_t i : s.timetable.classLessons(s.timetable.classId(cls))) {
                const Lesson& l = s.timetable.lessons()[i];
                if (!l.lessonNoEmpty && week.contains(l.period) && l.courseCode == row.courseCode &&
                    l.teacherCode == row.teacherCode)
                    periods.insert(l.period.day * 100 + l.period.lessonNo);
            }
        long long split = 0;
        for (const Breach& b : apart)
            split += b.code == row.classCode && b.lessons.front().courseCode == row.courseCode &&
                             b.lessons.front().teacherCode == row.teacherCode
                         ? 1
                         : 0;
        k.jointTogether += periods.size() - split;
    }
    return k;
}

} // namespace

long long freeInside(DayMask busy, DayMask closed) {
    if (busy == 0)
        return 0;
    const int first = std::countr_zero(busy);
    const int last = 31 - std::countl_zero(busy);
    long long free = 0;
    for (int n = first + 1; n < last; ++n)
        free += (busy & bit(n)) == 0 && (closed & bit(n)) == 0 ? 1 : 0;
    return free;
}

bool startsLate(DayMask busy, DayMask closed) {
    return busy != 0 && (busy & bit(1)) == 0 && (closed & bit(1)) == 0;
}

int longestRun(DayMask busy) {
    int best = 0;
    for (int run = 0; busy != 0; busy >>= 1) {
        run = (busy & 1U) != 0 ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

long long classDayPenalty(DayMask busy, DayMask closed, bool heaped) {
    return weights::kClassHole * freeInside(busy, closed) +
           (startsLate(busy, closed) ? weights::kLateStart : 0) +
           (heaped ? weights::kCourseHeap : 0);
}

long long teacherDayPenalty(DayMask busy, DayMask closed) {
    return weights::kTeacherGap * freeInside(busy, closed) +
           (longestRun(busy) > 4 ? weights::kLongRun : 0);
}

long long teacherSpreadOf(const std::array<DayMask, Week::kDays + 1>& busy,
                          const std::array<DayMask, Week::kDays + 1>& closed, int lessonsPerDay) {
    const DayMask wholeDay = (DayMask{1} << (lessonsPerDay + 1)) - 2;
    long long lessons = 0;
    int open = 0;
    for (int day = 1; day <= Week::kDays; ++day) {
        lessons += std::popcount(busy[static_cast<size_t>(day)]);
        open += (closed[static_cast<size_t>(day)] & wholeDay) == wholeDay ? 0 : 1;
    }
    if (open == 0)
        return 0;
    const long long share = (lessons + open - 1) / open;
    long long above = 0;
    for (int day = 1; day <= Week::kDays; ++day)
        above += std::max(0LL, std::popcount(busy[static_cast<size_t>(day)]) - share);
    return above;
}

DayMask closedOn(const School& s, const Placing& p, int day, int lessonsPerDay) {
    DayMask closed = 0;
    for (int n = 1; n <= lessonsPerDay; ++n)
        if (levelAt(s, p, Period{day, n}) == LimitLevel::Never)
            closed |= bit(n);
    return closed;
}

bool atBest(const School& s, const Placing& p, Period q) {
    const LimitLevel level = levelAt(s, p, q);
    return level == LimitLevel::Best ||
           (level == LimitLevel::Normal && (cellIsBest(s, LimitKind::Teacher, p.teacherCode, q) ||
                                            cellIsBest(s, LimitKind::Class, p.classCode, q)));
}

bool atAvoid(const School& s, const Placing& p, Period q) {
    return levelAt(s, p, q) == LimitLevel::Avoid;
}

int spreadDays(const School& s, const QString& cls, const QString& course, long long lessons) {
    const Placing p = placingOf(s, cls, course, QString());
    const int perDay = s.timetable.week().lessonsPerDay();
    int open = 0;
    for (int day = 1; day <= Week::kDays; ++day)
        open += closedOn(s, p, day, perDay) == ((DayMask{1} << (perDay + 1)) - 2) ? 0 : 1;
    return static_cast<int>(std::min<long long>(lessons, open));
}

long long lessonPenalty(const School& s, const Placing& p, Period q) {
    return (atBest(s, p, q) ? weights::kBestCell : 0) +
           (atAvoid(s, p, q) ? weights::kAvoidCell : 0);
}

long long weightOf(Measure m) {
    switch (m) {
    case Measure::ClassHoles:
        return weights::kClassHole;
    case Measure::LateStarts:
        return weights::kLateStart;
    case Measure::TeacherGaps:
        return weights::kTeacherGap;
    case Measure::BestCells:
        return weights::kBestCell;
    case Measure::AvoidCells:
        return weights::kAvoidCell;
    case Measure::CourseHeaps:
        return weights::kCourseHeap;
    case Measure::LongRuns:
        return weights::kLongRun;
    case Measure::CourseSpread:
        return weights::kCourseSpread;
    case Measure::TeacherSpread:
        return weights::kTeacherSpread;
    }
    return 0;
}

long long penaltyOf(const Figures& f) {
    long long sum = 0;
    for (int i = 0; i < kMeasureCount; ++i)
        sum += weightOf(static_cast<Measure>(i)) * f[static_cast<size_t>(i)];
    return sum;
}

QString measureName(Measure m) {
    switch (m) {
    case Measure::ClassHoles:
        return QStringLiteral("班级一天中间的空堂");
    case Measure::LateStarts:
        return QStringLiteral("班级一天不从第1节开始");
    case Measure::TeacherGaps:
        return QStringLiteral("老师两节课之间的空堂");
    case Measure::BestCells:
        return QStringLiteral("排在最佳位置的课");
    case Measure::AvoidCells:
        return QStringLiteral("排在尽量不排时间的课");
    case Measure::CourseHeaps:
        return QStringLiteral("班级一天同一课程3节以上");
    case Measure::LongRuns:
        return QStringLiteral("老师一天连上超过4节");
    case Measure::CourseSpread:
        return QStringLiteral("课程没有分散到各天");
    case Measure::TeacherSpread:
        return QStringLiteral("老师一天超出平均的课");
    }
    return {};
}

QString measureUnit(Measure m) {
    switch (m) {
    case Measure::LateStarts:
    case Measure::CourseHeaps:
    case Measure::LongRuns:
    case Measure::CourseSpread:
        return QStringLiteral("天");
    default:
        return QStringLiteral("节");
    }
}

QualityReport qualityOf(const School& s) {
    const Week week = s.timetable.week();
    const int perDay = week.lessonsPerDay();
    QualityReport r;
    Objects classes, teachers;
    // Lessons of one course in a class on one day.
    std::map<std::tuple<size_t, int, QString>, int> courseDay;

    for (const Lesson& l : s.timetable.lessons()) {
        if (l.lessonNoEmpty || !week.contains(l.period) || l.classCode.isEmpty())
            continue;
        const size_t c = classes.of(l.classCode);
        classes.weeks[c].busy[static_cast<size_t>(l.period.day)] |= bit(l.period.lessonNo);
        std::optional<size_t> t;
        if (!l.teacherCode.isEmpty()) {
            t = teachers.of(l.teacherCode);
            teachers.weeks[*t].busy[static_cast<size_t>(l.period.day)] |= bit(l.period.lessonNo);
        }
        ++courseDay[{c, l.period.day, l.courseCode}];

        const Placing p = placingOf(s, l.classCode, l.courseCode, l.teacherCode);
        const bool best = atBest(s, p, l.period);
        const bool avoid = atAvoid(s, p, l.period);
        for (const Measure m : {Measure::BestCells, Measure::AvoidCells}) {
            const bool counts = m == Measure::BestCells ? best : avoid;
            if (!counts)
                continue;
            ++at(r.school, m);
            ++at(classes.quality[c].figures, m);
            if (t)
                ++at(teachers.quality[*t].figures, m);
        }
    }

    std::map<std::pair<size_t, int>, bool> heaped;
    for (const auto& [key, n] : courseDay)
        if (n >= 3)
            heaped[{std::get<0>(key), std::get<1>(key)}] = true;
    for (const auto& [classDay, yes] : heaped) {
        ++at(classes.quality[classDay.first].figures, Measure::CourseHeaps);
        ++at(r.school, Measure::CourseHeaps);
    }
    // Days and lessons of each course in each class.
    std::map<std::pair<size_t, QString>, std::pair<int, long long>> spread;
    for (const auto& [key, n] : courseDay) {
        auto& [days, lessons] = spread[{std::get<0>(key), std::get<2>(key)}];
        ++days;
        lessons += n;
    }
    for (const auto& [classCourse, daysAndLessons] : spread) {
        const auto& [c, course] = classCourse;
        const long long missed =
            spreadDays(s, classes.quality[c].code, course, daysAndLessons.second) -
            daysAndLessons.first;
        if (missed > 0) {
            at(classes.quality[c].figures, Measure::CourseSpread) += missed;
            at(r.school, Measure::CourseSpread) += missed;
        }
    }

    for (size_t i = 0; i < classes.quality.size(); ++i) {
        const Placing p = placingOf(s, classes.quality[i].code, QString(), QString());
        Figures& f = classes.quality[i].figures;
        for (int day = 1; day <= Week::kDays; ++day) {
            const Mask busy = classes.weeks[i].busy[static_cast<size_t>(day)];
            const Mask closed = closedOn(s, p, day, perDay);
            at(f, Measure::ClassHoles) += freeInside(busy, closed);
            if (startsLate(busy, closed))
                ++at(f, Measure::LateStarts);
        }
    }
    for (size_t i = 0; i < teachers.quality.size(); ++i) {
        const Placing p = placingOf(s, QString(), QString(), teachers.quality[i].code);
        Figures& f = teachers.quality[i].figures;
        std::array<Mask, Week::kDays + 1> closed{};
        for (int day = 1; day <= Week::kDays; ++day) {
            const Mask busy = teachers.weeks[i].busy[static_cast<size_t>(day)];
            closed[static_cast<size_t>(day)] = closedOn(s, p, day, perDay);
            at(f, Measure::TeacherGaps) += freeInside(busy, closed[static_cast<size_t>(day)]);
            if (longestRun(busy) > 4)
                ++at(f, Measure::LongRuns);
        }
        at(f, Measure::TeacherSpread) = teacherSpreadOf(teachers.weeks[i].busy, closed, perDay);
    }
    for (auto* objects : {&classes, &teachers})
        for (ObjectQuality& o : objects->quality) {
            for (const Measure m : {Measure::ClassHoles, Measure::LateStarts, Measure::TeacherGaps,
                                    Measure::LongRuns, Measure::TeacherSpread})
                at(r.school, m) += at(o.figures, m);
            o.penalty = penaltyOf(o.figures);
        }
    r.classes = std::move(classes.quality);
    r.teachers = std::move(teachers.quality);
    r.kept = keptOf(s);
    return r;
}

namespace {

const ObjectQuality* findObject(const std::vector<ObjectQuality>& objects, const QString& code) {
    for (const ObjectQuality& o : objects)
        if (o.code == code)
            return &o;
    return nullptr;
}

long long figureOf(const std::vector<ObjectQuality>& objects, const QString& code, Measure m) {
    const ObjectQuality* o = findObject(objects, code);
    return o ? at(o->figures, m) : 0;
}

QString signedNumber(long long n) {
    return n > 0 ? QStringLiteral("+%1").arg(n) : QString::number(n);
}

} // namespace

QString qualityEffect(const School& s, const std::vector<std::pair<size_t, Period>>& moves,
                      const NameOf& nameOf) {
    School after = s;
    for (const auto& [index, to] : moves)
        after.timetable.setPeriod(index, to);
    const QualityReport a = qualityOf(s), b = qualityOf(after);
    QStringList parts;
    QStringList classes, teachers;
    for (const auto& [index, to] : moves) {
        const Lesson& l = s.timetable.lessons()[index];
        if (!classes.contains(l.classCode))
            classes << l.classCode;
        if (!l.teacherCode.isEmpty() && !teachers.contains(l.teacherCode))
            teachers << l.teacherCode;
    }
    for (const QString& c : classes)
        for (const auto& [m, words] : {std::pair{Measure::ClassHoles, "空堂"},
                                       std::pair{Measure::LateStarts, "不从第1节开始"}}) {
            const long long d = figureOf(b.classes, c, m) - figureOf(a.classes, c, m);
            if (d != 0) {
                const QString name = classes.size() == 1 ? QStringLiteral("本班")
                                     : nameOf            ? nameOf('c', c)
                                                         : c;
                parts << name + QString::fromUtf8(words) + ' ' + signedNumber(d);
            }
        }
    for (const QString& t : teachers) {
        const long long d = figureOf(b.teachers, t, Measure::TeacherGaps) -
                            figureOf(a.teachers, t, Measure::TeacherGaps);
        if (d != 0) {
            const QString name = nameOf ? nameOf('t', t) : QString();
            parts << QStringLiteral("老师 %1 空堂 %2")
                         .arg(name.isEmpty() ? t : name, signedNumber(d));
        }
    }
    for (const auto& [m, words] :
         {std::pair{Measure::AvoidCells, "尽量不排"}, std::pair{Measure::BestCells, "最佳位置"}}) {
        const long long d = at(b.school, m) - at(a.school, m);
        if (d != 0)
            parts << QString::fromUtf8(words) + ' ' + signedNumber(d);
    }
    return parts.isEmpty() ? QStringLiteral("课表质量不变") : parts.join(QStringLiteral("，"));
}

std::vector<ObjectQuality> QualityReport::worst(const std::vector<ObjectQuality>& objects,
                                                size_t n) {
    // Only faults rank an object; the reward for best cells does not hide one.
    auto faults = [](const ObjectQuality& o) {
        return o.penalty - weights::kBestCell * at(o.figures, Measure::BestCells);
    };
    std::vector<ObjectQuality> out;
    for (const ObjectQuality& o : objects)
        if (faults(o) > 0)
            out.push_back(o);
    std::stable_sort(out.begin(), out.end(), [&](const ObjectQuality& a, const ObjectQuality& b) {
        return faults(a) != faults(b) ? faults(a) > faults(b) : a.code < b.code;
    });
    if (out.size() > n)
        out.resize(n);
    return out;
}

QStringList QualityReport::keptLines() const {
    QStringList out;
    if (kept.doublesPlanned > 0)
        out << QStringLiteral("连堂：排成 %1 个，计划 %2 个")
                   .arg(kept.doublesLaid)
                   .arg(kept.doublesPlanned);
    if (kept.jointPlanned > 0)
        out << QStringLiteral("合班：同时上课 %1 节，计划 %2 节")
                   .arg(kept.jointTogether)
                   .arg(kept.jointPlanned);
    return out;
}

QStringList QualityReport::lines(const NameOf& nameOf) const {
    QStringList out;
    for (int i = 0; i < kMeasureCount; ++i) {
        const auto m = static_cast<Measure>(i);
        out << QStringLiteral("%1：%2 %3")
                   .arg(measureName(m))
                   .arg(at(school, m))
                   .arg(measureUnit(m));
    }
    out << keptLines();
    auto describe = [&](const ObjectQuality& o, char kind) {
        QStringList parts;
        for (int i = 0; i < kMeasureCount; ++i) {
            const auto m = static_cast<Measure>(i);
            if (m != Measure::BestCells && at(o.figures, m) > 0)
                parts << QStringLiteral("%1 %2 %3")
                             .arg(measureName(m))
                             .arg(at(o.figures, m))
                             .arg(measureUnit(m));
        }
        const QString name = nameOf ? nameOf(kind, o.code) : QString();
        return QStringLiteral("  %1：%2").arg(name.isEmpty() ? o.code : name, parts.join("，"));
    };
    const std::vector<ObjectQuality> worstClasses = worst(classes, 5);
    out << (worstClasses.empty() ? QStringLiteral("最需要改进的班级：没有")
                                 : QStringLiteral("最需要改进的班级："));
    for (const ObjectQuality& o : worstClasses)
        out << describe(o, 'c');
    const std::vector<ObjectQuality> worstTeachers = worst(teachers, 5);
    out << (worstTeachers.empty() ? QStringLiteral("最需要改进的老师：没有")
                                  : QStringLiteral("最需要改进的老师："));
    for (const ObjectQuality& o : worstTeachers)
        out << describe(o, 't');
    return out;
}

} // namespace rules
