#include "core/rules/TimetableCheck.h"

#include "core/rules/WhyUnplaced.h"
#include "core/store/Lookups.h"
#include "core/store/SchoolStore.h"
#include "core/store/Sql.h"
#include "core/store/TimetableDb.h"

#include <algorithm>
#include <tuple>

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
    TimetableDb& db;
    QString cls(const QString& code) {
        const QString n = GetClassName(db, code);
        return n.isEmpty() ? code : n;
    }
    QString course(const QString& code) {
        const QString n = GetCourseName(db, code);
        return n.isEmpty() ? code : n;
    }
    QString teacher(const QString& code) {
        const QString n = GetTeacherName(db, code);
        return n.isEmpty() ? code : n;
    }
};

// Runs q and hands each row's columns to fn.
template <class Fn> void eachRow(SQLite::Database& d, const char* q, Fn fn) {
    SQLite::Statement st(d, q);
    while (st.executeStep())
        fn(st);
}

QString col(SQLite::Statement& st, int i) {
    return sql::text(st.getColumn(i));
}
int num(SQLite::Statement& st, int i) {
    return st.getColumn(i).getInt();
}

} // namespace

QStringList TimetableCheck::report() const {
    QStringList lines;
    for (const QStringList* list : {&classClashes, &teacherClashes, &forbiddenCells,
                                    &exclusiveClashes, &counterMismatches, &outsideWeek})
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

bool CheckTimetable(TimetableDb& db, int lessonsPerDay, TimetableCheck& result) {
    result = TimetableCheck{};
    TimetableCheck r;
    Names names{db};
    try {
        SQLite::Database& d = db.sql();
        const School school = LoadSchool(db, Week::ofLessons(lessonsPerDay));
        const rules::NameOf nameOf = [&](char kind, const QString& code) {
            return kind == 'c'   ? names.cls(code)
                   : kind == 'k' ? names.course(code)
                                 : names.teacher(code);
        };
        eachRow(d,
                "select ClassCode,Day,LessonNo,count(*),group_concat(CourseCode,char(9)) from "
                "(select * from LessonListtb order by rowid) group by ClassCode,Day,LessonNo "
                "having count(*)>1 order by ClassCode,Day,LessonNo",
                [&](SQLite::Statement& st) {
                    QStringList courses;
                    for (const QString& c : col(st, 4).split('\t'))
                        courses << names.course(c);
                    r.classClashes
                        << QStringLiteral("班级冲突：%1 %2 有%3节课：%4")
                               .arg(names.cls(col(st, 0)), period(num(st, 1), num(st, 2)))
                               .arg(num(st, 3))
                               .arg(courses.join(QStringLiteral("、")));
                });
        eachRow(d,
                "select TeacherCode,Day,LessonNo,count(*),"
                "group_concat(ClassCode||char(9)||CourseCode,char(10)) from "
                "(select * from LessonListtb order by rowid) group by TeacherCode,Day,LessonNo "
                "having count(*)>1 order by TeacherCode,Day,LessonNo",
                [&](SQLite::Statement& st) {
                    QStringList lessons;
                    for (const QString& l : col(st, 4).split('\n')) {
                        const QStringList p = l.split('\t');
                        lessons << names.cls(p.value(0)) + ' ' + names.course(p.value(1));
                    }
                    r.teacherClashes
                        << QStringLiteral("老师冲突：%1 %2 同时上%3节课：%4")
                               .arg(names.teacher(col(st, 0)), period(num(st, 1), num(st, 2)))
                               .arg(num(st, 3))
                               .arg(lessons.join(QStringLiteral("、")));
                });
        // Every lesson at a period that is "不排" for it, by the one rule that
        // generation and completion follow.
        {
            std::vector<const Lesson*> lessons;
            for (const Lesson& l : school.timetable.lessons())
                if (school.timetable.week().contains(l.period))
                    lessons.push_back(&l);
            std::stable_sort(lessons.begin(), lessons.end(), [](const Lesson* a, const Lesson* b) {
                return std::tie(a->classCode, a->period) < std::tie(b->classCode, b->period);
            });
            Period last{};
            QString lastClass;
            for (const Lesson* l : lessons) {
                const rules::Placing p =
                    rules::placingOf(school, l->classCode, l->courseCode, l->teacherCode);
                if (rules::levelAt(school, p, l->period) != LimitLevel::Never)
                    continue;
                if (!r.forbiddenCells.isEmpty() && last == l->period && lastClass == l->classCode)
                    continue;
                last = l->period;
                lastClass = l->classCode;
                QStringList owners = rules::neverOwners(school, p, l->period, nameOf);
                r.forbiddenCells << QStringLiteral("不排时间上课：%1 %2 %3（%4此时间不排）")
                                        .arg(names.cls(l->classCode),
                                             period(l->period.day, l->period.lessonNo),
                                             names.course(l->courseCode),
                                             owners.isEmpty() ? QStringLiteral("该课程")
                                                              : owners.join(QStringLiteral("、")));
            }
        }
        eachRow(d,
                "select CourseCode,Day,LessonNo,group_concat(ClassCode,char(9)) from "
                "(select * from LessonListtb where CourseCode in (select CourseCode from "
                "CourseAttrtb) order by rowid) group by CourseCode,Day,LessonNo "
                "having count(distinct ClassCode)>1 order by CourseCode,Day,LessonNo",
                [&](SQLite::Statement& st) {
                    QStringList classes;
                    for (const QString& c : col(st, 3).split('\t'))
                        classes << names.cls(c);
                    r.exclusiveClashes
                        << QStringLiteral("专用课程冲突：%1 %2 同时在%3上课")
                               .arg(names.course(col(st, 0)), period(num(st, 1), num(st, 2)),
                                    classes.join(QStringLiteral("、")));
                });
        eachRow(d,
                "select P.ClassCode,P.CourseCode,P.TeacherCode,P.Count,P.BuildCount,"
                "(select count(*) from LessonListtb L where L.ClassCode=P.ClassCode and "
                "L.CourseCode=P.CourseCode and L.TeacherCode=P.TeacherCode) from ClassPlantb P "
                "order by P.rowid",
                [&](SQLite::Statement& st) {
                    const QString row = QStringLiteral("%1 %2（%3）")
                                            .arg(names.cls(col(st, 0)), names.course(col(st, 1)),
                                                 names.teacher(col(st, 2)));
                    const int count = num(st, 3), built = num(st, 4), inTable = num(st, 5);
                    if (built != inTable)
                        r.counterMismatches
                            << QStringLiteral("计数不符：%1 记录已排%2节，课表中有%3节")
                                   .arg(row)
                                   .arg(built)
                                   .arg(inTable);
                    if (count > built) {
                        r.unplaced << QStringLiteral("未排：%1 计划%2节，已排%3节，缺%4节")
                                          .arg(row)
                                          .arg(count)
                                          .arg(built)
                                          .arg(count - built);
                        r.unplacedLessons += count - built;
                        const rules::Placing p =
                            rules::placingOf(school, col(st, 0), col(st, 1), col(st, 2));
                        r.unplacedReasons << rules::whyUnplaced(school, p, nameOf).summary;
                    }
                });
        SQLite::Statement outside(d, "select ClassCode,Day,LessonNo,CourseCode from LessonListtb "
                                     "where Day<1 or Day>5 or LessonNo<1 or LessonNo>? "
                                     "order by ClassCode,Day,LessonNo");
        outside.bind(1, lessonsPerDay);
        while (outside.executeStep())
            r.outsideWeek << QStringLiteral("课表外的课：%1 %2 %3（每天%4节）")
                                 .arg(names.cls(col(outside, 0)),
                                      period(num(outside, 1), num(outside, 2)),
                                      names.course(col(outside, 3)))
                                 .arg(lessonsPerDay);
    } catch (const std::exception&) {
        return false;
    }
    result = r;
    return true;
}
