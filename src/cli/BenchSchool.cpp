#include "cli/BenchSchool.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <bit>
#include <random>
#include <stdexcept>

namespace {

constexpr int kDays = 5;

struct CourseDef {
    const char* code;
    const char* name;
    const char* shortName;
    int lessons[6];  // grades 一 to 六
    int teacherLoad; // a subject teacher takes classes up to this load (30 periods);
                     // 0: the class teacher gives it
};

const CourseDef kCourses[] = {
    {"01", "语文", "语", {8, 8, 7, 6, 6, 6}, 0},
    {"02", "数学", "数", {4, 4, 5, 5, 5, 5}, 12},
    {"03", "英语", "英", {0, 0, 2, 3, 3, 3}, 16},
    {"04", "科学", "科", {1, 1, 2, 2, 2, 2}, 16},
    {"05", "道德与法治", "道", {2, 2, 2, 2, 2, 2}, 0},
    {"06", "体育", "体", {4, 4, 3, 3, 3, 3}, 18},
    {"07", "音乐", "音", {2, 2, 2, 2, 2, 2}, 18},
    {"08", "美术", "美", {2, 2, 2, 2, 2, 2}, 18},
    {"09", "信息技术", "信", {0, 0, 0, 1, 1, 1}, 16},
    {"10", "综合实践", "综", {1, 1, 1, 1, 1, 1}, 16},
    {"11", "劳动", "劳", {1, 1, 1, 0, 0, 0}, 16},
    {"12", "班队会", "班", {1, 1, 1, 1, 1, 1}, 0},
    {"13", "阅读", "阅", {0, 0, 0, 0, 0, 0}, 0},
    {"14", "书法", "书", {0, 0, 0, 0, 0, 0}, 18},
};
constexpr int kCourseCount = int(std::size(kCourses));
constexpr int kExclusive = 8;  // 信息技术: one computer room
constexpr int kSharedRoom = 9; // 综合实践: one room for two classes at once
constexpr int kSharedRoomClasses = 2;
constexpr int kDailyMaxCourse = 0; // 语文: at most two a day, whatever its rows
constexpr int kDailyMax = 2;
constexpr int kMeeting = 11; // 班队会: pre-set in every class
// Where a class's week is longer than its base plan the lessons go here, in turn.
const int kAddOrder[] = {12, 13, 1, 5, 12, 13, 0, 1};
// Where it is shorter they come from here.
const int kRemoveOrder[] = {9, 3, 10, 0, 7, 6};

// Subject groups (教研组): the class teachers, who give 语文, meet on
// Wednesday afternoon, the 数学 teachers on Thursday afternoon; the arts and
// sports teachers form a group without time off.
struct GroupDef {
    const char* code;
    const char* name;
    int dayOff; // 0: none
};
const GroupDef kGroups[] = {{"G1", "语文组", 3}, {"G2", "数学组", 4}, {"G3", "艺体组", 0}};
// The group of a course's teachers; -1: none. Class teachers are in group 0.
int groupOfCourse(int course) {
    switch (course) {
    case 1:
        return 1;
    case 5:
    case 6:
    case 7:
        return 2;
    default:
        return -1;
    }
}

const char* const kGradeNames[] = {"一", "二", "三", "四", "五", "六"};
const char* const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周",
                                 "徐", "孙", "马", "朱", "胡", "郭", "何", "林", "罗", "高",
                                 "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯", "邓", "曹"};
const char* const kGiven[] = {"丽",   "静",   "敏",   "燕",   "艳",   "娟",   "霞",   "芳",
                              "萍",   "红",   "玲",   "华",   "建国", "志强", "海燕", "晓东",
                              "文婷", "雪梅", "国华", "春梅", "秀英", "玉兰", "小红", "立新",
                              "慧",   "琳",   "婷婷", "晨",   "宇",   "杰",   "涛",   "明"};

struct Teacher {
    QString code;
    int group = -1;
    int load = 0;
    int target = 0;
    std::vector<bool> busy;  // by period
    std::vector<bool> never; // by period
};

// One thing to lay in a class's week: a single lesson or a double lesson.
struct Item {
    int course = 0;
    int teacher = 0;
    int length = 1;
};

struct Builder {
    const BenchSchoolShape& shape;
    std::mt19937 rng;
    std::mt19937 extra; // draws of the real rules only, so the older schools stay as drawn
    int P;
    BenchSchool out;
    std::vector<Teacher> teachers;
    QSet<QString> names;
    std::vector<std::vector<bool>> courseNever; // by course, by period
    std::vector<bool> exclusiveBusy;            // by period
    std::vector<int> sharedRoomUse;             // by period: classes in the shared room
    QHash<QString, int> doubleRows;             // by class/course: its double lessons

    explicit Builder(const BenchSchoolShape& s)
        : shape(s), rng(s.seed), extra(s.seed * 7919u + 17u), P(kDays * s.lessonsPerDay) {}

    int below(int n) { return int(rng() % std::uint32_t(n)); }
    int extraBelow(int n) { return int(extra() % std::uint32_t(n)); }
    static constexpr int kMorning = 4; // the usual midday break
    int period(int day, int lessonNo) const {
        return (day - 1) * shape.lessonsPerDay + lessonNo - 1;
    }

    int newTeacher(int target, int group = -1) {
        QString name;
        do {
            name = QString::fromUtf8(kSurnames[below(int(std::size(kSurnames)))]) +
                   QString::fromUtf8(kGiven[below(int(std::size(kGiven)))]);
        } while (names.contains(name));
        names.insert(name);
        Teacher t;
        t.code = QStringLiteral("T%1").arg(teachers.size() + 1, 3, 10, QLatin1Char('0'));
        t.target = target;
        t.busy.assign(std::size_t(P), false);
        t.never.assign(std::size_t(P), false);
        if (shape.realRules && group >= 0) {
            t.group = group;
            if (const int day = kGroups[group].dayOff)
                for (int n = kMorning + 1; n <= shape.lessonsPerDay; ++n)
                    t.never[std::size_t(period(day, n))] = true;
        }
        // Three teachers in ten have half a day off each week.
        if (below(10) < 3) {
            int day = 1 + below(kDays);
            const bool morning = below(2) == 0;
            // Not the group's afternoon off as well: a whole day away would
            // leave a class teacher's 语文 no room.
            if (t.group >= 0 && kGroups[t.group].dayOff == day)
                day = day % kDays + 1;
            for (int n = morning ? 1 : 5; n <= (morning ? 4 : shape.lessonsPerDay); ++n) {
                t.never[std::size_t(period(day, n))] = true;
                out.records.limits.push_back({2, t.code, day, n, 3});
            }
            ++out.teachersWithTimeOff;
        }
        // And some would rather not start the week.
        if (below(5) == 0)
            out.records.limits.push_back({2, t.code, 1, 1, 2});
        out.records.teachers.push_back({t.code, name, name, name.left(1) + QStringLiteral("老师")});
        teachers.push_back(t);
        return int(teachers.size()) - 1;
    }

    void courseLimits() {
        courseNever.assign(kCourseCount, std::vector<bool>(std::size_t(P), false));
        auto limit = [&](int course, int day, int n, int attr) {
            if (n > shape.lessonsPerDay)
                return;
            out.records.limits.push_back(
                {1, QString::fromLatin1(kCourses[course].code), day, n, attr});
            if (attr == 3)
                courseNever[std::size_t(course)][std::size_t(period(day, n))] = true;
        };
        for (int day = 1; day <= kDays; ++day) {
            for (int main : {0, 1}) {
                limit(main, day, 1, 0);
                limit(main, day, 2, 0);
                limit(main, day, 6, 2);
                limit(main, day, 7, 2);
            }
            limit(2, day, 3, 0);
            limit(5, day, 1, 3); // never 体育 first, right after the morning exercises
            limit(5, day, 4, 2);
            limit(6, day, 1, 2);
            limit(7, day, 1, 2);
        }
        for (int n = 5; n <= shape.lessonsPerDay; ++n)
            limit(kExclusive, 5, n, 3); // the computer room is serviced on Friday afternoon
    }

    std::vector<int> planOfGrade(int grade) {
        std::vector<int> counts(kCourseCount);
        int total = 0;
        for (int k = 0; k < kCourseCount; ++k)
            total += counts[std::size_t(k)] = kCourses[k].lessons[grade];
        for (int i = 0; total < shape.load; ++i, ++total)
            ++counts[std::size_t(kAddOrder[i % int(std::size(kAddOrder))])];
        for (int i = 0; total > shape.load; ++i) {
            int& c = counts[std::size_t(kRemoveOrder[i % int(std::size(kRemoveOrder))])];
            if (c > 1) {
                --c;
                --total;
            }
        }
        return counts;
    }

    // Lays the lessons of one class: the lesson with the fewest open periods
    // goes first, to a period drawn among them. False when one finds none.
    // Lesson p (and p + 1 for a double lesson) is open for the item.
    bool fits(const Item& it, int p, const std::vector<bool>& classBusy,
              const std::vector<bool>& classNever) const {
        const Teacher& tc = teachers[std::size_t(it.teacher)];
        if (it.length == 2) {
            const int n = p % shape.lessonsPerDay + 1;
            if (n == shape.lessonsPerDay || n == kMorning)
                return false; // the day or the morning ends here
        }
        for (int q = p; q < p + it.length; ++q)
            if (classBusy[std::size_t(q)] || classNever[std::size_t(q)] ||
                tc.busy[std::size_t(q)] || tc.never[std::size_t(q)] ||
                courseNever[std::size_t(it.course)][std::size_t(q)] ||
                (it.course == kExclusive && exclusiveBusy[std::size_t(q)]) ||
                (it.course == kSharedRoom && sharedRoomUse[std::size_t(q)] >= kSharedRoomClasses))
                return false;
        return true;
    }
    void mark(const Item& it, int p, bool on) {
        for (int q = p; q < p + it.length; ++q) {
            teachers[std::size_t(it.teacher)].busy[std::size_t(q)] = on;
            if (it.course == kExclusive)
                exclusiveBusy[std::size_t(q)] = on;
            if (it.course == kSharedRoom)
                sharedRoomUse[std::size_t(q)] += on ? 1 : -1;
        }
    }

    bool layClass(const std::vector<Item>& lessons, const std::vector<int>& counts,
                  const std::vector<bool>& classNever, std::vector<int>& placedAt, int& stuck) {
        std::vector<bool> classBusy(std::size_t(P), false);
        std::vector<int> ccDay(std::size_t(kCourseCount * kDays), 0);
        placedAt.assign(lessons.size(), -1);
        std::vector<int> open;
        for (std::size_t placed = 0; placed < lessons.size(); ++placed) {
            int pick = -1;
            std::vector<int> pickOpen;
            for (std::size_t i = 0; i < lessons.size(); ++i) {
                if (placedAt[i] >= 0)
                    continue;
                const int course = lessons[i].course;
                const int share = course == kDailyMaxCourse
                                      ? std::min(kDailyMax, counts[std::size_t(course)] / kDays + 1)
                                      : counts[std::size_t(course)] / kDays + 1;
                open.clear();
                for (int p = 0; p < P; ++p)
                    if (fits(lessons[i], p, classBusy, classNever) &&
                        ccDay[std::size_t(course) * std::size_t(kDays) +
                              std::size_t(p / shape.lessonsPerDay)] < share)
                        open.push_back(p);
                if (pick < 0 || open.size() < pickOpen.size() ||
                    (open.size() == pickOpen.size() && below(2) == 0)) {
                    pick = int(i);
                    pickOpen = open;
                }
            }
            if (pickOpen.empty()) {
                stuck = lessons[std::size_t(pick)].course;
                // Undo what this attempt marked for the teachers and the room.
                for (std::size_t i = 0; i < lessons.size(); ++i)
                    if (placedAt[i] >= 0)
                        mark(lessons[i], placedAt[i], false);
                return false;
            }
            const int p = pickOpen[std::size_t(below(int(pickOpen.size())))];
            const Item& it = lessons[std::size_t(pick)];
            placedAt[std::size_t(pick)] = p;
            for (int q = p; q < p + it.length; ++q)
                classBusy[std::size_t(q)] = true;
            mark(it, p, true);
            int& onDay = ccDay[std::size_t(it.course) * std::size_t(kDays) +
                               std::size_t(p / shape.lessonsPerDay)];
            // A double lesson counts once toward the daily share; the day then
            // takes no other lesson of the course, so the pair stays the day's.
            onDay = it.length == 2 ? kDays * shape.lessonsPerDay : onDay + 1;
        }
        return true;
    }

    void build() {
        if (shape.classes % 6 != 0 || shape.classes < 6 || shape.load > P || shape.load < 20)
            throw std::invalid_argument(
                "bench school: classes must be a multiple of 6, load 20 to the week");
        for (const CourseDef& c : kCourses)
            out.records.courses.push_back({QString::fromLatin1(c.code), QString::fromUtf8(c.name),
                                           QString::fromUtf8(c.name),
                                           QString::fromUtf8(c.shortName)});
        out.records.exclusiveCourses.push_back(QString::fromLatin1(kCourses[kExclusive].code));
        out.records.courseRules.push_back(
            {QString::fromLatin1(kCourses[kSharedRoom].code), {kSharedRoomClasses, std::nullopt}});
        out.records.courseRules.push_back(
            {QString::fromLatin1(kCourses[kDailyMaxCourse].code), {std::nullopt, kDailyMax}});
        courseLimits();
        exclusiveBusy.assign(std::size_t(P), false);
        sharedRoomUse.assign(std::size_t(P), 0);
        std::vector<int> current(kCourseCount, -1); // the subject teacher taking classes now
        const int perGrade = shape.classes / 6;
        for (int grade = 0; grade < 6; ++grade) {
            const std::vector<int> counts = planOfGrade(grade);
            for (int n = 1; n <= perGrade; ++n) {
                const QString g = QString::fromUtf8(kGradeNames[grade]);
                const QString cls = QString::number(grade + 1) + QString::number(n);
                out.records.classes.push_back({cls, g + QStringLiteral("（%1）班").arg(n),
                                               g + QStringLiteral("年级（%1）班").arg(n),
                                               g + QStringLiteral("（%1）").arg(n)});
                std::vector<bool> classNever(std::size_t(P), false);
                // A class with a free period may have Friday's last lesson off.
                if (shape.load < P && below(4) == 0) {
                    classNever[std::size_t(period(5, shape.lessonsPerDay))] = true;
                    out.records.limits.push_back({0, cls, 5, shape.lessonsPerDay, 3});
                }
                const int classTeacher = newTeacher(0, 0);
                std::vector<int> teacherOf(kCourseCount, -1);
                for (int k = 0; k < kCourseCount; ++k) {
                    const int count = counts[std::size_t(k)];
                    if (count == 0)
                        continue;
                    if (kCourses[k].teacherLoad == 0) {
                        teacherOf[std::size_t(k)] = classTeacher;
                        continue;
                    }
                    const int target = kCourses[k].teacherLoad * P / 30;
                    int& t = current[std::size_t(k)];
                    if (t < 0 || teachers[std::size_t(t)].load + count > target)
                        t = newTeacher(target, groupOfCourse(k));
                    teacherOf[std::size_t(k)] = t;
                }
                std::vector<int> doubles = doublesOfClass(counts);
                std::vector<int> placedAt;
                for (int attempt = 0;; ++attempt) {
                    std::vector<Item> lessons;
                    for (int k = 0; k < kCourseCount; ++k) {
                        const int d = doubles[std::size_t(k)];
                        for (int i = 0; i < counts[std::size_t(k)] - d; ++i)
                            lessons.push_back({k, teacherOf[std::size_t(k)], i < d ? 2 : 1});
                    }
                    int stuck = -1;
                    if (layClass(lessons, counts, classNever, placedAt, stuck)) {
                        for (std::size_t i = 0; i < lessons.size(); ++i)
                            for (int q = 0; q < lessons[i].length; ++q) {
                                const int p = placedAt[i] + q;
                                out.week.push_back(
                                    {cls, p / shape.lessonsPerDay + 1, p % shape.lessonsPerDay + 1,
                                     QString::fromLatin1(kCourses[lessons[i].course].code),
                                     teachers[std::size_t(lessons[i].teacher)].code, 1});
                            }
                        for (int k = 0; k < kCourseCount; ++k)
                            if (doubles[std::size_t(k)] > 0)
                                doubleRows.insert(cls + QLatin1Char('/') +
                                                      QString::fromLatin1(kCourses[k].code),
                                                  doubles[std::size_t(k)]);
                        break;
                    }
                    // A teacher too busy for this class: after some tries the
                    // course goes to a new teacher, who is free all week.
                    if (attempt % 8 == 7 && stuck >= 0 && kCourses[stuck].teacherLoad > 0) {
                        const int target = kCourses[stuck].teacherLoad * P / 30;
                        current[std::size_t(stuck)] = teacherOf[std::size_t(stuck)] =
                            newTeacher(target, groupOfCourse(stuck));
                    }
                    // The class teacher's own lessons find no room: the
                    // subject teachers are too busy elsewhere, so one of them
                    // hands this class to a new teacher.
                    if (shape.realRules && attempt % 8 == 7 && stuck >= 0 &&
                        kCourses[stuck].teacherLoad == 0) {
                        std::vector<int> subjects;
                        for (int k = 0; k < kCourseCount; ++k)
                            if (teacherOf[std::size_t(k)] >= 0 && kCourses[k].teacherLoad > 0)
                                subjects.push_back(k);
                        const int k = subjects[std::size_t(extraBelow(int(subjects.size())))];
                        current[std::size_t(k)] = teacherOf[std::size_t(k)] =
                            newTeacher(kCourses[k].teacherLoad * P / 30, groupOfCourse(k));
                    }
                    // A full week with the groups' afternoons off may leave a
                    // class teacher no room for a double lesson: give it up.
                    if (attempt % 100 == 99)
                        for (int& d : doubles)
                            d = std::max(0, d - 1);
                    if (attempt > 400)
                        throw std::runtime_error("bench school: a class cannot be laid");
                }
                for (int k = 0; k < kCourseCount; ++k)
                    if (teacherOf[std::size_t(k)] >= 0)
                        teachers[std::size_t(teacherOf[std::size_t(k)])].load +=
                            counts[std::size_t(k)];
            }
        }
        // Pre-set: every class meeting, and one lesson in fifty besides.
        std::vector<int> presetOfRow;
        for (auto& l : out.week) {
            const bool meeting = l.courseCode == QLatin1String(kCourses[kMeeting].code);
            // A lone half of a double lesson is not pre-set: real schools fix
            // the pair or nothing.
            const bool halfPair =
                doubleRows.contains(l.classCode + QLatin1Char('/') + l.courseCode);
            if (meeting || (below(50) == 0 && !halfPair)) {
                l.setFlag = 0;
                out.records.lessons.push_back(l);
                ++out.preset;
            }
        }
        // The plan read off the week, a row per class, course and teacher.
        for (const auto& l : out.week) {
            auto it =
                std::find_if(out.records.plan.begin(), out.records.plan.end(), [&](const auto& r) {
                    return r.classCode == l.classCode && r.courseCode == l.courseCode &&
                           r.teacherCode == l.teacherCode;
                });
            if (it == out.records.plan.end()) {
                out.records.plan.push_back({l.classCode, l.courseCode, l.teacherCode, 0, 0});
                it = out.records.plan.end() - 1;
            }
            ++it->count;
            if (l.setFlag == 0)
                ++it->buildCount;
            ++out.planned;
        }
        for (auto& r : out.records.plan) {
            r.doubles = doubleRows.value(r.classCode + QLatin1Char('/') + r.courseCode);
            out.doubles += r.doubles;
        }
        if (shape.realRules)
            teacherRules();
    }

    // Double lessons of a class by course: 美术 as one double lesson in half
    // the classes, 科学 in a third, 语文 once or twice in a third. None
    // without the real rules.
    std::vector<int> doublesOfClass(const std::vector<int>& counts) {
        std::vector<int> d(kCourseCount, 0);
        if (!shape.realRules)
            return d;
        if (counts[7] >= 2 && extraBelow(2) == 0)
            d[7] = 1;
        if (counts[3] >= 2 && extraBelow(3) == 0)
            d[3] = 1;
        if (counts[0] >= 6 && extraBelow(3) == 0)
            d[0] = 1 + extraBelow(2);
        return d;
    }

    // The groups with their afternoons off, and each teacher's group and
    // limits read off the laid week: half the teachers get limits, a third of
    // those exactly what the week uses, the rest one more.
    void teacherRules() {
        for (const GroupDef& g : kGroups) {
            const QString code = QString::fromLatin1(g.code);
            const QString name = QString::fromUtf8(g.name);
            out.records.groups.push_back({code, name, name, name.left(2)});
            if (g.dayOff)
                for (int n = kMorning + 1; n <= shape.lessonsPerDay; ++n)
                    out.records.limits.push_back({4, code, g.dayOff, n, 3});
        }
        QHash<QString, std::vector<unsigned>> days; // by teacher: lesson bits per day
        for (const auto& l : out.week) {
            auto& d = days[l.teacherCode];
            d.resize(kDays, 0);
            d[std::size_t(l.day - 1)] |= 1u << l.lessonNo;
        }
        for (const Teacher& t : teachers) {
            TeacherRule rule;
            if (t.group >= 0)
                rule.groupCode = QString::fromLatin1(kGroups[t.group].code);
            int perDay = 0, inRow = 0;
            for (unsigned bits : days.value(t.code)) {
                perDay = std::max(perDay, std::popcount(bits));
                int run = 0;
                for (int n = 1; n <= shape.lessonsPerDay; ++n) {
                    run = (bits >> n) & 1u ? (n == kMorning + 1 ? 1 : run + 1) : 0;
                    inRow = std::max(inRow, run);
                }
            }
            if (perDay > 0 && extraBelow(2) == 0) {
                const int slack = extraBelow(3) == 0 ? 0 : 1;
                rule.maxPerDay = perDay + slack;
                rule.maxInRow = std::max(inRow + slack, 2);
                ++out.limitedTeachers;
                out.tightTeachers += slack == 0 ? 1 : 0;
            }
            if (rule.maxPerDay > 0 || !rule.groupCode.isEmpty())
                out.records.teacherRules.push_back({t.code, rule});
        }
    }
};

} // namespace

BenchSchool BuildBenchSchool(const BenchSchoolShape& shape) {
    Builder b(shape);
    b.build();
    return std::move(b.out);
}

std::vector<BenchSchoolShape> BenchSchoolSet() {
    std::vector<BenchSchoolShape> set;
    std::uint32_t seed = 101;
    const int sizes[] = {12, 18, 24, 30, 36, 42, 48};
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 7; ++i)
            set.push_back({sizes[i], 6, 26 + (i + round) % 3, seed++, true});
    for (int classes : sizes)
        set.push_back({classes, 6, 30, seed++, true});
    for (int classes : {12, 30, 48})
        set.push_back({classes, 7, 35, seed++, true});
    return set;
}
