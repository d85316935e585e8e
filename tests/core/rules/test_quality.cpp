// The quality measures: for each, a timetable that has the fault and one that
// does not, and the closed ("不排") periods that are no fault.
#include "SchoolBuilder.h"

#include "core/rules/Quality.h"

#include <QTest>

namespace {

using rules::Measure;

void put(School& s, const QString& cls, int day, int n, const QString& course,
         const QString& teacher) {
    s.timetable.add(Lesson{cls, Period{day, n}, course, teacher, Origin::Generated, false});
}

void limit(School& s, LimitKind kind, const QString& code, int day, int n, LimitLevel level) {
    s.limits.add(kind, code, LimitCell{Period{day, n}, attrOf(level)});
}

School empty() {
    School s = emptySchool();
    return s;
}

long long measure(const School& s, Measure m) {
    return rules::at(rules::qualityOf(s).school, m);
}

} // namespace

class TestQuality : public QObject {
    Q_OBJECT
private slots:
    void classHolesAndLateStarts() {
        School s = empty();
        put(s, "11", 1, 1, "01", "T1");
        put(s, "11", 1, 4, "02", "T2"); // lessons 2 and 3 free: two holes
        put(s, "11", 2, 2, "01", "T1"); // Tuesday starts late
        put(s, "11", 2, 3, "02", "T2");
        put(s, "11", 3, 1, "01", "T1"); // Wednesday 1–2 and free after: fine
        put(s, "11", 3, 2, "02", "T2");
        QCOMPARE(measure(s, Measure::ClassHoles), 2LL);
        QCOMPARE(measure(s, Measure::LateStarts), 1LL);

        // Periods the class may not have lessons in are neither.
        limit(s, LimitKind::Class, "11", 1, 2, LimitLevel::Never);
        limit(s, LimitKind::Class, "11", 2, 1, LimitLevel::Never);
        QCOMPARE(measure(s, Measure::ClassHoles), 1LL);
        QCOMPARE(measure(s, Measure::LateStarts), 0LL);
        // "尽量不排" does not close a period.
        limit(s, LimitKind::Class, "11", 1, 3, LimitLevel::Avoid);
        QCOMPARE(measure(s, Measure::ClassHoles), 1LL);
    }

    void teacherGapsAcrossClasses() {
        School s = empty();
        put(s, "11", 1, 1, "01", "T1");
        put(s, "12", 1, 4, "01", "T1");
        put(s, "12", 1, 5, "01", "T1");
        put(s, "11", 2, 1, "01", "T1");
        put(s, "12", 2, 2, "01", "T1");
        QCOMPARE(measure(s, Measure::TeacherGaps), 2LL);
        limit(s, LimitKind::Teacher, "T1", 1, 3, LimitLevel::Never);
        QCOMPARE(measure(s, Measure::TeacherGaps), 1LL);
        // A course's "不排" does not close the period for the teacher.
        limit(s, LimitKind::Course, "01", 1, 2, LimitLevel::Never);
        QCOMPARE(measure(s, Measure::TeacherGaps), 1LL);
    }

    void bestAndAvoidCells() {
        School s = empty();
        put(s, "11", 1, 1, "01", "T1");
        put(s, "11", 1, 2, "02", "T2");
        put(s, "11", 1, 3, "03", "T3");
        QCOMPARE(measure(s, Measure::BestCells), 0LL);
        QCOMPARE(measure(s, Measure::AvoidCells), 0LL);
        limit(s, LimitKind::Course, "01", 1, 1, LimitLevel::Best);
        limit(s, LimitKind::Class, "11", 1, 2, LimitLevel::Best);
        limit(s, LimitKind::Teacher, "T3", 1, 3, LimitLevel::Avoid);
        QCOMPARE(measure(s, Measure::BestCells), 2LL);
        QCOMPARE(measure(s, Measure::AvoidCells), 1LL);
        // The teacher's "尽量不排" outweighs the course's best cell.
        limit(s, LimitKind::Teacher, "T1", 1, 1, LimitLevel::Avoid);
        QCOMPARE(measure(s, Measure::BestCells), 1LL);
        QCOMPARE(measure(s, Measure::AvoidCells), 2LL);
    }

    void courseHeapsAndLongRuns() {
        School s = empty();
        for (int n = 1; n <= 2; ++n)
            put(s, "11", 1, n, "01", "T1");
        put(s, "12", 1, 3, "02", "T1");
        put(s, "12", 1, 4, "02", "T1");
        QCOMPARE(measure(s, Measure::CourseHeaps), 0LL);
        QCOMPARE(measure(s, Measure::LongRuns), 0LL); // four in a row is fine
        put(s, "11", 1, 5, "01", "T1");               // a third 语文, a fifth in a row
        QCOMPARE(measure(s, Measure::CourseHeaps), 1LL);
        QCOMPARE(measure(s, Measure::LongRuns), 1LL);
    }

    void courseSpreadOverTheDaysItCanHave() {
        School s = empty();
        // 数学 five times: Monday twice, Tuesday to Thursday once, Friday none.
        put(s, "11", 1, 1, "03", "T1");
        put(s, "11", 1, 2, "03", "T1");
        for (int day = 2; day <= 4; ++day)
            put(s, "11", day, 1, "03", "T1");
        put(s, "11", 5, 1, "01", "T2"); // another course keeps Friday's start
        QCOMPARE(measure(s, Measure::CourseSpread), 1LL);
        // Closed to 数学 all Friday: four days are all it can have.
        for (int n = 1; n <= 6; ++n)
            limit(s, LimitKind::Course, "03", 5, n, LimitLevel::Never);
        QCOMPARE(measure(s, Measure::CourseSpread), 0LL);
        // Two lessons on two days miss nothing; on one day they miss one.
        School two = empty();
        put(two, "11", 1, 1, "04", "T3");
        put(two, "11", 1, 2, "04", "T3");
        QCOMPARE(measure(two, Measure::CourseSpread), 1LL);
    }

    void teacherSpreadOverTheDaysOpenToThem() {
        School s = empty();
        // T1: nine lessons, 3 + 2 + 2 + 2 from Monday, none on Friday. Five
        // open days make a share of 2: Monday is one over.
        for (int n = 1; n <= 3; ++n)
            put(s, "11", 1, n, "01", "T1");
        for (int day = 2; day <= 4; ++day) {
            put(s, "11", day, 1, "01", "T1");
            put(s, "12", day, 2, "01", "T1");
        }
        QCOMPARE(measure(s, Measure::TeacherSpread), 1LL);
        // A joint lesson is one lesson of the teacher, not two.
        put(s, "12", 1, 1, "01", "T1");
        QCOMPARE(measure(s, Measure::TeacherSpread), 1LL);
        // "尽量不排" all Friday leaves the day open; "不排" but one period too.
        for (int n = 1; n <= 6; ++n)
            limit(s, LimitKind::Teacher, "T1", 5, n, LimitLevel::Avoid);
        for (int n = 1; n <= 5; ++n)
            limit(s, LimitKind::Teacher, "T1", 5, n, LimitLevel::Never);
        QCOMPARE(measure(s, Measure::TeacherSpread), 1LL);
        // Friday closed all day: four open days, a share of 3, nothing over.
        limit(s, LimitKind::Teacher, "T1", 5, 6, LimitLevel::Never);
        QCOMPARE(measure(s, Measure::TeacherSpread), 0LL);
        const rules::QualityReport r = rules::qualityOf(s);
        QCOMPARE(r.teachers.size(), size_t{1});
        QCOMPARE(rules::at(r.teachers[0].figures, Measure::TeacherSpread), 0LL);
        // A teacher with no open day at all has no share to miss.
        School closed = empty();
        put(closed, "11", 1, 1, "01", "T2");
        put(closed, "11", 1, 2, "01", "T2");
        for (int day = 1; day <= 5; ++day)
            for (int n = 1; n <= 6; ++n)
                limit(closed, LimitKind::Teacher, "T2", day, n, LimitLevel::Never);
        QCOMPARE(measure(closed, Measure::TeacherSpread), 0LL);
    }

    void worstFirstAndLines() {
        School s = empty();
        put(s, "11", 1, 2, "01", "T1"); // late start: 100
        put(s, "12", 1, 1, "01", "T2");
        put(s, "12", 1, 3, "02", "T2"); // hole (100) and teacher gap (10)
        put(s, "12", 2, 2, "01", "T2"); // late start (100)
        put(s, "13", 1, 1, "01", "T3"); // nothing to mend
        const rules::QualityReport r = rules::qualityOf(s);
        const auto worst = rules::QualityReport::worst(r.classes, 5);
        QCOMPARE(worst.size(), size_t{2});
        QCOMPARE(worst[0].code, QStringLiteral("12"));
        QCOMPARE(worst[0].penalty, 200LL); // one hole and one late start
        QCOMPARE(worst[1].code, QStringLiteral("11"));

        const QStringList lines = r.lines([](char kind, const QString& code) {
            return kind == 'c' ? QStringLiteral("班") + code : QStringLiteral("师") + code;
        });
        QCOMPARE(lines.size(), rules::kMeasureCount + 2 + 2 + 1);
        QCOMPARE(lines[0], QStringLiteral("班级一天中间的空堂：1 节"));
        QVERIFY(lines.contains(
            QStringLiteral("  班12：班级一天中间的空堂 1 节，班级一天不从第1节开始 1 天")));
        // T2: three lessons, two of them on Monday, over a share of one.
        QVERIFY(lines.contains(
            QStringLiteral("  师T2：老师两节课之间的空堂 1 节，老师一天超出平均的课 1 节")));
        QCOMPARE(rules::qualityOf(empty()).lines().mid(rules::kMeasureCount),
                 QStringList({QStringLiteral("最需要改进的班级：没有"),
                              QStringLiteral("最需要改进的老师：没有")}));
    }

    void doubleAndJointLessonsKept() {
        School s = empty();
        PlanRow math = row("11", "01", "T1", 4);
        math.doubles = 2;
        s.plan = {math, row("11", "03", "T3", 2), row("12", "03", "T3", 2)};
        s.joints.add("11", "03", "T3", "12");
        QVERIFY(rules::qualityOf(empty()).keptLines().isEmpty()); // nothing planned: no line

        put(s, "11", 1, 1, "01", "T1");
        put(s, "11", 1, 2, "01", "T1"); // one double lesson
        put(s, "11", 2, 1, "01", "T1");
        put(s, "11", 3, 1, "01", "T1"); // the other one split
        put(s, "11", 4, 1, "03", "T3");
        put(s, "12", 4, 1, "03", "T3"); // together
        put(s, "11", 5, 1, "03", "T3"); // 12 has it at another period
        put(s, "12", 5, 2, "03", "T3");
        const rules::QualityReport r = rules::qualityOf(s);
        QCOMPARE(r.kept.doublesPlanned, 2LL);
        QCOMPARE(r.kept.doublesLaid, 1LL);
        QCOMPARE(r.kept.jointPlanned, 2LL);
        QCOMPARE(r.kept.jointTogether, 1LL);
        QCOMPARE(r.keptLines(), QStringList({QStringLiteral("连堂：排成 1 个，计划 2 个"),
                                             QStringLiteral("合班：同时上课 1 节，计划 2 节")}));
        QCOMPARE(r.lines().mid(rules::kMeasureCount, 2), r.keptLines());

        // Kept in full once the week lays them as planned.
        s.timetable = Timetable(s.timetable.week());
        put(s, "11", 1, 1, "01", "T1");
        put(s, "11", 1, 2, "01", "T1");
        put(s, "11", 2, 1, "01", "T1");
        put(s, "11", 2, 2, "01", "T1");
        for (const QString& cls : {QStringLiteral("11"), QStringLiteral("12")}) {
            put(s, cls, 4, 3, "03", "T3");
            put(s, cls, 5, 3, "03", "T3");
        }
        const rules::Kept all = rules::qualityOf(s).kept;
        QCOMPARE(all.doublesLaid, 2LL);
        QCOMPARE(all.jointTogether, 2LL);
    }

    void effectOfAHandMove() {
        School s = empty();
        put(s, "11", 1, 1, "01", "T1");
        put(s, "11", 1, 2, "02", "T2");
        put(s, "11", 1, 3, "01", "T1");
        put(s, "12", 1, 2, "01", "T1");
        auto nameOf = [](char, const QString& code) { return QStringLiteral("王") + code; };
        // 11's lesson 2 to lesson 4: a hole in class 11; T2 has no other lesson.
        QCOMPARE(rules::qualityEffect(s, {{1, Period{1, 4}}}, nameOf),
                 QStringLiteral("本班空堂 +1"));
        // T1's lesson 3 in class 11 to lesson 4: T1 gains a gap, the class a hole.
        QCOMPARE(rules::qualityEffect(s, {{2, Period{1, 4}}}, nameOf),
                 QStringLiteral("本班空堂 +1，老师 王T1 空堂 +1"));
        // A swap of 1 and 2 changes nothing measured.
        QCOMPARE(rules::qualityEffect(s, {{0, Period{1, 2}}, {1, Period{1, 1}}}, nameOf),
                 QStringLiteral("课表质量不变"));
        limit(s, LimitKind::Course, "02", 1, 6, LimitLevel::Avoid);
        QVERIFY(
            rules::qualityEffect(s, {{1, Period{1, 6}}}).endsWith(QStringLiteral("尽量不排 +1")));
    }
};

QTEST_APPLESS_MAIN(TestQuality)
#include "test_quality.moc"
