#include "core/model/DemoSchool.h"

#include <QSet>
#include <random>
#include <vector>

namespace {

const char* const kGradeNames[] = {"学前", "一", "二", "三", "四", "五", "六"};

struct Course {
    const char* code;
    const char* name;
    const char* shortName;
    int lessons[7];        // per week, by grade (index 0 = 学前, unused here)
    int classesPerTeacher; // 0: the class teacher (班主任) gives it
};

// Weekly lessons after the usual national plan for a six-lesson day.
const Course kCourses[] = {
    {"01", "语文", "语", {0, 8, 8, 7, 6, 6, 6}, 0},
    {"02", "数学", "数", {0, 4, 4, 5, 5, 5, 5}, 2},
    {"03", "英语", "英", {0, 0, 0, 2, 3, 3, 3}, 4},
    {"04", "科学", "科", {0, 1, 1, 2, 2, 2, 2}, 7},
    {"05", "道德与法治", "道", {0, 2, 2, 2, 2, 2, 2}, 0},
    {"06", "体育", "体", {0, 4, 4, 3, 3, 3, 3}, 5},
    {"07", "音乐", "音", {0, 2, 2, 2, 2, 2, 2}, 8},
    {"08", "美术", "美", {0, 2, 2, 2, 2, 2, 2}, 8},
    {"09", "信息技术", "信", {0, 0, 0, 0, 1, 1, 1}, 12},
    {"10", "综合实践", "综", {0, 1, 1, 1, 1, 1, 1}, 12},
    {"11", "劳动", "劳", {0, 1, 1, 1, 0, 0, 0}, 12},
    {"12", "班队会", "班", {0, 1, 1, 1, 1, 1, 1}, 0},
};
const char* const kExclusiveCourse = "09";
const char* const kClassMeeting = "12";

const char* const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周",
                                 "徐", "孙", "马", "朱", "胡", "郭", "何", "林", "罗", "高",
                                 "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯", "邓", "曹"};
const char* const kGiven[] = {"丽",   "静",   "敏",   "燕",   "艳",   "娟",   "霞",   "芳",
                              "萍",   "红",   "玲",   "华",   "建国", "志强", "海燕", "晓东",
                              "文婷", "雪梅", "国华", "春梅", "秀英", "玉兰", "小红", "立新",
                              "慧",   "琳",   "婷婷", "晨",   "宇",   "杰",   "涛",   "明"};

class Draw {
public:
    explicit Draw(std::uint32_t seed) : m_g(seed) {}
    int below(int n) { return static_cast<int>(m_g() % static_cast<std::uint32_t>(n)); }

private:
    std::mt19937 m_g;
};

struct Builder {
    SchoolRecords& s;
    Draw draw;
    QSet<QString> names;
    int teachers = 0;

    QString newTeacher() {
        QString name;
        do {
            name = QString::fromUtf8(kSurnames[draw.below(std::size(kSurnames))]) +
                   QString::fromUtf8(kGiven[draw.below(std::size(kGiven))]);
        } while (names.contains(name));
        names.insert(name);
        QString code = QStringLiteral("%1").arg(++teachers, 3, 10, QLatin1Char('0'));
        s.teachers.push_back({code, name, name, name.left(1) + QStringLiteral("老师")});
        return code;
    }
    void plan(const QString& cls, const char* course, const QString& teacher, int count,
              int built = 0) {
        s.plan.push_back({cls, QString::fromLatin1(course), teacher, count, built, false});
    }
    void limit(const char* course, int day, int lessonNo, int attr) {
        s.limits.push_back({1, QString::fromLatin1(course), day, lessonNo, attr});
    }
};

struct DemoClass {
    QString code;
    int grade;
};

} // namespace

bool ParseDemoSize(const QString& text, DemoSize& size) {
    if (text == QLatin1String("small"))
        size = DemoSize::Small;
    else if (text == QLatin1String("medium"))
        size = DemoSize::Medium;
    else if (text == QLatin1String("large"))
        size = DemoSize::Large;
    else if (text == QLatin1String("huge"))
        size = DemoSize::Huge;
    else
        return false;
    return true;
}

int DemoClassesPerGrade(DemoSize size) {
    switch (size) {
    case DemoSize::Small:
        return 1;
    case DemoSize::Medium:
        return 4;
    case DemoSize::Large:
        return 8;
    case DemoSize::Huge:
        return 32;
    }
    return 1;
}

SchoolRecords DemoSchool(DemoSize size, std::uint32_t seed) {
    SchoolRecords school;
    Builder b{school, Draw(seed), {}, 0};

    std::vector<DemoClass> classes;
    const int perGrade = DemoClassesPerGrade(size);
    for (int grade = 1; grade <= 6; ++grade)
        for (int n = 1; n <= perGrade; ++n) {
            const QString g = QString::fromUtf8(kGradeNames[grade]);
            // Two digits for the class once a grade has ten or more.
            const QString code =
                QString::number(grade) +
                QStringLiteral("%1").arg(n, perGrade > 9 ? 2 : 1, 10, QLatin1Char('0'));
            school.classes.push_back({code, g + QStringLiteral("（%1）班").arg(n),
                                      g + QStringLiteral("年级（%1）班").arg(n),
                                      g + QStringLiteral("（%1）").arg(n)});
            classes.push_back({code, grade});
        }

    for (const Course& c : kCourses)
        school.courses.push_back({QString::fromLatin1(c.code), QString::fromUtf8(c.name),
                                  QString::fromUtf8(c.name), QString::fromUtf8(c.shortName)});
    {
        int n = 0;
        for (const char* room : {"计算机教室", "音乐教室", "美术教室", "科学实验室", "操场"}) {
            const QString name = QString::fromUtf8(room);
            school.rooms.push_back({QStringLiteral("R%1").arg(++n), name, name, name});
        }
    }

    // The class teacher of each class gives 语文, 道德与法治 and 班队会 there.
    for (const DemoClass& cls : classes) {
        const QString teacher = b.newTeacher();
        for (const Course& c : kCourses)
            if (c.classesPerTeacher == 0 && c.lessons[cls.grade] > 0) {
                const bool meeting = qstrcmp(c.code, kClassMeeting) == 0;
                b.plan(cls.code, c.code, teacher, c.lessons[cls.grade], meeting ? 1 : 0);
                if (meeting) // every class meets on Friday afternoon
                    school.lessons.push_back(
                        {cls.code, 5, 5, QString::fromLatin1(c.code), teacher, 0});
            }
    }
    // The subject teachers take consecutive classes of the course; which
    // group of classes starts varies with the seed.
    for (const Course& c : kCourses) {
        if (c.classesPerTeacher == 0)
            continue;
        std::vector<const DemoClass*> taught;
        for (const DemoClass& cls : classes)
            if (c.lessons[cls.grade] > 0)
                taught.push_back(&cls);
        if (taught.empty())
            continue;
        const int groups =
            (static_cast<int>(taught.size()) + c.classesPerTeacher - 1) / c.classesPerTeacher;
        const int shift = groups > 1 ? b.draw.below(groups) : 0;
        std::vector<QString> teacherOfGroup;
        teacherOfGroup.reserve(groups);
        for (int g = 0; g < groups; ++g)
            teacherOfGroup.push_back(b.newTeacher());
        for (std::size_t i = 0; i < taught.size(); ++i) {
            const int group = (static_cast<int>(i) / c.classesPerTeacher + shift) % groups;
            b.plan(taught[i]->code, c.code, teacherOfGroup[group], c.lessons[taught[i]->grade]);
        }
    }

    // Course time limits, written for a seven-lesson day too.
    for (int day = 1; day <= 5; ++day) {
        for (const char* main : {"01", "02"}) {
            b.limit(main, day, 1, 0);
            b.limit(main, day, 2, 0);
            b.limit(main, day, 6, 2);
            b.limit(main, day, 7, 2);
        }
        b.limit("03", day, 3, 0);
        b.limit("03", day, 7, 2);
        b.limit("06", day, 1, 3); // after the morning exercises, never 体育 first
        b.limit("06", day, 4, 2); // nor right before lunch, if possible
        b.limit("06", day, 3, 0);
        b.limit("06", day, 5, 0);
        for (const char* art : {"07", "08"}) {
            b.limit(art, day, 1, 2);
            b.limit(art, day, 2, 2);
        }
        for (const char* practice : {"10", "11"})
            for (int n = 5; n <= 7; ++n)
                b.limit(practice, day, n, 0);
    }
    for (int n = 5; n <= 7; ++n)
        b.limit(kExclusiveCourse, 5, n, 3); // the computer room is serviced on Friday afternoon
    school.exclusiveCourses.push_back(QString::fromLatin1(kExclusiveCourse));
    return school;
}
