// Double lessons end to end on a database: stored in their own tables (and
// an older database without them read as having none, and left unchanged),
// left over by generation, placed as blocks by completion, checked clean.
#include "TestDb.h"
#include "core/generation/BuildTimetable.h"
#include "core/generation/CompleteTimetable.h"
#include "core/model/Failure.h"
#include "core/rules/HardRules.h"
#include "core/store/DoubleLessons.h"
#include "core/store/SchoolStore.h"

#include <QTest>

namespace {

// Two classes, 语文 7, 数学 6, 美术 2 as one double lesson, 科学 4 with two.
void writeSchool(TestDb& t) {
    t.addCourse("01", "语文");
    t.addCourse("02", "数学");
    t.addCourse("05", "美术");
    t.addCourse("06", "科学");
    for (const auto& [cls, name, k] :
         {std::tuple{"11", "一（1）班", "A"}, std::tuple{"12", "一（2）班", "B"}}) {
        t.addClass(cls, name);
        t.addTeacher(QStringLiteral("Y%1").arg(k), QStringLiteral("语文%1").arg(k));
        t.addTeacher(QStringLiteral("S%1").arg(k), QStringLiteral("数学%1").arg(k));
        t.addPlan(cls, "01", QStringLiteral("Y%1").arg(k), 7);
        t.addPlan(cls, "02", QStringLiteral("S%1").arg(k), 6);
    }
    t.addTeacher("M1", "美术老师");
    t.addTeacher("K1", "科学老师");
    for (const char* cls : {"11", "12"}) {
        t.addPlan(cls, "05", "M1", 2);
        t.addPlan(cls, "06", "K1", 4);
        WritePlanDoubles(t.db, cls, "05", "M1", 1);
        WritePlanDoubles(t.db, cls, "06", "K1", 2);
    }
}

int pairsOf(const School& s, const QString& cls, const QString& course) {
    std::vector<Lesson> row;
    for (const Lesson& l : s.timetable.lessons())
        if (l.classCode == cls && l.courseCode == course)
            row.push_back(l);
    return rules::doublePairsOf(s, row);
}

} // namespace

class TestDoubleCompletion : public QObject {
    Q_OBJECT
private slots:
    void storedApartAndOlderDatabasesReadAsNone();
    void generationLeavesThemAndCompletionPlacesBlocks();
};

void TestDoubleCompletion::storedApartAndOlderDatabasesReadAsNone() {
    TestDb t;
    writeSchool(t);
    School s = LoadSchool(t.db, Week::ofLessons(6));
    QCOMPARE(s.middayBreak.morningLessons, 4);
    long long art = 0, science = 0, chinese = 0;
    for (const PlanRow& r : s.plan) {
        art += r.courseCode == "05" ? r.doubles : 0;
        science += r.courseCode == "06" ? r.doubles : 0;
        chinese += r.courseCode == "01" ? r.doubles : 0;
    }
    QCOMPARE(art, 2LL);
    QCOMPARE(science, 4LL);
    QCOMPARE(chinese, 0LL);
    // A row renamed takes its double lessons along; 0 takes them away.
    MovePlanDoubles(t.db, "11", "05", "M1", "05", "K1");
    QCOMPARE(ReadPlanDoubles(t.db, "11", "05", "K1"), 1LL);
    QCOMPARE(ReadPlanDoubles(t.db, "11", "05", "M1"), 0LL);
    WritePlanDoubles(t.db, "11", "05", "K1", 0);
    QCOMPARE(t.count("select count(*) from PlanDoubletb where ClassCode='11' and "
                     "CourseCode='05'"),
             0LL);

    WriteMiddayBreak(t.db, MiddayBreak{5});
    QCOMPARE(LoadSchool(t.db, Week::ofLessons(7)).middayBreak.morningLessons, 5);
    QVERIFY_THROWS_EXCEPTION(Failure, WriteMiddayBreak(t.db, MiddayBreak{0}));
    QVERIFY_THROWS_EXCEPTION(Failure, WriteMiddayBreak(t.db, MiddayBreak{8}));
    QCOMPARE(ReadMiddayBreak(t.db).morningLessons, 5);
    // A stored value no morning has reads as the usual one.
    t.exec("update Settingtb set Value='vier'");
    QCOMPARE(ReadMiddayBreak(t.db).morningLessons, 4);

    // An older database: neither table. Reading creates nothing; clearing
    // what is not there writes nothing; the first setting creates its table.
    t.exec("drop table PlanDoubletb");
    t.exec("drop table Settingtb");
    const School older = LoadSchool(t.db, Week::ofLessons(6));
    for (const PlanRow& r : older.plan)
        QCOMPARE(r.doubles, 0LL);
    QCOMPARE(older.middayBreak.morningLessons, 4);
    QCOMPARE(MissingDoubleRowLessons(t.db), 0);
    WritePlanDoubles(t.db, "11", "05", "M1", 0);
    auto tables = [&] {
        return t.count("select count(*) from sqlite_master where name in "
                       "('PlanDoubletb','Settingtb')");
    };
    QCOMPARE(tables(), 0LL);
    WritePlanDoubles(t.db, "11", "05", "M1", 1);
    WriteMiddayBreak(t.db, MiddayBreak{3});
    QCOMPARE(tables(), 2LL);
    QCOMPARE(ReadPlanDoubles(t.db, "11", "05", "M1"), 1LL);
}

void TestDoubleCompletion::generationLeavesThemAndCompletionPlacesBlocks() {
    TestDb t;
    writeSchool(t);
    int rate = 0;
    QString why;
    QVERIFY2(tryBuildTimetable(t.db, Week::ofLessons(6), &rate, &why), qPrintable(why));
    // Generation left the double-lesson rows (12 lessons) to completion.
    QCOMPARE(MissingDoubleRowLessons(t.db), 12);
    QVERIFY(DoublesLeftText(12).contains(QStringLiteral("自动补排")));
    QVERIFY(DoublesLeftText(0).isEmpty());

    CompletionRun run;
    const CompletionReport done = CompleteTimetable(t.db, run);
    QVERIFY2(done.ok, qPrintable(done.error));
    QCOMPARE(done.remaining, 0);
    QCOMPARE(MissingDoubleRowLessons(t.db), 0);
    const School s = LoadSchool(t.db, Week::ofLessons(6));
    for (const rules::Breach& b : rules::breachesOf(s))
        QVERIFY2(b.noteOnly, qPrintable(rules::ruleName(b.rule)));
    for (const char* cls : {"11", "12"}) {
        QCOMPARE(pairsOf(s, cls, "05"), 1);
        QCOMPARE(pairsOf(s, cls, "06"), 2);
    }

    // A later morning is kept: lessons 4 and 5 may then be a double lesson.
    WriteMiddayBreak(t.db, MiddayBreak{6});
    QVERIFY(rules::breachesOf(LoadSchool(t.db, Week::ofLessons(6))).empty());
}

QTEST_GUILESS_MAIN(TestDoubleCompletion)
#include "test_double_completion.moc"
