#include "core/rules/Placement.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace rules {

namespace {

const std::vector<LimitCell>& courseCells(const School& s, const Placing& p, int day) {
    return s.limits.cellsOn(LimitKind::Course, p.courseCode, day);
}

// The level of lesson lessonNo given the course's cells of the day.
LimitLevel levelFromCells(const std::vector<LimitCell>& cells, int lessonNo, int lessonsPerDay) {
    if (lessonNo < 1 || lessonNo > lessonsPerDay)
        return LimitLevel::Never;
    bool best = false, avoid = false, limited = false;
    for (const LimitCell& c : cells) {
        if (c.period.lessonNo != lessonNo)
            continue;
        best = best || c.isLevel(LimitLevel::Best);
        avoid = avoid || c.isLevel(LimitLevel::Avoid);
        limited = limited || c.takesOutOfNormal();
    }
    if (best)
        return LimitLevel::Best;
    if (!limited)
        return LimitLevel::Normal;
    return avoid ? LimitLevel::Avoid : LimitLevel::Never;
}

// The teacher's, the group's and the class's "尽量不排" and "不排" cells, by
// period; with them the teacher's own limits.
void readTimeOff(const School& s, Placing& p) {
    p.timeOff.fill(0);
    const TeacherRule& rule = s.teacherRules.of(p.teacherCode);
    p.teacherMaxPerDay = p.teacherCode.isEmpty() ? 0 : rule.maxPerDay;
    p.teacherMaxInRow = p.teacherCode.isEmpty() ? 0 : rule.maxInRow;
    p.groupCode = p.teacherCode.isEmpty() ? QString() : rule.groupCode;
    for (int day = 1; day <= Week::kDays; ++day)
        for (const auto& [kind, code] : {std::pair{LimitKind::Teacher, &p.teacherCode},
                                         std::pair{LimitKind::Group, &p.groupCode},
                                         std::pair{LimitKind::Class, &p.classCode}}) {
            if (code->isEmpty())
                continue;
            for (const LimitCell& c : s.limits.cellsOn(kind, *code, day)) {
                const int n = c.period.lessonNo;
                if (n < 1 || n > Week::kMaxLessonsPerDay ||
                    !(c.isLevel(LimitLevel::Avoid) || c.isLevel(LimitLevel::Never)))
                    continue;
                auto& cell =
                    p.timeOff[static_cast<size_t>((day - 1) * Week::kMaxLessonsPerDay + n - 1)];
                cell = std::max(cell, static_cast<std::uint8_t>(*c.attr));
            }
        }
}

// The course's level raised by the teacher's and the class's time-off.
LimitLevel raised(const Placing& p, int day, int lessonNo, LimitLevel course) {
    if (day < 1 || day > Week::kDays || lessonNo < 1 || lessonNo > Week::kMaxLessonsPerDay)
        return course;
    const int off =
        p.timeOff[static_cast<size_t>((day - 1) * Week::kMaxLessonsPerDay + lessonNo - 1)];
    return off > attrOf(course) ? static_cast<LimitLevel>(off) : course;
}

QStringList jointClassesOf(const School& s, const QString& cls, const QString& course,
                           const QString& teacher) {
    QStringList others;
    if (const JointRow* r = s.joints.rowOf(cls, course, teacher)) {
        others = r->classes();
        others.removeAll(cls);
    }
    return others;
}

// The course's own daily maximum where it sets one, else the row's share.
void setShare(const School& s, Placing& p) {
    const int max = s.dailyMaxOf(p.courseCode);
    p.sharePerCourse = max > 0;
    p.dailyShare = max > 0 ? max : dailyShareOf(p.weeklyLessons);
    p.capacity = s.capacityOf(p.courseCode);
}

Placing resolve(const School& s, const QString& cls, const QString& course,
                const QString& teacher) {
    Placing p{cls, course, teacher};
    readTimeOff(s, p);
    // Equal rows add up, as generation places each of them; they share one
    // number of double lessons.
    for (const PlanRow& r : s.plan)
        if (r.isComplete() && r.sameLessons(cls, course, teacher)) {
            p.weeklyLessons += r.weeklyLessons();
            p.doubles = std::max(p.doubles, r.doubles);
            p.inPlan = true;
        }
    p.doubles = std::clamp<long long>(p.doubles, 0, p.weeklyLessons / 2);
    setShare(s, p);
    if (p.sharePerCourse) {
        p.courseDoubleRows = doubleRowsOf(s, cls, course);
        for (long long d : p.courseDoubleRows)
            p.courseDoubles += d;
    }
    p.teacherCap = teacherCapOf(s, teacher);
    p.jointClasses = jointClassesOf(s, cls, course, teacher);
    return p;
}

} // namespace

QHash<QString, long long> doubleRowsOf(const School& s, const QString& cls, const QString& course) {
    QHash<QString, long long> weekly, doubles;
    for (const PlanRow& r : s.plan)
        if (r.isComplete() && r.classCode == cls && r.courseCode == course) {
            weekly[r.teacherCode] += r.weeklyLessons();
            doubles[r.teacherCode] = std::max(doubles.value(r.teacherCode), r.doubles);
        }
    QHash<QString, long long> rows;
    for (auto it = doubles.cbegin(); it != doubles.cend(); ++it)
        if (const long long d = std::clamp<long long>(*it, 0, weekly.value(it.key()) / 2); d > 0)
            rows.insert(it.key(), d);
    return rows;
}

long long shareDoubles(const Placing& p) {
    return p.sharePerCourse ? p.courseDoubles : p.doubles;
}

int dailyShareOf(long long weeklyLessons) {
    return static_cast<int>(weeklyLessons / Week::kDays) + 1;
}

long long teacherWeeklyLessons(const School& s, const QString& teacherCode) {
    long long total = 0;
    for (const PlanRow& r : s.plan)
        if (r.teacherCode == teacherCode && !teacherCode.isEmpty() &&
            !s.joints.isFurther(r.classCode, r.courseCode, r.teacherCode))
            total += r.weeklyLessons();
    return total;
}

int teacherCapOf(long long teacherWeeklyLessons) {
    return static_cast<int>((teacherWeeklyLessons + Week::kDays - 1) / Week::kDays);
}

int teacherCapOf(const School& s, const QString& teacherCode) {
    return teacherCapOf(teacherWeeklyLessons(s, teacherCode));
}

Placing placingOf(School& s, const QString& cls, const QString& course, const QString& teacher,
                  long long weeklyLessons, long long teacherLessons) {
    Placing p{cls, course, teacher};
    readTimeOff(s, p);
    p.weeklyLessons = weeklyLessons;
    p.inPlan = true; // generation places plan rows only
    setShare(s, p);
    p.teacherCap = teacherCapOf(teacherLessons);
    p.jointClasses = jointClassesOf(s, cls, course, teacher);
    p.cls = s.timetable.internClass(cls);
    p.course = s.timetable.internCourse(course);
    p.teacher = s.timetable.internTeacher(teacher);
    return p;
}

Placing placingOf(School& s, const QString& cls, const QString& course, const QString& teacher) {
    Placing p = resolve(s, cls, course, teacher);
    p.cls = s.timetable.internClass(cls);
    p.course = s.timetable.internCourse(course);
    p.teacher = s.timetable.internTeacher(teacher);
    return p;
}

Placing placingOf(const School& s, const QString& cls, const QString& course,
                  const QString& teacher) {
    Placing p = resolve(s, cls, course, teacher);
    p.cls = s.timetable.classId(cls);
    p.course = s.timetable.courseId(course);
    p.teacher = s.timetable.teacherId(teacher);
    return p;
}

LimitLevel levelAt(const School& s, const Placing& p, Period period) {
    return raised(p, period.day, period.lessonNo,
                  levelFromCells(courseCells(s, p, period.day), period.lessonNo,
                                 s.timetable.week().lessonsPerDay()));
}

std::vector<int> freeLessonsAtLevel(const School& s, const Placing& p, int day, LimitLevel level) {
    std::vector<int> lessons;
    const Timetable& t = s.timetable;
    const int lessonsPerDay = t.week().lessonsPerDay();
    const auto& cells = courseCells(s, p, day);
    auto levelOf = [&](int n) {
        return raised(p, day, n, levelFromCells(cells, n, lessonsPerDay));
    };
    auto usable = [&](int n) {
        return levelOf(n) == level && t.classLessonsAt(p.cls, Period{day, n}) == 0;
    };
    if (level == LimitLevel::Normal) {
        for (int n = 1; n <= lessonsPerDay; ++n)
            if (usable(n))
                lessons.push_back(n);
        return lessons;
    }
    if (level == LimitLevel::Never || t.classHasUnnumberedLesson(p.cls, day))
        return lessons;
    // A period stored twice is offered twice, as the cells were read.
    for (const LimitCell& c : cells)
        if (c.isLevel(level) && usable(c.period.lessonNo))
            lessons.push_back(c.period.lessonNo);
    // Then, in lesson order, the periods that only the teacher's or the
    // class's "尽量不排" made avoid.
    if (level == LimitLevel::Avoid)
        for (int n = 1; n <= lessonsPerDay; ++n)
            if (levelFromCells(cells, n, lessonsPerDay) != LimitLevel::Avoid && usable(n))
                lessons.push_back(n);
    return lessons;
}

bool classBusy(const School& s, const Placing& p, Period period) {
    return s.timetable.classLessonsAt(p.cls, period) > 0;
}

bool teacherBusy(const School& s, const Placing& p, Period period) {
    return s.timetable.teacherLessonsAt(p.teacher, period) > 0;
}

bool roomFull(const School& s, const Placing& p, Period period) {
    return p.capacity > 0 && s.timetable.courseLessonsAt(p.course, period) >= p.capacity;
}

bool dailyShareReached(const School& s, const Placing& p, int day) {
    if (p.sharePerCourse)
        return s.timetable.classCourseLessonsOnDay(p.cls, p.course, day) >= p.dailyShare;
    return s.timetable.classRowLessonsOnDay(p.cls, p.course, p.teacher, day) >= p.dailyShare;
}

bool classCourseShareReached(const School& s, const Placing& p, int day) {
    return s.timetable.classCourseLessonsOnDay(p.cls, p.course, day) >= p.dailyShare;
}

bool teacherDayFull(const School& s, const Placing& p, int day) {
    return s.timetable.teacherLessonsOnDay(p.teacher, day) >= p.teacherCap;
}

namespace {
// The teacher's lessons on the day; the classes of a joint lesson are taught
// at once and take one of them.
int teacherLessonsOnDay(const School& s, const Placing& p, int day) {
    int n = s.timetable.teacherLessonsOnDay(p.teacher, day);
    if (s.joints.empty())
        return n;
    const std::vector<Lesson>& lessons = s.timetable.lessons();
    for (int k = 1; k <= s.timetable.week().lessonsPerDay(); ++k) {
        const std::vector<size_t> here =
            s.timetable.teacherLessonIndexes(p.teacherCode, Period{day, k});
        for (size_t a = 1; a < here.size(); ++a)
            for (size_t b = 0; b < a; ++b) {
                const Lesson& x = lessons[here[a]];
                const Lesson& y = lessons[here[b]];
                if (!x.lessonNoEmpty && !y.lessonNoEmpty && x.courseCode == y.courseCode &&
                    x.classCode != y.classCode &&
                    s.joints.together(x.classCode, y.classCode, x.courseCode, x.teacherCode)) {
                    --n;
                    break;
                }
            }
    }
    return n;
}
} // namespace

bool teacherDailyMaxReached(const School& s, const Placing& p, int day, int adding) {
    return p.teacherMaxPerDay > 0 && teacherLessonsOnDay(s, p, day) + adding > p.teacherMaxPerDay;
}

int teacherRowWith(const School& s, const Placing& p, Period period, int length) {
    const Week week = s.timetable.week();
    auto busy = [&](int n) {
        return n >= 1 && n <= week.lessonsPerDay() && !s.middayBreak.between(n, period.lessonNo) &&
               s.timetable.teacherLessonsAt(p.teacher, Period{period.day, n}) > 0;
    };
    int row = length;
    for (int n = period.lessonNo - 1; busy(n); --n)
        ++row;
    for (int n = period.lessonNo + length; busy(n); ++n)
        ++row;
    return row;
}

bool teacherRowTooLong(const School& s, const Placing& p, Period period, int length) {
    return p.teacherMaxInRow > 0 && teacherRowWith(s, p, period, length) > p.teacherMaxInRow;
}

bool generationMayUse(const School& s, const Placing& p, Period period) {
    return !teacherBusy(s, p, period) && !roomFull(s, p, period) &&
           !classCourseShareReached(s, p, period.day) &&
           !teacherDailyMaxReached(s, p, period.day) && !teacherRowTooLong(s, p, period);
}

QString describe(const Reason& r, const Placing& p,
                 const std::function<QString(char, const QString&)>& nameOf) {
    auto name = [&](char kind, const QString& code) {
        const QString n = nameOf ? nameOf(kind, code) : QString();
        return n.isEmpty() ? code : n;
    };
    // A reason of another class of a joint lesson: said of that class.
    if (!r.jointClass.isEmpty()) {
        Reason own = r;
        own.jointClass.clear();
        Placing there = p;
        there.classCode = r.jointClass;
        return QStringLiteral("合班%1：").arg(name('c', r.jointClass)) +
               describe(own, there, nameOf)
                   .replace(QStringLiteral("本班"), name('c', r.jointClass));
    }
    switch (r.obstacle) {
    case Obstacle::OutsideWeek:
        return QStringLiteral("不在课表的时间内");
    case Obstacle::ClassBusy:
        return QStringLiteral("本班此时已有%1课").arg(name('k', r.other.courseCode));
    case Obstacle::TeacherBusy:
        return QStringLiteral("%1此时在%2上%3课")
            .arg(name('t', p.teacherCode), name('c', r.other.classCode),
                 name('k', r.other.courseCode));
    case Obstacle::NeverAtPeriod:
        return QStringLiteral("%1此时间不排").arg(name('k', p.courseCode));
    case Obstacle::HiddenByUnnumbered:
        return QStringLiteral("本班当天有未定节次的课，最佳和尽量不排的时间不能用");
    case Obstacle::ExclusiveTaken:
        if (p.capacity > 1)
            return QStringLiteral("%1同时最多 %2 个班，此时已在%3等班上课")
                .arg(name('k', p.courseCode))
                .arg(p.capacity)
                .arg(name('c', r.other.classCode));
        return QStringLiteral("专用课程%1此时已在%2上课")
            .arg(name('k', p.courseCode), name('c', r.other.classCode));
    case Obstacle::DailyShareReached:
        return (shareDoubles(p) > 0
                    ? QStringLiteral("本班当天的%1课已排满（每天最多%2节，连堂算一节）")
                    : QStringLiteral("本班当天的%1课已排满（每天最多%2节）"))
            .arg(name('k', p.courseCode))
            .arg(p.dailyShare);
    case Obstacle::NotInPlan:
        return QStringLiteral("教学计划中没有%1的%2课（%3）")
            .arg(name('c', p.classCode), name('k', p.courseCode), name('t', p.teacherCode));
    case Obstacle::RowComplete:
        return QStringLiteral("%1的%2课已排够计划的%3节")
            .arg(name('c', p.classCode), name('k', p.courseCode))
            .arg(p.weeklyLessons);
    case Obstacle::TeacherDailyMax:
        return QStringLiteral("%1当天的课已达每天最多 %2 节")
            .arg(name('t', p.teacherCode))
            .arg(p.teacherMaxPerDay);
    case Obstacle::TeacherInRow:
        return QStringLiteral("%1排在这里就连上超过 %2 节")
            .arg(name('t', p.teacherCode))
            .arg(p.teacherMaxInRow);
    case Obstacle::NoDoubleHere:
        return QStringLiteral("连堂课不能从这里开始（当天最后一节或跨午休）");
    case Obstacle::DoublesMissing:
        return QStringLiteral("%1的%2课排完后连堂不足%3次")
            .arg(name('c', p.classCode), name('k', p.courseCode))
            .arg(p.doubles);
    case Obstacle::TeacherDayCap:
        return QStringLiteral("%1当天已有%2节课（每天最多%2节）")
            .arg(name('t', p.teacherCode))
            .arg(p.teacherCap);
    }
    return {};
}

bool freeForHand(const Timetable& t, const QString& classCode, const QString& teacherCode,
                 Period period) {
    return t.classLessonsAt(classCode, period) == 0 && t.teacherLessonsAt(teacherCode, period) == 0;
}

bool freeForPreset(const Timetable& t, const QString& classCode, const QString& teacherCode,
                   Period period) {
    for (size_t i : t.classLessonIndexes(classCode, period))
        if (t.lessons()[i].origin == Origin::Preset)
            return false;
    for (size_t i : t.teacherLessonIndexes(teacherCode, period))
        if (t.lessons()[i].origin == Origin::Preset)
            return false;
    return true;
}

bool teachesElsewhere(const Timetable& t, const QString& teacherCode, const QString& classCode,
                      Period period) {
    for (size_t i : t.teacherLessonIndexes(teacherCode, period)) {
        const QString& other = t.lessons()[i].classCode;
        if (!other.isEmpty() && other != classCode)
            return true;
    }
    return false;
}

const Lesson* shownLesson(const Timetable& t, const QString& classCode, Period period) {
    const std::vector<size_t> found = t.classLessonIndexes(classCode, period);
    return found.empty() ? nullptr : &t.lessons()[found.back()];
}

bool swapLegal(const Timetable& t, const QString& classCode, Period selected, Period target) {
    const Week week = t.week();
    if (!week.contains(selected) || !week.contains(target))
        return false;
    const Lesson* x = shownLesson(t, classCode, selected);
    const Lesson* y = shownLesson(t, classCode, target);
    const QString xCourse = x ? x->courseCode : QString();
    const QString yCourse = y ? y->courseCode : QString();
    // Exchanging two lessons of one course changes nothing for anybody.
    if (xCourse == yCourse)
        return false;
    if (x && teachesElsewhere(t, x->teacherCode, classCode, target))
        return false;
    return !(y && teachesElsewhere(t, y->teacherCode, classCode, selected));
}

} // namespace rules
