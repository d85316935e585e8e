// Placing one plan row: spreading, limit levels, caps and the day sweep.
#include "TestDb.h"
#include "core/generation/BuildRandom.h"
#include "core/generation/BuildTimetable.h"
#include "core/generation/LessonPlacement.h"
#include "core/store/SchoolStore.h"
#include "core/store/Sql.h"

#include <QTest>

namespace {

// Lessons of a class and course as "day.lesson" texts in day order.
QStringList lessonsOf(TestDb& t, const QString& cls, const QString& course) {
    QStringList out;
    SQLite::Statement st(t.db.sql(), "select Day,LessonNo from LessonListtb where ClassCode=? "
                                     "and CourseCode=? order by Day,LessonNo");
    sql::bind(st, cls, course);
    while (st.executeStep())
        out << QStringLiteral("%1.%2").arg(st.getColumn(0).getInt()).arg(st.getColumn(1).getInt());
    return out;
}

// Fills every lesson of the day for a class with another course.
void fillDay(TestDb& t, const QString& cls, int day, int lessonsPerDay = 6) {
    for (int n = 1; n <= lessonsPerDay; ++n)
        t.addLesson(cls, day, n, "99", "T99", 0);
}

School load(TestDb& t, int lessonsPerDay = 6) {
    return LoadSchool(t.db, Week::ofLessons(lessonsPerDay));
}

// The lesson of a row without a plan: one a week, so one a day.
rules::Placing lessonOf(School& s, const QString& cls, const QString& course,
                        const QString& teacher) {
    return rules::placingOf(s, cls, course, teacher);
}

// Places the row in memory and stores what it added, as a run would.
int place(TestDb& t, const QString& cls, const QString& course, const QString& teacher,
          int lessonsPerDay = 6) {
    School s = load(t, lessonsPerDay);
    const size_t before = s.timetable.lessons().size();
    const int result = PlacePlanRow(s, cls, course, teacher);
    for (size_t i = before; i < s.timetable.lessons().size(); ++i) {
        const Lesson& l = s.timetable.lessons()[i];
        t.addLesson(l.classCode, l.period.day, l.period.lessonNo, l.courseCode, l.teacherCode,
                    setFlagOf(l.origin));
    }
    for (const PlanRow& r : s.plan)
        t.exec(QStringLiteral("update ClassPlantb set BuildCount=%1,IsAutoBuild=%2 where rowid=%3")
                   .arg(r.buildCount)
                   .arg(r.autoBuilt ? 1 : 0)
                   .arg(r.rowid));
    return result;
}

} // namespace

class TestPlacement : public QObject {
    Q_OBJECT
private slots:
    void init() { SeedBuildRandom(); }
    void spreadsAndCapsLessonsPerDay_data();
    void spreadsAndCapsLessonsPerDay();
    void countFiveOnEmptyWeekTakesBestCellEachDay();
    void levelsAreTriedInOrderOnEachDayBeforeTheNext();
    void forbiddenCellIsNeverUsed();
    void normalLevelSkipsLimitedCellsAndBusyLessons();
    void cellsBeyondTheDayAreNotUsed();
    void lessonWithoutNumberHidesTheCellsOfItsDay();
    void exclusiveCourseIsNotDoubled();
    void teacherCapMovesTheStartingDay();
    void backwardSweepPlacesBeforeTheStartingDay();
    void noRoomLeavesPositionAndTimetableAlone();
    void teacherNeverDoubleBooked();
    void rowsOfOneCourseKeepTheirOwnCounters();
    void rowWithoutLessonsIsFinished();
    void drawIsUniformAmongQualifyingLessons();
};

void TestPlacement::spreadsAndCapsLessonsPerDay_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("days"); // the day of each lesson on an empty week
    QTest::newRow("1") << 1 << "1";
    QTest::newRow("2") << 2 << "1,3|1,4";
    QTest::newRow("4") << 4 << "*";
    QTest::newRow("5") << 5 << "1,2,3,4,5";
    QTest::newRow("6") << 6 << "*";
    QTest::newRow("8") << 8 << "*";
    QTest::newRow("10") << 10 << "1,1,2,2,3,3,4,4,5,5";
}

void TestPlacement::spreadsAndCapsLessonsPerDay() {
    QFETCH(int, count);
    QFETCH(QString, days);
    TestDb t;
    t.addPlan("11", "01", "T1", count);
    QCOMPARE(place(t, "11", "01", "T1"), 0);
    const QStringList got = lessonsOf(t, "11", "01");
    QCOMPARE(got.size(), count);
    QStringList gotDays;
    QMap<QString, int> perDay;
    for (const QString& l : got) {
        gotDays << l.section('.', 0, 0);
        ++perDay[l.section('.', 0, 0)];
    }
    for (int n : perDay)
        QVERIFY2(n <= count / 5 + 1, qPrintable(got.join(' ')));
    if (days != "*")
        QVERIFY2(days.split('|').contains(gotDays.join(',')), qPrintable(gotDays.join(',')));
    QCOMPARE(t.count("select BuildCount*10+IsAutoBuild from ClassPlantb"), count * 10LL + 1);
}

void TestPlacement::countFiveOnEmptyWeekTakesBestCellEachDay() {
    TestDb t;
    t.addPlan("11", "01", "T1", 5);
    for (int day = 1; day <= 5; ++day)
        t.addLimit(1, "01", day, day, 0); // best: lesson = day
    QCOMPARE(place(t, "11", "01", "T1"), 0);
    QCOMPARE(lessonsOf(t, "11", "01"), QStringList({"1.1", "2.2", "3.3", "4.4", "5.5"}));
    QCOMPARE(t.count("select count(*) from LessonListtb where SetFlag=1"), 5LL);
}

void TestPlacement::levelsAreTriedInOrderOnEachDayBeforeTheNext() {
    TestDb t;
    t.addPlan("11", "01", "T1", 1);
    // Monday: only an avoid cell is free, Tuesday has a best cell; the avoid
    // cell on the starting day wins.
    for (int n = 1; n <= 6; ++n)
        if (n != 4)
            t.addLesson("11", 1, n, "99", "T99", 0);
    t.addLimit(1, "01", 1, 4, 2);
    t.addLimit(1, "01", 2, 1, 0);
    QCOMPARE(place(t, "11", "01", "T1"), 0);
    QCOMPARE(lessonsOf(t, "11", "01"), QStringList({"1.4"}));
}

void TestPlacement::forbiddenCellIsNeverUsed() {
    TestDb t;
    t.addPlan("11", "01", "T1", 2);
    for (int day = 1; day <= 5; ++day)
        for (int n = 1; n <= 6; ++n)
            if (!(day == 3 && n == 2) && !(day == 4 && n == 6))
                t.addLesson("11", day, n, "99", "T99", 0);
    t.addLimit(1, "01", 3, 2, 3); // the only other free time is "不排"
    QCOMPARE(place(t, "11", "01", "T1"), -1);
    QCOMPARE(lessonsOf(t, "11", "01"), QStringList({"4.6"}));
    QCOMPARE(t.count("select BuildCount*10+IsAutoBuild from ClassPlantb"), 11LL);
}

void TestPlacement::normalLevelSkipsLimitedCellsAndBusyLessons() {
    TestDb t;
    t.addLesson("11", 2, 1, "99", "T99", 0);
    t.addLimit(1, "01", 2, 2, 0);
    t.addLimit(1, "01", 2, 3, 2);
    t.addLimit(1, "01", 2, 4, 3);
    t.addLimit(1, "01", 2, 5, 1); // an explicit "正常" cell stays normal
    School s = load(t, 7);
    QSet<int> seen;
    for (int i = 0; i < 200; ++i)
        seen.insert(FindLessonInDay(s, lessonOf(s, "11", "01", "T1"), 2, LimitLevel::Normal));
    QCOMPARE(seen, QSet<int>({5, 6, 7}));
    QCOMPARE(FindLessonInDay(s, lessonOf(s, "11", "01", "T1"), 2, LimitLevel::Best), 2);
    QCOMPARE(FindLessonInDay(s, lessonOf(s, "11", "01", "T1"), 2, LimitLevel::Avoid), 3);
    // A course without limits: nothing at the best and avoid levels.
    QCOMPARE(FindLessonInDay(s, lessonOf(s, "11", "02", "T1"), 2, LimitLevel::Best), -1);
    QCOMPARE(FindLessonInDay(s, lessonOf(s, "11", "02", "T1"), 2, LimitLevel::Avoid), -1);
}

void TestPlacement::cellsBeyondTheDayAreNotUsed() {
    // Limit rows of a seventh lesson stay when the school goes back to six.
    TestDb t;
    t.addLimit(1, "01", 1, 7, 0);
    School six = load(t, 6);
    QCOMPARE(FindLessonInDay(six, lessonOf(six, "11", "01", "T1"), 1, LimitLevel::Best), -1);
    School seven = load(t, 7);
    QCOMPARE(FindLessonInDay(seven, lessonOf(seven, "11", "01", "T1"), 1, LimitLevel::Best), 7);
}

void TestPlacement::lessonWithoutNumberHidesTheCellsOfItsDay() {
    // "LessonNo not in (...)" is unknown for every cell once the list holds a
    // Null: the best and avoid cells of that class and day drop out, the
    // normal level does not.
    TestDb t;
    for (int day : {3, 4}) {
        t.addLimit(1, "01", day, 2, 0);
        t.addLimit(1, "01", day, 3, 2);
    }
    t.exec("insert into LessonListtb values('11',4,NULL,'99','T9',0)");
    QVERIFY(!t.count("select count(*) from Limittb where Day=4 and LessonNo not in "
                     "(select LessonNo from LessonListtb where ClassCode='11' and Day=4)"));
    School s = load(t, 6);
    QCOMPARE(FindLessonInDay(s, lessonOf(s, "11", "01", "T1"), 4, LimitLevel::Best), -1);
    QCOMPARE(FindLessonInDay(s, lessonOf(s, "11", "01", "T1"), 4, LimitLevel::Avoid), -1);
    QVERIFY(
        QList<int>({1, 4, 5, 6})
            .contains(FindLessonInDay(s, lessonOf(s, "11", "01", "T1"), 4, LimitLevel::Normal)));
    QCOMPARE(FindLessonInDay(s, lessonOf(s, "11", "01", "T1"), 3, LimitLevel::Best), 2);
    QCOMPARE(FindLessonInDay(s, lessonOf(s, "12", "01", "T1"), 4, LimitLevel::Avoid), 3);
}

void TestPlacement::exclusiveCourseIsNotDoubled() {
    for (bool exclusive : {true, false}) {
        TestDb t;
        if (exclusive)
            t.exec("insert into CourseAttrtb values('09')");
        t.addLesson("12", 3, 3, "09", "T2", 0);
        t.addLimit(1, "09", 3, 3, 0);
        School s = load(t, 6);
        const int lesson = FindLessonInDay(s, lessonOf(s, "11", "09", "T1"), 3, LimitLevel::Best);
        QCOMPARE(lesson, exclusive ? -1 : 3);
    }
}

void TestPlacement::teacherCapMovesTheStartingDay() {
    TestDb t;
    // 12 lessons a week: at most 3 a day counted at the starting day.
    t.addPlan("11", "01", "T1", 1);
    t.addPlan("12", "02", "T1", 11);
    for (int n = 1; n <= 3; ++n)
        t.addLesson("12", 1, n, "02", "T1", 0);
    QCOMPARE(place(t, "11", "01", "T1"), 0);
    QCOMPARE(lessonsOf(t, "11", "01").value(0).left(1), QString("2"));
    // With two on Monday the teacher still starts there.
    TestDb u;
    u.addPlan("11", "01", "T1", 1);
    u.addPlan("12", "02", "T1", 11);
    for (int n = 1; n <= 2; ++n)
        u.addLesson("12", 1, n, "02", "T1", 0);
    QCOMPARE(place(u, "11", "01", "T1"), 0);
    QCOMPARE(lessonsOf(u, "11", "01").value(0).left(1), QString("1"));
}

void TestPlacement::backwardSweepPlacesBeforeTheStartingDay() {
    TestDb t;
    t.addPlan("11", "01", "T1", 1);
    t.addPlan("12", "02", "T1", 4); // cap 1 a day
    t.addLesson("12", 1, 1, "02", "T1", 0);
    t.addLesson("12", 2, 1, "02", "T1", 0); // Monday, Tuesday full for the teacher
    for (int day = 3; day <= 5; ++day)
        fillDay(t, "11", day); // the class is full from Wednesday on
    QCOMPARE(place(t, "11", "01", "T1"), 0);
    // Starts on Wednesday, finds nothing up to Friday, comes back to Tuesday.
    const QStringList got = lessonsOf(t, "11", "01");
    QCOMPARE(got.size(), 1);
    QCOMPARE(got.first().left(2), QString("2."));
    QVERIFY(got.first() != "2.1"); // the teacher's lesson there
}

void TestPlacement::noRoomLeavesPositionAndTimetableAlone() {
    TestDb t;
    for (int day = 1; day <= 5; ++day)
        fillDay(t, "11", day);
    School s = load(t, 6);
    double position = 2.5;
    QCOMPARE(FindDaySlot(s, lessonOf(s, "11", "01", "T1"), position), -1);
    QCOMPARE(position, 2.5);
    t.addPlan("11", "01", "T1", 2);
    QCOMPARE(place(t, "11", "01", "T1"), -1);
    QCOMPARE(t.count("select count(*) from LessonListtb where CourseCode='01'"), 0LL);
    QCOMPARE(t.count("select IsAutoBuild from ClassPlantb"), 1LL);
}

void TestPlacement::teacherNeverDoubleBooked() {
    TestDb t;
    // One teacher, two classes, 15 lessons each: every time of the week
    // holds at most one of them.
    t.addPlan("11", "01", "T1", 15);
    t.addPlan("12", "01", "T1", 15);
    place(t, "11", "01", "T1");
    place(t, "12", "01", "T1");
    QCOMPARE(t.count("select count(*) from (select Day,LessonNo from LessonListtb group by "
                     "Day,LessonNo having count(*)>1)"),
             0LL);
    QCOMPARE(t.count("select count(*) from LessonListtb"), 30LL);
}

void TestPlacement::rowsOfOneCourseKeepTheirOwnCounters() {
    TestDb t;
    t.addPlan("11", "06", "T1", 2);
    t.addPlan("11", "06", "T2", 1);
    QCOMPARE(place(t, "11", "06", "T2"), 0);
    QCOMPARE(place(t, "11", "06", "T1"), 0);
    QCOMPARE(t.count("select BuildCount from ClassPlantb where TeacherCode='T1'"), 2LL);
    QCOMPARE(t.count("select BuildCount from ClassPlantb where TeacherCode='T2'"), 1LL);
    QCOMPARE(t.count("select count(*) from LessonListtb where TeacherCode='T2'"), 1LL);
}

void TestPlacement::rowWithoutLessonsIsFinished() {
    TestDb t;
    t.addPlan("11", "01", "T1", 0);
    t.addPlan("12", "01", "T1", 2, 3); // more pre-set than planned
    QCOMPARE(place(t, "11", "01", "T1"), 0);
    QCOMPARE(place(t, "12", "01", "T1"), 0);
    QCOMPARE(t.count("select sum(IsAutoBuild) from ClassPlantb"), 2LL);
    QCOMPARE(t.count("select count(*) from LessonListtb"), 0LL);
}

void TestPlacement::drawIsUniformAmongQualifyingLessons() {
    TestDb t;
    School s = load(t, 6);
    QMap<int, int> hits;
    for (int i = 0; i < 6000; ++i)
        ++hits[FindLessonInDay(s, lessonOf(s, "11", "01", "T1"), 1, LimitLevel::Normal)];
    QCOMPARE(hits.keys(), QList<int>({1, 2, 3, 4, 5, 6}));
    for (int n : hits)
        QVERIFY2(n > 850 && n < 1150, qPrintable(QString::number(n)));
}

QTEST_GUILESS_MAIN(TestPlacement)
#include "test_placement.moc"
