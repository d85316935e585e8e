#include "core/rules/TimetableCheck.h"

#include "core/rules/Violations.h"
#include "core/rules/WhyUnplaced.h"

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

QStringList TimetableCheck::report() const {
    QStringList lines;
    for (const QStringList* list :
         {&classClashes, &teacherClashes, &forbiddenCells, &exclusiveClashes, &counterMismatches,
          &outsideWeek, &incompleteRows})
        lines += *list;
    for (int i = 0; i < unplaced.size(); ++i) {
        lines << unplaced[i];
        if (i < unplacedReasons.size() && !unplacedReasons[i].isEmpty())
            lines << QStringLiteral("    原因：") + unplacedReasons[i];
    }
    lines << QStringLiteral("检查结果：班级冲突 %1 处，老师冲突 %2 处，不排时间上课 %3 节，"
                            "专用课程冲突 %4 处，计数不符 %5 行，课表外的课 %6 节，"
                            "未排 %7 节（%8 行）。")
                 .arg(classClashes.size())
                 .arg(teacherClashes.size())
                 .arg(forbiddenCells.size())
                 .arg(exclusiveClashes.size())
                 .arg(counterMismatches.size())
                 .arg(outsideWeek.size())
                 .arg(unplacedLessons)
                 .arg(unplaced.size());
    lines << (ok() ? QStringLiteral("没有重复排课，计数正确。")
                   : QStringLiteral("发现重复排课或计数错误！"));
    return lines;
}

TimetableCheck CheckTimetable(const School& school, int lessonsPerDay,
                              const rules::NameOf& nameOf) {
    TimetableCheck r;
    const Names names{nameOf};
    const rules::Violations v = rules::violationsOf(school);
    auto planRow = [&](const PlanRow& p) {
        return QStringLiteral("%1 %2（%3）")
            .arg(names.cls(p.classCode), names.course(p.courseCode), names.teacher(p.teacherCode));
    };
    for (const rules::Clash& c : v.classClashes) {
        QStringList courses;
        for (const Lesson& l : c.lessons)
            courses << names.course(l.courseCode);
        r.classClashes << QStringLiteral("班级冲突：%1 %2 有%3节课：%4")
                              .arg(names.cls(c.code), period(c.period.day, c.period.lessonNo))
                              .arg(c.lessons.size())
                              .arg(courses.join(QStringLiteral("、")));
    }
    for (const rules::Clash& c : v.teacherClashes) {
        QStringList lessons;
        for (const Lesson& l : c.lessons)
            lessons << names.cls(l.classCode) + ' ' + names.course(l.courseCode);
        r.teacherClashes << QStringLiteral("老师冲突：%1 %2 同时上%3节课：%4")
                                .arg(names.teacher(c.code), period(c.period.day, c.period.lessonNo))
                                .arg(c.lessons.size())
                                .arg(lessons.join(QStringLiteral("、")));
    }
    const rules::NameOf shownName = [&](char kind, const QString& code) {
        return names.of(kind, code);
    };
    for (const Lesson& l : v.neverPeriods) {
        const rules::Placing p = rules::placingOf(school, l.classCode, l.courseCode, l.teacherCode);
        const QStringList owners = rules::neverOwners(school, p, l.period, shownName);
        r.forbiddenCells << QStringLiteral("不排时间上课：%1 %2 %3（%4此时间不排）")
                                .arg(names.cls(l.classCode),
                                     period(l.period.day, l.period.lessonNo),
                                     names.course(l.courseCode),
                                     owners.isEmpty() ? QStringLiteral("该课程")
                                                      : owners.join(QStringLiteral("、")));
    }
    for (const rules::ExclusiveClash& e : v.exclusiveClashes) {
        QStringList classes;
        for (const Lesson& l : e.lessons)
            classes << names.cls(l.classCode);
        r.exclusiveClashes << QStringLiteral("专用课程冲突：%1 %2 同时在%3上课")
                                  .arg(names.course(e.courseCode),
                                       period(e.period.day, e.period.lessonNo),
                                       classes.join(QStringLiteral("、")));
    }
    for (const rules::CounterMismatch& m : v.counterMismatches)
        r.counterMismatches << QStringLiteral("计数不符：%1 记录已排%2节，课表中有%3节")
                                   .arg(planRow(m.row))
                                   .arg(m.row.buildCount)
                                   .arg(m.inTimetable);
    for (const PlanRow& p : v.incomplete) {
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
    for (const PlanRow& p : v.unplaced) {
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
    for (const Lesson& l : v.outsideWeek)
        r.outsideWeek << QStringLiteral("课表外的课：%1 %2 %3（每天%4节）")
                             .arg(names.cls(l.classCode), period(l.period.day, l.period.lessonNo),
                                  names.course(l.courseCode))
                             .arg(lessonsPerDay);
    return r;
}
