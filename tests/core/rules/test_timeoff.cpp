// Teacher and class time-off in the level of a period, and why a lesson fits
// nowhere, on schools built in memory.
#include "SchoolBuilder.h"

#include "core/rules/WhyUnplaced.h"

#include <QTest>

namespace {

void addRow(School& s, const QString& cls, const QString& course, const QString& teacher,
            long long count) {
    s.plan.push_back(row(cls, course, teacher, count));
}

void limit(School& s, LimitKind kind, const QString& code, int day, int n, int attr) {
    s.limits.add(kind, code, LimitCell{Period{day, n}, attr});
}

void lesson(School& s, const QString& cls, int day, int n, const QString& course,
            const QString& teacher) {
    s.timetable.add(Lesson{cls, Period{day, n}, course, teacher, Origin::Generated, false});
}

} // namespace

class TestTimeOff : public QObject {
    Q_OBJECT
private slots:
    void teacherAndClassRaiseTheCourseLevel();
    void generationOrderOfAvoidPeriods();
    void whyNamesTheMainObstacle();
    void whyOverTheWholeWeek();
};

void TestTimeOff::teacherAndClassRaiseTheCourseLevel() {
    School s = emptySchool();
    addRow(s, "11", "01", "T1", 4);
    limit(s, LimitKind::Course, "01", 1, 1, 0);  // best
    limit(s, LimitKind::Teacher, "T1", 1, 1, 2); // the teacher would rather not
    limit(s, LimitKind::Course, "01", 1, 2, 2);  // avoid
    limit(s, LimitKind::Class, "11", 1, 2, 3);   // the class is out
    limit(s, LimitKind::Teacher, "T1", 1, 3, 0); // the teacher's best changes nothing
    limit(s, LimitKind::Class, "11", 1, 4, 1);
    limit(s, LimitKind::Course, "01", 1, 5, 3);
    limit(s, LimitKind::Teacher, "T1", 1, 5, 2); // never stays never
    limit(s, LimitKind::Teacher, "T2", 1, 6, 3); // another teacher's time-off
    const rules::Placing p = rules::placingOf(s, "11", "01", "T1");
    const QList<LimitLevel> expected{LimitLevel::Avoid,  LimitLevel::Never, LimitLevel::Normal,
                                     LimitLevel::Normal, LimitLevel::Never, LimitLevel::Normal};
    for (int n = 1; n <= 6; ++n)
        QCOMPARE(rules::levelAt(s, p, Period{1, n}), expected[n - 1]);
    // The rules say so for a period that is never: the owner is named.
    QCOMPARE(rules::neverOwners(s, p, Period{1, 2}), QStringList({"班级 11"}));
    QCOMPARE(rules::neverOwners(s, p, Period{1, 5}), QStringList({"课程 01"}));
}

void TestTimeOff::generationOrderOfAvoidPeriods() {
    School s = emptySchool();
    addRow(s, "11", "01", "T1", 4);
    limit(s, LimitKind::Course, "01", 2, 6, 2);
    limit(s, LimitKind::Course, "01", 2, 1, 0);
    limit(s, LimitKind::Teacher, "T1", 2, 4, 2);
    limit(s, LimitKind::Teacher, "T1", 2, 1, 2);
    limit(s, LimitKind::Class, "11", 2, 2, 3);
    const rules::Placing p = rules::placingOf(s, "11", "01", "T1");
    // Stored avoid cells first, then those the time-off made avoid, by lesson.
    QCOMPARE(rules::freeLessonsAtLevel(s, p, 2, LimitLevel::Avoid), std::vector<int>({6, 1, 4}));
    QCOMPARE(rules::freeLessonsAtLevel(s, p, 2, LimitLevel::Best), std::vector<int>());
    QCOMPARE(rules::freeLessonsAtLevel(s, p, 2, LimitLevel::Normal), std::vector<int>({3, 5}));
    // Without time-off nothing changes.
    School plain = emptySchool();
    addRow(plain, "11", "01", "T1", 4);
    limit(plain, LimitKind::Course, "01", 2, 6, 2);
    limit(plain, LimitKind::Course, "01", 2, 1, 0);
    const rules::Placing q = rules::placingOf(plain, "11", "01", "T1");
    QCOMPARE(rules::freeLessonsAtLevel(plain, q, 2, LimitLevel::Avoid), std::vector<int>({6}));
    QCOMPARE(rules::freeLessonsAtLevel(plain, q, 2, LimitLevel::Normal),
             std::vector<int>({2, 3, 4, 5}));
}

void TestTimeOff::whyNamesTheMainObstacle() {
    // Class 11 is free only on Monday 1 and 2; its 语文 teacher teaches class
    // 12 then.
    School s = emptySchool();
    addRow(s, "11", "01", "T1", 1);
    for (int day = 1; day <= 5; ++day)
        for (int n = 1; n <= 6; ++n)
            if (day > 1 || n > 2)
                lesson(s, "11", day, n, "02", "T2");
    lesson(s, "12", 1, 1, "01", "T1");
    lesson(s, "12", 1, 2, "01", "T1");
    const rules::NameOf names = [](char kind, const QString& code) {
        return kind == 't' && code == "T1" ? QStringLiteral("王芳") : QString();
    };
    rules::WhyUnplaced why = rules::whyUnplaced(s, rules::placingOf(s, "11", "01", "T1"), names);
    QCOMPARE(why.summary, QStringLiteral("老师 王芳 在本班空闲的 2 个时间都有课"));
    QCOMPARE(why.periods.size(), std::size_t(30));
    QVERIFY2(why.periods[0].text.contains("王芳此时在12上01课"), qPrintable(why.periods[0].text));
    QVERIFY(why.periods[2].text.contains("本班此时已有02课"));

    // Monday 2 is the teacher's time-off instead: two obstacles, counted.
    s.limits.add(LimitKind::Teacher, "T1", LimitCell{Period{1, 2}, 3});
    why = rules::whyUnplaced(s, rules::placingOf(s, "11", "01", "T1"), names);
    QCOMPARE(why.summary, QStringLiteral("老师 王芳 在本班空闲的 2 个时间都有课"));
    QVERIFY(why.periods[1].text.contains("老师 王芳此时间不排"));
}

void TestTimeOff::whyOverTheWholeWeek() {
    School s = emptySchool();
    addRow(s, "11", "09", "T1", 1);
    s.setCapacity("09", 1);
    for (int day = 1; day <= 5; ++day)
        for (int n = 1; n <= 6; ++n)
            if (day < 5)
                lesson(s, "11", day, n, "02", "T2");
    // Friday: three periods the computer room is with class 12, three that
    // the class has off.
    for (int n = 1; n <= 3; ++n)
        lesson(s, "12", 5, n, "09", "T3");
    for (int n = 4; n <= 6; ++n)
        s.limits.add(LimitKind::Class, "11", LimitCell{Period{5, n}, 3});
    const rules::Placing p = rules::placingOf(s, "11", "09", "T1");
    QCOMPARE(rules::whyUnplaced(s, p).summary,
             QStringLiteral("本班空闲的 6 个时间里：3 个时间是班级 11的“不排”时间，"
                            "3 个时间专用课程 09 在其他班上课"));
    // A full class says so.
    for (int n = 1; n <= 6; ++n)
        lesson(s, "11", 5, n, "02", "T2");
    QCOMPARE(rules::whyUnplaced(s, p).summary, QStringLiteral("11 每周 30 个时间都已有课"));
    // And a lesson that fits says where.
    School open = emptySchool();
    addRow(open, "11", "01", "T1", 1);
    QCOMPARE(rules::whyUnplaced(open, rules::placingOf(open, "11", "01", "T1")).summary,
             QStringLiteral("11 还有 30 个时间可以排01"));
}

QTEST_GUILESS_MAIN(TestTimeOff)
#include "test_timeoff.moc"
