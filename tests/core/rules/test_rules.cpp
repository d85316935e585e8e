// The placement rules and the week's indexes, on schools built in memory.
#include "SchoolBuilder.h"

#include "core/rules/Placement.h"
#include "core/rules/TimetableCheck.h"

#include <QTest>

namespace {

void limit(School& s, const QString& course, int day, int n, std::optional<int> attr) {
    s.limits.add(LimitKind::Course, course, LimitCell{Period{day, n}, attr});
}

QList<rules::Obstacle> obstacles(const std::vector<rules::Reason>& reasons) {
    QList<rules::Obstacle> out;
    for (const rules::Reason& r : reasons)
        out << r.obstacle;
    return out;
}

} // namespace

class TestRules : public QObject {
    Q_OBJECT
private slots:
    void indexesFollowAddingAndRemoving();
    void levelsOfPeriodsFollowTheCourseCells();
    void unnumberedLessonHidesBestAndAvoidCells();
    void everyReasonIsGiven();
    void dailyShareAndTeacherCap();
    void swapsAndHandAndPresetPlacing();
    void checkNamesWhatItFindsWithoutADatabase();
};

void TestRules::indexesFollowAddingAndRemoving() {
    Timetable t(Week::ofLessons(7));
    t.add(lesson("11", 1, 2, "01", "T1", Origin::Preset));
    t.add(lesson("12", 1, 7, "02", "T1", Origin::Generated));
    t.add(
        lesson("11", 1, 9, "01", "T2", Origin::Preset)); // beyond the day: counts for the day only
    Lesson unnumbered = lesson("11", 2, Lesson::kNoLessonNo, "01", "T2", Origin::Preset);
    unnumbered.lessonNoEmpty = true;
    t.add(unnumbered);
    t.add(lesson("", 3, 1, "", "", Origin::Preset)); // empty codes are nobody's

    QCOMPARE(t.classLessonsAt("11", {1, 2}), 1);
    QCOMPARE(t.teacherLessonsAt("T1", {1, 7}), 1);
    QCOMPARE(t.courseLessonsAt("02", {1, 7}), 1);
    QCOMPARE(t.teacherLessonsOnDay("T1", 1), 2);
    QCOMPARE(t.teacherLessonsOnDay("T2", 1), 1);
    QCOMPARE(t.teacherLessonsOnDay("T2", 2), 1);
    QCOMPARE(t.classCourseLessonsOnDay("11", "01", 1), 2);
    QVERIFY(t.classHasUnnumberedLesson("11", 2));
    QVERIFY(!t.classHasUnnumberedLesson("11", 1));
    QCOMPARE(t.classLessonsAt("", {3, 1}), 0);
    QCOMPARE(t.classLessonsAt("99", {1, 2}), 0);

    // A lesson out of the week while a move is judged comes back to its lists.
    t.setPeriod(1, Period{});
    QVERIFY(t.teacherLessonIndexes("T1", {1, 7}).empty());
    t.setPeriod(1, {1, 6});
    QCOMPARE(t.teacherLessonIndexes("T1", {1, 6}), std::vector<size_t>{1});

    t.removeAt(0);
    QCOMPARE(t.classLessonsAt("11", {1, 2}), 0);
    QCOMPARE(t.teacherLessonsOnDay("T1", 1), 1);
    // The later lessons moved up: their indexes follow.
    QCOMPARE(t.teacherLessonIndexes("T1", {1, 6}), std::vector<size_t>{0});
    QCOMPARE(t.classLessons(t.classId("11")), (std::vector<size_t>{1, 2}));
    t.removeIf([](const Lesson& l) { return l.origin == Origin::Generated; });
    QCOMPARE(t.teacherLessonsOnDay("T1", 1), 0);
    QCOMPARE(t.lessons().size(), size_t(3));
    QCOMPARE(t.lessons().front().period.lessonNo, 9); // the order of the others stays
    QCOMPARE(t.classLessons(t.classId("11")), (std::vector<size_t>{0, 1}));
    QCOMPARE(t.classLessonIndexes("11", {2, Lesson::kNoLessonNo}), std::vector<size_t>{});
}

void TestRules::levelsOfPeriodsFollowTheCourseCells() {
    School s = emptySchool();
    limit(s, "01", 1, 4, 0);
    limit(s, "01", 1, 2, 0);
    limit(s, "01", 1, 2, 0); // stored twice: offered twice
    limit(s, "01", 1, 3, 2);
    limit(s, "01", 1, 5, 3);
    limit(s, "01", 1, 6, std::nullopt); // an empty Attr leaves the lesson normal
    limit(s, "01", 1, 1, LimitCell::kAttrNotANumber);
    limit(s, "01", 1, 7, 0); // beyond a six-lesson day
    s.timetable.add(lesson("11", 1, 4, "02", "T9", Origin::Preset));
    const rules::Placing p = rules::placingOf(s, "11", "01", "T1");

    const QList<LimitLevel> expected{LimitLevel::Never, LimitLevel::Best,  LimitLevel::Avoid,
                                     LimitLevel::Best,  LimitLevel::Never, LimitLevel::Normal,
                                     LimitLevel::Never};
    for (int n = 1; n <= 7; ++n)
        QCOMPARE(rules::levelAt(s, p, {1, n}), expected[n - 1]);
    QCOMPARE(rules::freeLessonsAtLevel(s, p, 1, LimitLevel::Best), std::vector<int>({2, 2}));
    QCOMPARE(rules::freeLessonsAtLevel(s, p, 1, LimitLevel::Normal), std::vector<int>({6}));
    QCOMPARE(rules::freeLessonsAtLevel(s, p, 1, LimitLevel::Avoid), std::vector<int>({3}));
    // Another course has no cells: every lesson of the day is normal.
    const rules::Placing other = rules::placingOf(s, "11", "05", "T1");
    QCOMPARE(rules::freeLessonsAtLevel(s, other, 1, LimitLevel::Normal),
             std::vector<int>({1, 2, 3, 5, 6}));
}

void TestRules::unnumberedLessonHidesBestAndAvoidCells() {
    School s;
    s.plan = {row("11", "01", "T1", 2)};
    limit(s, "01", 2, 1, 0);
    limit(s, "01", 2, 2, 2);
    Lesson l = lesson("11", 2, Lesson::kNoLessonNo, "09", "T9", Origin::Preset);
    l.lessonNoEmpty = true;
    s.timetable.add(l);
    const rules::Placing p = rules::placingOf(s, "11", "01", "T1");
    QVERIFY(rules::freeLessonsAtLevel(s, p, 2, LimitLevel::Best).empty());
    QVERIFY(rules::freeLessonsAtLevel(s, p, 2, LimitLevel::Avoid).empty());
    QCOMPARE(rules::freeLessonsAtLevel(s, p, 2, LimitLevel::Normal).size(), size_t(4));
    QCOMPARE(obstacles(rules::reasonsAgainst(s, p, {2, 1})),
             QList<rules::Obstacle>({rules::Obstacle::HiddenByUnnumbered}));
    // Another class is not affected.
    const rules::Placing q = rules::placingOf(s, "12", "01", "T1");
    QCOMPARE(rules::freeLessonsAtLevel(s, q, 2, LimitLevel::Best), std::vector<int>({1}));
}

void TestRules::everyReasonIsGiven() {
    School s;
    s.plan = {row("11", "09", "T1", 2), row("12", "09", "T2", 1), row("13", "02", "T1", 3)};
    s.setCapacity("09", 1);
    limit(s, "09", 3, 2, 3);
    s.timetable.add(lesson("11", 3, 2, "01", "T5", Origin::Preset)); // the class is busy
    s.timetable.add(lesson("13", 3, 2, "02", "T1", Origin::Preset)); // the teacher is elsewhere
    s.timetable.add(
        lesson("12", 3, 2, "09", "T2", Origin::Preset)); // the exclusive course is taken
    s.timetable.add(lesson("11", 3, 1, "09", "T1", Origin::Preset)); // the daily share is reached
    const rules::Placing p = rules::placingOf(s, "11", "09", "T1");  // cap: 5 lessons → 1 a day
    QCOMPARE(p.teacherCap, 1);
    const auto reasons = rules::reasonsAgainst(s, p, {3, 2});
    QCOMPARE(obstacles(reasons),
             QList<rules::Obstacle>(
                 {rules::Obstacle::ClassBusy, rules::Obstacle::TeacherBusy,
                  rules::Obstacle::NeverAtPeriod, rules::Obstacle::ExclusiveTaken,
                  rules::Obstacle::DailyShareReached, rules::Obstacle::TeacherDayCap}));
    QCOMPARE(reasons[1].other.classCode, QString("13"));
    QCOMPARE(reasons[3].other.classCode, QString("12"));
    auto names = [](char kind, const QString& code) {
        return kind == 'c' ? QStringLiteral("班") + code : QString();
    };
    QCOMPARE(rules::describe(reasons[3], p, names), QStringLiteral("专用课程09此时已在班12上课"));
    QVERIFY(!rules::generationMayUse(s, p, {3, 2}));
    QCOMPARE(obstacles(rules::reasonsAgainst(s, p, {6, 1})),
             QList<rules::Obstacle>({rules::Obstacle::OutsideWeek}));
    // A free period of another day has no reason against it.
    QVERIFY(rules::reasonsAgainst(s, p, {4, 3}).empty());
    QVERIFY(rules::generationMayUse(s, p, {4, 3}));
}

void TestRules::dailyShareAndTeacherCap() {
    QCOMPARE(rules::dailyShareOf(0), 1);
    QCOMPARE(rules::dailyShareOf(4), 1);
    QCOMPARE(rules::dailyShareOf(5), 2);
    QCOMPARE(rules::dailyShareOf(14), 3);
    School s;
    s.plan = {row("11", "01", "T1", 8), row("12", "01", "T1", -3), row("13", "01", "T1", 3)};
    s.plan[2].count.reset();
    // A negative or empty Count plans nothing.
    QCOMPARE(rules::teacherWeeklyLessons(s, "T1"), 8LL);
    QCOMPARE(rules::teacherCapOf(s, "T1"), 2);
    QCOMPARE(rules::teacherCapOf(s, "T9"), 0);
}

void TestRules::swapsAndHandAndPresetPlacing() {
    Timetable t(Week::ofLessons(6));
    t.add(lesson("11", 1, 1, "01", "T1", Origin::Preset));
    t.add(lesson("11", 1, 2, "02", "T2", Origin::Generated));
    t.add(lesson("11", 1, 3, "01", "T1", Origin::ByHand));
    t.add(lesson("12", 2, 1, "03", "T2", Origin::Generated)); // T2 busy on Tuesday first
    QVERIFY(rules::swapLegal(t, "11", {1, 1}, {1, 2}));
    QVERIFY(!rules::swapLegal(t, "11", {1, 1}, {1, 3})); // the same course
    QVERIFY(rules::swapLegal(t, "11", {1, 1}, {2, 1}));  // an empty period
    QVERIFY(!rules::swapLegal(t, "11", {1, 2}, {2, 1})); // T2 teaches class 12 then
    QVERIFY(!rules::swapLegal(t, "11", {1, 1}, {1, 7})); // outside the day
    QVERIFY(rules::teachesElsewhere(t, "T2", "11", {2, 1}));
    QVERIFY(!rules::teachesElsewhere(t, "T2", "12", {2, 1}));
    QVERIFY(!rules::teachesElsewhere(t, "", "11", {2, 1}));

    QVERIFY(!rules::freeForHand(t, "13", "T2", {2, 1}));
    QVERIFY(rules::freeForHand(t, "13", "T3", {2, 1}));
    // Pre-setting sees only pre-set lessons.
    QVERIFY(rules::freeForPreset(t, "13", "T2", {2, 1}));
    QVERIFY(!rules::freeForPreset(t, "13", "T1", {1, 1}));
    QVERIFY(!rules::freeForPreset(t, "11", "T9", {1, 1}));
    QVERIFY(rules::freeForPreset(t, "11", "T9", {1, 2}));
}

// The check works on the model alone: names come from the caller, and a code
// without a name is shown as it is.
void TestRules::checkNamesWhatItFindsWithoutADatabase() {
    School s;
    s.plan = {row("11", "01", "T1", 2), row("12", "02", "T1", 1)};
    s.plan[0].buildCount = 2;
    s.plan[1].buildCount = 1;
    s.timetable.add(lesson("11", 1, 1, "01", "T1", Origin::Generated));
    s.timetable.add(lesson("11", 1, 1, "01", "T1", Origin::Generated));
    s.timetable.add(lesson("12", 1, 2, "02", "T1", Origin::Generated));
    auto names = [](char kind, const QString& code) {
        return kind == 't'                   ? QStringLiteral("王老师")
               : kind == 'c' && code == "11" ? QStringLiteral("一（1）班")
                                             : QString();
    };
    const TimetableCheck c = CheckTimetable(s, 6, names);
    QCOMPARE(c.classClashes,
             QStringList{QStringLiteral("班级冲突：一（1）班 星期一 第1节 有2节课：01、01")});
    QCOMPARE(c.teacherClashes,
             QStringList{QStringLiteral(
                 "老师冲突：王老师 星期一 第1节 同时上2节课：一（1）班 01、一（1）班 01")});
    QVERIFY(c.counterMismatches.isEmpty());
    QVERIFY(!c.ok());
    QCOMPARE(c.report().constLast(),
             QStringLiteral("发现重复排课、计数错误或不符合排课规则的课！"));
    // Without names every line shows the codes.
    const TimetableCheck bare = CheckTimetable(s, 6);
    QVERIFY(bare.classClashes.constFirst().startsWith(QStringLiteral("班级冲突：11 星期一")));
}

QTEST_GUILESS_MAIN(TestRules)
#include "test_rules.moc"
