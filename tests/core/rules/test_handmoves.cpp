// What a move or swap by hand would break, asked of the rules on schools built
// in memory.
#include "SchoolBuilder.h"

#include "core/rules/HandMoves.h"

#include <QTest>
#include <optional>

namespace {

// Class 11: 语文 (T1) Monday 1, 数学 (T1) Monday 2, 体育 (T7) Tuesday 2;
// 语文 three a week (one a day), 体育 never on Tuesday 1, T7 never on Friday 6.
School school() {
    School s = emptySchool();
    s.plan = {row("11", "yw", "T1", 3), row("11", "sx", "T1", 5), row("11", "ty", "T7", 2)};
    s.timetable.add(lesson("11", 1, 1, "yw", "T1"));
    s.timetable.add(lesson("11", 1, 2, "sx", "T1"));
    s.timetable.add(lesson("11", 2, 2, "ty", "T7"));
    s.limits.add(LimitKind::Course, "ty", LimitCell{Period{2, 1}, 3});
    s.limits.add(LimitKind::Teacher, "T7", LimitCell{Period{5, 6}, 3});
    return s;
}

QStringList objections(const School& s, Period from, Period to) {
    const auto names = [](char kind, const QString& code) {
        return kind == 'k' && code == "ty" ? QStringLiteral("体育") : QString();
    };
    return rules::describeObjections(
        s, rules::objectionsTo(s, rules::swapMoves(s.timetable, "11", from, to)), names);
}

} // namespace

class TestHandMoves : public QObject {
    Q_OBJECT
private slots:
    void swapJudgesBothLessonsWithBothTakenOut() {
        const School s = school();
        // T1 teaches both: neither is in the other's way once both are out.
        QVERIFY(objections(s, {1, 1}, {1, 2}).isEmpty());
        QCOMPARE(rules::swapMoves(s.timetable, "11", {1, 1}, {1, 2}).size(), size_t(2));
        // A move into an empty period moves one lesson.
        QCOMPARE(rules::swapMoves(s.timetable, "11", {1, 1}, {3, 3}).size(), size_t(1));
    }

    void timeOffIsNamedAsWhoseItIs() {
        const School s = school();
        QCOMPARE(objections(s, {2, 2}, {2, 1}),
                 QStringList{QStringLiteral("周二第1节是体育的“不排”时间")});
        QCOMPARE(objections(s, {2, 2}, {5, 6}),
                 QStringList{QStringLiteral("周五第6节是老师 T7的“不排”时间")});
    }

    void dailyShareObjectsTheTeachersDayCapNever() {
        School s = school();
        s.timetable.add(lesson("11", 3, 1, "yw", "T1"));
        // 语文 from Wednesday to Monday 3: Monday has its one.
        QCOMPARE(
            objections(s, {3, 1}, {1, 3}),
            QStringList{QStringLiteral("yw调到周一第3节：本班当天的yw课已排满（每天最多1节）")});
        // T1's cap is two a day (8 lessons a week) and Monday has two; a third
        // is generation's concern, not a rule, and nobody is asked about it.
        s.timetable.add(lesson("11", 4, 1, "sx", "T1"));
        const rules::Placing p = rules::placingOf(s, "11", "sx", "T1");
        QVERIFY(rules::teacherDayFull(s, p, 1));
        QVERIFY(objections(s, {4, 1}, {1, 4}).isEmpty());
        QVERIFY(rules::handReasonsAgainst(s, p, {1, 4}).empty());
    }

    // A double lesson (美术 twice on Monday, as its plan asks) moves whole;
    // moving one half alone, or across the break, is objected to.
    void doubleLessonsMoveWhole() {
        School s = emptySchool();
        PlanRow art = row("11", "ms", "M1", 2);
        art.doubles = 1;
        s.plan = {art, row("11", "yw", "T1", 6)};
        s.timetable.add(lesson("11", 1, 1, "ms", "M1"));
        s.timetable.add(lesson("11", 1, 2, "ms", "M1"));
        s.timetable.add(lesson("11", 2, 1, "yw", "T1"));
        s.timetable.add(lesson("11", 2, 2, "yw", "T1"));
        QCOMPARE(rules::doublePartner(s, 0), std::optional<size_t>(1));
        QCOMPARE(rules::doublePartner(s, 1), std::optional<size_t>(0));
        QVERIFY(!rules::doublePartner(s, 2)); // 语文 plans no double lesson

        // Chosen by its second half: the first goes before it.
        auto moves = rules::unitSwapMoves(s, "11", {1, 2}, {3, 2});
        QCOMPARE(moves.size(), size_t(2));
        QCOMPARE(moves[0].to, (Period{3, 2}));
        QCOMPARE(moves[1].to, (Period{3, 1}));
        QVERIFY(rules::objectionsTo(s, moves).empty());
        // Onto 语文's two lessons: they take Monday's periods.
        moves = rules::unitSwapMoves(s, "11", {1, 1}, {2, 1});
        QCOMPARE(moves.size(), size_t(4));
        QCOMPARE(moves[2].lesson, size_t(2));
        QCOMPARE(moves[2].to, (Period{1, 1}));
        QCOMPARE(moves[3].to, (Period{1, 2}));
        QVERIFY(rules::objectionsTo(s, moves).empty());
        // Shifted by one within itself: lesson 3 takes the period left.
        s.timetable.add(lesson("11", 1, 3, "yw", "T1"));
        moves = rules::unitSwapMoves(s, "11", {1, 1}, {1, 2});
        QCOMPARE(moves.size(), size_t(3));
        QCOMPARE(moves[2].lesson, size_t(4));
        QCOMPARE(moves[2].to, (Period{1, 1}));
        // Across the break or beyond the day: nowhere to go.
        QVERIFY(rules::unitSwapMoves(s, "11", {1, 1}, {4, 4}).empty());
        QVERIFY(rules::unitSwapMoves(s, "11", {1, 1}, {4, 6}).empty());

        // One half alone leaves the row without its double lesson.
        const QStringList split = rules::describeObjections(
            s, rules::objectionsTo(s, rules::swapMoves(s.timetable, "11", {1, 1}, {3, 1})));
        QCOMPARE(split.size(), qsizetype(1));
        QVERIFY2(split[0].contains(QStringLiteral("连堂不足1次")), qPrintable(split[0]));
    }
};

QTEST_MAIN(TestHandMoves)
#include "test_handmoves.moc"
