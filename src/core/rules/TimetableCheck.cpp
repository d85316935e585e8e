#include "core/rules/TimetableCheck.h"

#include "core/rules/HardRules.h"
#include "core/rules/PlanFaults.h"

#include "core/rules/WhyUnplaced.h"
#include <QHash>
#include <algorithm>

namespace {

const char* const kDayNames[] = {"", "星期一", "星期二", "星期三", "星期四", "星期五"};

QString dayName(int day) {
    return day >= 1 && day <= 5 ? QString::fromUtf8(kDayNames[day])
                                : QStringLiteral("第%1天").arg(day);
}

QString period(int day, int lessonNo) {
    return dayName(day) + QStringLiteral(" 第%1节").arg(lessonNo);
}

// Names where the lists have them, the code otherwise.
struct Names {
    const rules::NameOf& nameOf;
    QString of(char kind, const QString& code) const {
        const QString n = nameOf ? nameOf(kind, code) : QString();
        return n.isEmpty() ? code : n;
    }
    QString cls(const QString& code) const { return of('c', code); }
    QString course(const QString& code) const { return of('k', code); }
    QString teacher(const QString& code) const { return of('t', code); }
};

} // namespace

bool TimetableCheck::ok() const {
    for (const QStringList* list :
         {&classClashes, &teacherClashes, &forbiddenCells, &exclusiveClashes, &dailyShareOver,
          &teacherLimits, &doublesMissing, &outsidePlan, &outsideWeek, &jointApart, &planFaults,
          &counterMismatches, &hiddenCharacters})
        if (!list->isEmpty())
            return false;
    return true;
}

QStringList TimetableCheck::report() const {
    QStringList lines;
    for (const QStringList* list :
         {&classClashes, &teacherClashes, &forbiddenCells, &exclusiveClashes, &dailyShareOver,
          &teacherLimits, &doublesMissing, &outsidePlan, &outsideWeek, &jointApart, &planFaults,
          &counterMismatches, &hiddenCharacters, &notes, &incompleteRows})
        lines += *list;
    for (int i = 0; i < unplaced.size(); ++i) {
        lines << unplaced[i];
        if (i < unplacedReasons.size() && !unplacedReasons[i].isEmpty())
            lines << QStringLiteral("    原因：") + unplacedReasons[i];
    }
    lines << QStringLiteral("检查结果：班级冲突 %1 处，老师冲突 %2 处，不排时间上课 %3 节，"
                            "专用课程冲突 %4 处，超过每天节数 %5 处，计划外的课 %6 处，"
                            "计划错误 %7 项，计数不符 %8 行，课表外的课 %9 节，")
                     .arg(classClashes.size())
                     .arg(teacherClashes.size())
                     .arg(forbiddenCells.size())
                     .arg(exclusiveClashes.size())
                     .arg(dailyShareOver.size())
                     .arg(outsidePlan.size())
                     .arg(planFaults.size())
                     .arg(counterMismatches.size())
                     .arg(outsideWeek.size()) +
                 // Told only where a school has double lessons to miss.
                 (doublesMissing.isEmpty()
                      ? QString()
                      : QStringLiteral("连堂不足 %1 处，").arg(doublesMissing.size())) +
                 (teacherLimits.isEmpty()
                      ? QString()
                      : QStringLiteral("超过老师节数限制 %1 处，").arg(teacherLimits.size())) +
                 (jointApart.isEmpty()
                      ? QString()
                      : QStringLiteral("合班不同时 %1 处，").arg(jointApart.size())) +
                 QStringLiteral("未排 %1 节（%2 行）。").arg(unplacedLessons).arg(unplaced.size());
    lines << (ok() ? QStringLiteral("没有重复排课，计数正确，课表符合排课规则。")
                   : QStringLiteral("发现重复排课、计数错误或不符合排课规则的课！"));
    return lines;
}

TimetableCheck CheckTimetable(const School& school, int lessonsPerDay,
                              const rules::NameOf& nameOf) {
    TimetableCheck r;
    const Names names{nameOf};
    const rules::NameOf shownName = [&](char kind, const QString& code) {
        return names.of(kind, code);
    };
    auto planRow = [&](const PlanRow& p) {
        return QStringLiteral("%1 %2（%3）")
            .arg(names.cls(p.classCode), names.course(p.courseCode), names.teacher(p.teacherCode));
    };
    auto lessonAt = [&](const Lesson& l) {
        return QStringLiteral("%1 %2 %3（%4）")
            .arg(names.cls(l.classCode), period(l.period.day, l.period.lessonNo),
                 names.course(l.courseCode), names.teacher(l.teacherCode));
    };
    for (const rules::Breach& b : rules::breachesOf(school)) {
        switch (b.rule) {
        case rules::Rule::ClassOnce: {
            QStringList courses;
            for (const Lesson& l : b.lessons)
                courses << names.course(l.courseCode);
            r.classClashes << QStringLiteral("班级冲突：%1 %2 有%3节课：%4")
                                  .arg(names.cls(b.code), period(b.period.day, b.period.lessonNo))
                                  .arg(b.lessons.size())
                                  .arg(courses.join(QStringLiteral("、")));
            break;
        }
        case rules::Rule::TeacherOnce: {
            QStringList lessons;
            for (const Lesson& l : b.lessons)
                lessons << names.cls(l.classCode) + ' ' + names.course(l.courseCode);
            r.teacherClashes << QStringLiteral("老师冲突：%1 %2 同时上%3节课：%4")
                                    .arg(names.teacher(b.code),
                                         period(b.period.day, b.period.lessonNo))
                                    .arg(b.lessons.size())
                                    .arg(lessons.join(QStringLiteral("、")));
            break;
        }
        case rules::Rule::NeverPeriod:
            for (const Lesson& l : b.lessons) {
                const rules::Placing p =
                    rules::placingOf(school, l.classCode, l.courseCode, l.teacherCode);
                const QStringList owners = rules::neverOwners(school, p, l.period, shownName);
                r.forbiddenCells << QStringLiteral("不排时间上课：%1 %2 %3（%4此时间不排）")
                                        .arg(names.cls(l.classCode),
                                             period(l.period.day, l.period.lessonNo),
                                             names.course(l.courseCode),
                                             owners.isEmpty() ? QStringLiteral("该课程")
                                                              : owners.join(QStringLiteral("、")));
            }
            break;
        case rules::Rule::Exclusive: {
            QStringList classes;
            for (const Lesson& l : b.lessons)
                classes << names.cls(l.classCode);
            QString line = QStringLiteral("专用课程冲突：%1 %2 同时在%3上课")
                               .arg(names.course(b.code), period(b.period.day, b.period.lessonNo),
                                    classes.join(QStringLiteral("、")));
            if (b.limit > 1)
                line +=
                    QStringLiteral("（%1同时最多 %2 个班）").arg(names.course(b.code)).arg(b.limit);
            r.exclusiveClashes << line;
            break;
        }
        case rules::Rule::DailyShare: {
            const Lesson& l = b.lessons.front();
            // A course's own maximum counts the lessons of every teacher.
            bool oneTeacher = true;
            for (const Lesson& x : b.lessons)
                oneTeacher = oneTeacher && x.teacherCode == l.teacherCode;
            const QString course =
                oneTeacher ? QStringLiteral("%1（%2）")
                                 .arg(names.course(l.courseCode), names.teacher(l.teacherCode))
                           : names.course(l.courseCode);
            const QString line = QStringLiteral("%1 %2 %3有 %4 节，每天最多 %5 节")
                                     .arg(names.cls(l.classCode), dayName(b.period.day), course)
                                     .arg(b.lessons.size())
                                     .arg(b.limit);
            if (b.noteOnly)
                r.notes << QStringLiteral("提示：预排的课超过每天节数：") + line;
            else
                r.dailyShareOver << QStringLiteral("超过每天节数：") + line;
            break;
        }
        case rules::Rule::DoubleLessons: {
            const Lesson& l = b.lessons.front();
            const QString line =
                QStringLiteral("%1 %2（%3）计划连堂 %4 次，课表中只有 %5 次（相邻两节、不跨午休）")
                    .arg(names.cls(l.classCode), names.course(l.courseCode),
                         names.teacher(l.teacherCode))
                    .arg(b.limit)
                    .arg(rules::doublePairsOf(school, b.lessons));
            if (b.noteOnly)
                r.notes << QStringLiteral("提示：预排的课连堂不足：") + line;
            else
                r.doublesMissing << QStringLiteral("连堂不足：") + line;
            break;
        }
        case rules::Rule::TeacherDailyMax:
        case rules::Rule::TeacherInRow: {
            // A joint lesson is one lesson of its teacher: its classes are
            // named together.
            std::vector<std::pair<QStringList, const Lesson*>> taught;
            for (const Lesson& l : b.lessons) {
                auto same = std::find_if(taught.begin(), taught.end(), [&](const auto& t) {
                    return !l.lessonNoEmpty && t.second->period == l.period &&
                           rules::sameJointLesson(school, *t.second, l);
                });
                if (same != taught.end())
                    same->first << names.cls(l.classCode);
                else
                    taught.push_back({{names.cls(l.classCode)}, &l});
            }
            QStringList lessons;
            for (const auto& [classes, l] : taught)
                lessons << classes.join(QStringLiteral("、")) + ' ' + names.course(l->courseCode);
            const QString line =
                b.rule == rules::Rule::TeacherDailyMax
                    ? QStringLiteral("%1 %2已上 %3 节，每天最多 %4 节：%5")
                          .arg(names.teacher(b.code), dayName(b.period.day))
                          .arg(lessons.size())
                          .arg(b.limit)
                          .arg(lessons.join(QStringLiteral("、")))
                    : QStringLiteral("%1 %2起连上 %3 节，最多连上 %4 节：%5")
                          .arg(names.teacher(b.code), period(b.period.day, b.period.lessonNo))
                          .arg(lessons.size())
                          .arg(b.limit)
                          .arg(lessons.join(QStringLiteral("、")));
            const QString what = rules::ruleName(b.rule) + QStringLiteral("：");
            if (b.noteOnly)
                r.notes << QStringLiteral("提示：预排的课") + what + line;
            else
                r.teacherLimits << what + line;
            break;
        }
        case rules::Rule::InsideWeek:
            for (const Lesson& l : b.lessons)
                r.outsideWeek << QStringLiteral("课表外的课：%1 %2 %3（每天%4节）")
                                     .arg(names.cls(l.classCode),
                                          period(l.period.day, l.period.lessonNo),
                                          names.course(l.courseCode))
                                     .arg(lessonsPerDay);
            break;
        case rules::Rule::JointTogether: {
            const Lesson& l = b.lessons.front();
            QStringList present, missing;
            for (const Lesson& x : b.lessons)
                present << names.cls(x.classCode);
            if (const JointRow* row = school.joints.rowOf(b.code, l.courseCode, l.teacherCode))
                for (const QString& c : row->classes())
                    if (!present.contains(names.cls(c)))
                        missing << names.cls(c);
            r.jointApart << QStringLiteral("合班不同时：%1（%2）%3 %4有课，%5没有")
                                .arg(names.course(l.courseCode), names.teacher(l.teacherCode),
                                     period(b.period.day, b.period.lessonNo),
                                     present.join(QStringLiteral("、")),
                                     missing.join(QStringLiteral("、")));
            break;
        }
        case rules::Rule::InPlan:
            if (b.limit < 0) {
                for (const Lesson& l : b.lessons)
                    r.outsidePlan
                        << QStringLiteral("计划外的课：%1 不属于任何教学计划").arg(lessonAt(l));
            } else {
                const Lesson& l = b.lessons.front();
                const QString line = QStringLiteral("%1 %2（%3）课表中有 %4 节，计划只有 %5 节")
                                         .arg(names.cls(l.classCode), names.course(l.courseCode),
                                              names.teacher(l.teacherCode))
                                         .arg(b.lessons.size())
                                         .arg(b.limit);
                if (b.noteOnly)
                    r.notes << QStringLiteral("提示：预排的课多于计划：") + line;
                else
                    r.outsidePlan << QStringLiteral("计划外的课：") + line;
            }
            break;
        }
    }
    r.planFaults =
        rules::planFaultLines(rules::planFaultsOf(school), school.timetable.week(), shownName);
    r.hiddenCharacters = school.hiddenCharacterNames;

    QHash<QString, long long> inTimetable;
    auto key = [](const QString& a, const QString& b, const QString& c) {
        return a + QChar(0x1f) + b + QChar(0x1f) + c;
    };
    for (const Lesson& l : school.timetable.lessons())
        ++inTimetable[key(l.classCode, l.courseCode, l.teacherCode)];
    for (const PlanRow& p : school.plan) {
        const long long n =
            p.isComplete() ? inTimetable.value(key(p.classCode, p.courseCode, p.teacherCode)) : 0;
        if (p.buildCount != n)
            r.counterMismatches << QStringLiteral("计数不符：%1 记录已排%2节，课表中有%3节")
                                       .arg(planRow(p))
                                       .arg(p.buildCount)
                                       .arg(n);
        if (!p.isComplete()) {
            QStringList missing;
            if (p.classCode.isEmpty())
                missing << QStringLiteral("班级");
            if (p.courseCode.isEmpty())
                missing << QStringLiteral("课程");
            if (p.teacherCode.isEmpty())
                missing << QStringLiteral("老师");
            r.incompleteRows << QStringLiteral("无法排课：%1 教学计划缺少%2，自动生成时跳过")
                                    .arg(planRow(p), missing.join(QStringLiteral("、")));
        }
        if (!p.count || *p.count <= p.buildCount)
            continue;
        r.unplaced << QStringLiteral("未排：%1 计划%2节，已排%3节，缺%4节")
                          .arg(planRow(p))
                          .arg(*p.count)
                          .arg(p.buildCount)
                          .arg(*p.count - p.buildCount);
        r.unplacedLessons += static_cast<int>(*p.count - p.buildCount);
        r.unplacedReasons << rules::whyUnplaced(
                                 school,
                                 rules::placingOf(school, p.classCode, p.courseCode, p.teacherCode),
                                 shownName)
                                 .summary;
    }
    return r;
}
