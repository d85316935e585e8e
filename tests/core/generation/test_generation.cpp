// A whole generation run: reset, the order of teachers and courses, counters,
// completion rate, determinism and the all-or-nothing transaction.
#include "TestDb.h"
#include "core/generation/BuildRandom.h"
#include "core/generation/BuildTimetable.h"
#include "core/model/DemoSchool.h"
#include "core/model/Failure.h"
#include "core/store/SchoolStore.h"
#include "core/store/SchoolWriter.h"
#include "core/store/Sql.h"
#include "core/store/TimetableCheckStore.h"

#include <QTest>

namespace {

QString dump(TestDb& t) {
    QStringList rows;
    SQLite::Statement st(t.db.sql(), "select ClassCode,Day,LessonNo,CourseCode,TeacherCode,"
                                     "SetFlag from LessonListtb order by 1,2,3,4,5");
    while (st.executeStep())
        rows << QStringLiteral("%1 %2 %3 %4 %5 %6")
                    .arg(sql::text(st.getColumn(0)))
                    .arg(st.getColumn(1).getInt())
                    .arg(st.getColumn(2).getInt())
                    .arg(sql::text(st.getColumn(3)), sql::text(st.getColumn(4)))
                    .arg(st.getColumn(5).getInt());
    return rows.join('\n');
}

} // namespace

class TestGeneration : public QObject {
    Q_OBJECT
private slots:
    void init() { SeedBuildRandom(); }
    void allPresetPlanGivesHundredAndInsertsNothing();
    void emptyPlanFailsAndKeepsTheTimetable();
    void presetLessonsStayOthersAreReplaced();
    void demoSchoolsGenerateWithoutFaults_data();
    void demoSchoolsGenerateWithoutFaults();
    void teacherAndCourseOrder_data();
    void teacherAndCourseOrder();
    void courseIsFinishedWithItsOtherTeachers();
    void sameSeedSameTimetable();
    void completionRateRoundsHalfToEven_data();
    void completionRateRoundsHalfToEven();
    void failureRollsBackTheWholeRun();
    void oddCodesStillEndTheRun();
    void damagedPlanRowsAreSkippedNotFatal();
    void overflowingPlanIsRefused();
};

void TestGeneration::allPresetPlanGivesHundredAndInsertsNothing() {
    TestDb t;
    t.addPlan("11", "01", "T1", 2);
    t.addPlan("12", "01", "T1", 1);
    t.addLesson("11", 1, 1, "01", "T1", 0);
    t.addLesson("11", 2, 1, "01", "T1", 0);
    t.addLesson("12", 1, 2, "01", "T1", 0);
    QCOMPARE(BuildTimetable(t.db, Week::ofLessons(6)), 100);
    QCOMPARE(t.count("select count(*) from LessonListtb where SetFlag<>0"), 0LL);
    QCOMPARE(t.count("select count(*) from ClassPlantb where IsAutoBuild=1 and BuildCount=Count"),
             2LL);
}

void TestGeneration::emptyPlanFailsAndKeepsTheTimetable() {
    TestDb t;
    t.addLesson("11", 1, 1, "01", "T1", 1);
    int yields = 0;
    int rate = 7;
    QString why;
    QVERIFY(!tryBuildTimetable(t.db, Week::ofLessons(6), &rate, &why, [&] { ++yields; }));
    QCOMPARE(rate, 7);
    QVERIFY2(why.startsWith(QStringLiteral("教学计划中没有要排的课")), qPrintable(why));
    QCOMPARE(yields, 0); // refused before the first choice
    QCOMPARE(t.count("select count(*) from LessonListtb"), 1LL);
    // A plan of nothing fails the same way.
    t.addPlan("11", "01", "T1", 0);
    QVERIFY_THROWS_EXCEPTION(Failure, (void)BuildTimetable(t.db, Week::ofLessons(6)));
}

void TestGeneration::presetLessonsStayOthersAreReplaced() {
    TestDb t;
    t.addPlan("11", "01", "T1", 3, 9, 1);
    t.addLesson("11", 4, 4, "01", "T1", 0); // pre-set
    t.addLesson("11", 1, 1, "01", "T1", 1); // an earlier run
    t.addLesson("11", 2, 2, "01", "T1", 2); // placed by hand
    t.addLesson("11", 3, 3, "01", "T9", 0); // pre-set, matches no plan row
    QCOMPARE(BuildTimetable(t.db, Week::ofLessons(6)), 100);
    QCOMPARE(t.count("select count(*) from LessonListtb where SetFlag=0"), 2LL);
    QCOMPARE(t.count("select count(*) from LessonListtb where SetFlag=1"), 2LL);
    QCOMPARE(t.count("select count(*) from LessonListtb where SetFlag=2"), 0LL);
    QCOMPARE(t.count("select BuildCount from ClassPlantb"), 3LL);
    // The result of ResetGeneratedLessons alone.
    School s = LoadSchool(t.db, Week());
    ResetGeneratedLessons(s);
    QCOMPARE(s.plan.front().buildCount * 10 + int(s.plan.front().autoBuilt), 10LL);
    QCOMPARE(s.timetable.lessons().size(), size_t(2));
}

void TestGeneration::demoSchoolsGenerateWithoutFaults_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("lessonsPerDay");
    QTest::newRow("small 6") << int(DemoSize::Small) << 6;
    QTest::newRow("small 7") << int(DemoSize::Small) << 7;
    QTest::newRow("medium 6") << int(DemoSize::Medium) << 6;
}

void TestGeneration::demoSchoolsGenerateWithoutFaults() {
    QFETCH(int, size);
    QFETCH(int, lessonsPerDay);
    TestDb t;
    WriteSchool(t.db, DemoSchool(DemoSize(size), 11));
    const long long rows = t.count("select count(*) from ClassPlantb");
    int yields = 0;
    const int rate = BuildTimetable(t.db, Week::ofLessons(lessonsPerDay), [&] { ++yields; });
    QVERIFY2(rate >= 95 && rate <= 100, qPrintable(QString::number(rate)));
    QVERIFY(yields > rows); // before every plan row and every course
    const TimetableCheck check = CheckTimetable(t.db, lessonsPerDay);
    QVERIFY2(check.ok(), qPrintable(check.report().join('\n')));
    QVERIFY(check.forbiddenCells.isEmpty());
    QVERIFY(check.exclusiveClashes.isEmpty());
    QVERIFY(check.outsideWeek.isEmpty());
    QCOMPARE(t.count("select count(*) from ClassPlantb where IsAutoBuild=0"), 0LL);
    // The pre-set class meetings are where they were.
    QCOMPARE(t.count("select count(*) from LessonListtb where SetFlag=0 and Day=5 and LessonNo=5"),
             t.count("select count(*) from Classtb"));
    const long long placed = t.count("select count(*) from LessonListtb");
    QCOMPARE(t.count("select sum(BuildCount) from ClassPlantb"), placed);
    QCOMPARE(check.unplacedLessons, int(t.count("select sum(Count) from ClassPlantb") - placed));
}

void TestGeneration::teacherAndCourseOrder_data() {
    QTest::addColumn<QStringList>("plan"); // class,course,teacher,count
    QTest::addColumn<QString>("teacher");
    QTest::addColumn<QString>("course");
    QTest::newRow("most classes wins")
        << QStringList{"11,01,T2,1", "12,01,T2,1", "13,02,T1,9"} << "T2"
        << "01";
    QTest::newRow("tie: smaller code") << QStringList{"11,01,T2,1", "12,01,T1,1"} << "T1"
                                       << "01";
    QTest::newRow("course in more classes")
        << QStringList{"11,03,T1,1", "12,03,T1,1", "11,02,T1,8"} << "T1"
        << "03";
    QTest::newRow("tie: more weekly lessons")
        << QStringList{"11,02,T1,2", "12,03,T1,3", "13,02,T1,2"} << "T1"
        << "02";
    QTest::newRow("full tie: smaller code") << QStringList{"11,05,T1,2", "12,04,T1,2"} << "T1"
                                            << "04";
    QTest::newRow("done rows do not count")
        << QStringList{"11,01,T2,1,1", "12,01,T2,1,1", "13,02,T1,1"} << "T1"
        << "02";
    QTest::newRow("nothing waits") << QStringList{"11,01,T2,1,1"} << ""
                                   << "";
}

void TestGeneration::teacherAndCourseOrder() {
    QFETCH(QStringList, plan);
    QFETCH(QString, teacher);
    QFETCH(QString, course);
    TestDb t;
    for (const QString& row : plan) {
        const QStringList p = row.split(',');
        t.addPlan(p[0], p[1], p[2], p[3].toInt(), 0, p.value(4).toInt());
    }
    QString chosen = "stale";
    QCOMPARE(PickNextCourse(LoadSchool(t.db, Week()), chosen), course);
    QCOMPARE(chosen, teacher);
}

void TestGeneration::courseIsFinishedWithItsOtherTeachers() {
    TestDb t;
    t.addPlan("13", "01", "T2", 1);
    t.addPlan("11", "01", "T1", 1);
    t.addPlan("12", "01", "T1", 1);
    QString teacher = "T1";
    QCOMPARE(PickNextClass(LoadSchool(t.db, Week()), "01", teacher), QString("11"));
    t.exec("update ClassPlantb set IsAutoBuild=1 where TeacherCode='T1'");
    QCOMPARE(PickNextClass(LoadSchool(t.db, Week()), "01", teacher), QString("13"));
    QCOMPARE(teacher, QString("T2"));
    t.exec("update ClassPlantb set IsAutoBuild=1");
    QCOMPARE(PickNextClass(LoadSchool(t.db, Week()), "01", teacher), QString());
    QCOMPARE(teacher, QString("T2"));
}

void TestGeneration::sameSeedSameTimetable() {
    QString first, second, other;
    for (QString* out : {&first, &second, &other}) {
        TestDb t;
        WriteSchool(t.db, DemoSchool(DemoSize::Small, 3));
        SeedBuildRandom(out == &other ? 99 : kDefaultBuildSeed);
        QVERIFY(BuildTimetable(t.db, Week::ofLessons(6)) > 0);
        *out = dump(t);
    }
    QCOMPARE(second, first);
    QVERIFY(other != first);
}

void TestGeneration::completionRateRoundsHalfToEven_data() {
    QTest::addColumn<int>("planned");
    QTest::addColumn<int>("placed");
    QTest::addColumn<int>("rate");
    QTest::newRow("12.5") << 8 << 1 << 12;
    QTest::newRow("13.5") << 200 << 27 << 14;
    QTest::newRow("87.5") << 8 << 7 << 88;
    QTest::newRow("33.3") << 3 << 1 << 33;
    QTest::newRow("66.7") << 3 << 2 << 67;
    QTest::newRow("none placed") << 5 << 0 << 0;
    QTest::newRow("over-pre-set") << 4 << 5 << 125;
    QTest::newRow("nothing planned") << 0 << 0 << -1; // no rate: refused
}

void TestGeneration::completionRateRoundsHalfToEven() {
    QFETCH(int, planned);
    QFETCH(int, placed);
    QFETCH(int, rate);
    TestDb t;
    t.addPlan("11", "01", "T1", planned, placed, 1);
    const School s = LoadSchool(t.db, Week());
    if (rate < 0)
        QVERIFY_THROWS_EXCEPTION(Failure, (void)CompletionRate(s));
    else
        QCOMPARE(CompletionRate(s), rate);
    int stored = -5;
    QCOMPARE(tryCompletionRate(t.db, &stored), rate >= 0);
    QCOMPARE(stored, rate < 0 ? -5 : rate);
    QVERIFY_THROWS_EXCEPTION(Failure, (void)CompletionRate(School()));
}

void TestGeneration::failureRollsBackTheWholeRun() {
    TestDb t;
    WriteSchool(t.db, DemoSchool(DemoSize::Small, 5));
    QVERIFY(BuildTimetable(t.db, Week::ofLessons(6)) > 0);
    t.addLesson("11", 1, 1, "01", "001", 2);
    const QString before = dump(t);
    const long long counters = t.count("select sum(BuildCount*1000+IsAutoBuild) from ClassPlantb");
    int yields = 0;
    // Writing the plan counters fails after the lessons were written.
    int rate = -1;
    QString why;
    QVERIFY(!tryBuildTimetable(t.db, Week::ofLessons(6), &rate, &why, [&] {
        if (++yields == 20)
            t.exec("create trigger full before update on ClassPlantb "
                   "begin select raise(abort,'disk full'); end");
    }));
    QCOMPARE(rate, -1);
    QVERIFY(!why.isEmpty());
    QCOMPARE(dump(t), before);
    QCOMPARE(t.count("select sum(BuildCount*1000+IsAutoBuild) from ClassPlantb"), counters);
    // The database is usable afterwards.
    t.exec("drop trigger full");
    QVERIFY(BuildTimetable(t.db, Week::ofLessons(6)) > 0);
}

void TestGeneration::oddCodesStillEndTheRun() {
    TestDb t;
    t.addPlan("1'1", "0'1", "T'1", 2);
    t.exec("insert into ClassPlantb values(NULL,'02','T1',1,0,0)");
    t.exec("insert into ClassPlantb values('12','02',NULL,1,0,0)");
    t.exec("insert into ClassPlantb values('','02','T1',1,0,0)");
    t.addPlan("13", "02", "T1", 1);
    const int rate = BuildTimetable(t.db, Week::ofLessons(6));
    QCOMPARE(rate, 50); // 3 of 6 planned lessons: the rows with a class and a teacher
    QCOMPARE(t.count("select count(*) from ClassPlantb where IsAutoBuild=0"), 0LL);
    QCOMPARE(t.count("select count(*) from LessonListtb where ClassCode='1''1'"), 2LL);
}

void TestGeneration::damagedPlanRowsAreSkippedNotFatal() {
    TestDb t;
    // Rows with an empty teacher and an empty course come first in the
    // teacher and course order; they used to end the run there.
    for (const char* cls : {"11", "12", "13"})
        t.addClass(cls, cls);
    for (const char* course : {"01", "02", "03"})
        t.addCourse(course, course);
    t.addTeacher("T1", "T1");
    t.addTeacher("T2", "T2");
    t.exec("insert into ClassPlantb values('11','02',NULL,2,0,0)");
    t.exec("insert into ClassPlantb values('12',NULL,'T1',1,0,0)");
    t.addPlan("11", "01", "T1", 3);
    t.addPlan("12", "03", "T2", 2);
    t.addPlan("13", "03", "T2", -4);                        // plans nothing
    QCOMPARE(BuildTimetable(t.db, Week::ofLessons(6)), 62); // 5 of 8: 62.5 to the even 62
    QCOMPARE(t.count("select count(*) from LessonListtb"), 5LL);
    QCOMPARE(t.count("select count(*) from ClassPlantb where IsAutoBuild=0"), 0LL);

    const TimetableCheck check = CheckTimetable(t.db, 6);
    QVERIFY2(check.ok(), qPrintable(check.report().join('\n')));
    QCOMPARE(check.incompleteRows.size(), 2);
    QVERIFY(check.incompleteRows[0].contains(QStringLiteral("缺少老师")));
    QVERIFY(check.incompleteRows[1].contains(QStringLiteral("缺少课程")));
    QCOMPARE(check.unplacedLessons, 3);
}

void TestGeneration::overflowingPlanIsRefused() {
    TestDb t;
    t.addPlan("11", "01", "T1", 2);
    t.addLesson("11", 1, 1, "01", "T1", 1);
    t.exec("insert into ClassPlantb values('12','01','T1',2147483647,0,0)");
    QVERIFY_THROWS_EXCEPTION(Failure, (void)BuildTimetable(t.db, Week::ofLessons(6)));
    QCOMPARE(t.count("select count(*) from LessonListtb where SetFlag=1"), 1LL); // unchanged
    School s = LoadSchool(t.db, Week());
    QVERIFY_THROWS_EXCEPTION(Failure, (void)GenerateTimetable(s));
    // One row alone at the limit still counts.
    t.exec("delete from ClassPlantb where ClassCode='11'");
    QCOMPARE(CompletionRate(t.db), 0);
}

QTEST_GUILESS_MAIN(TestGeneration)
#include "test_generation.moc"
