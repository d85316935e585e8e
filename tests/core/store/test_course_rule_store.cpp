// The courses' own rules on disk: CourseRuletb beside CourseAttrtb, so that
// older copies still see an exclusive course and older databases open as
// they were.
#include "TestDb.h"
#include "core/store/CodeRecords.h"
#include "core/store/CourseRuleStore.h"
#include "core/store/Maintenance.h"
#include "core/store/PlanCheckStore.h"
#include "core/store/SchoolStore.h"

#include <QTest>

namespace {

CourseRule rule(std::optional<int> maxClasses, std::optional<int> maxPerDay) {
    return CourseRule{maxClasses, maxPerDay};
}

bool hasRuleTable(TestDb& t) {
    return t.count("select count(*) from sqlite_master where name = 'CourseRuletb'") == 1;
}

} // namespace

class TestCourseRuleStore : public QObject {
    Q_OBJECT
private slots:
    void capacityOneIsAlsoTheExclusiveMark();
    void olderDatabaseReadsCourseAttrtbAndGetsTheTableOnFirstWrite();
    void loadersAndDeletionSeeTheRules();
};

void TestCourseRuleStore::capacityOneIsAlsoTheExclusiveMark() {
    TestDb t;
    t.addCourse("09", "信息技术");
    t.addCourse("10", "体育");
    WriteCourseRule(t.db, "09", rule(1, std::nullopt));
    QCOMPARE(t.count("select count(*) from CourseAttrtb where CourseCode = '09'"), 1LL);
    QCOMPARE(ReadCourseRules(t.db).value("09"), rule(1, std::nullopt));
    // Written again: still one mark.
    WriteCourseRule(t.db, "09", rule(1, 2));
    QCOMPARE(t.count("select count(*) from CourseAttrtb"), 1LL);
    QCOMPARE(t.count("select count(*) from CourseRuletb"), 1LL);
    // A larger room is no exclusive course for older copies.
    WriteCourseRule(t.db, "09", rule(3, 2));
    QCOMPARE(t.count("select count(*) from CourseAttrtb"), 0LL);
    QCOMPARE(ReadCourseRules(t.db).value("09"), rule(3, 2));
    WriteCourseRule(t.db, "10", rule(std::nullopt, 1));
    QCOMPARE(ReadCourseRules(t.db).size(), 2);
    // Nothing set: the row goes.
    WriteCourseRule(t.db, "09", CourseRule{});
    QCOMPARE(t.count("select count(*) from CourseRuletb where CourseCode = '09'"), 0LL);
    QVERIFY(!ReadCourseRules(t.db).contains("09"));
    // Values no window writes (text, zero, Null) set nothing.
    t.exec("insert into CourseRuletb values ('11', 'x', 0)");
    t.exec("insert into CourseRuletb values (NULL, 2, 2)");
    QVERIFY(!ReadCourseRules(t.db).contains("11"));
    QCOMPARE(ReadCourseRules(t.db).size(), 1);
}

void TestCourseRuleStore::olderDatabaseReadsCourseAttrtbAndGetsTheTableOnFirstWrite() {
    TestDb t;
    t.exec("drop table CourseRuletb");
    t.addCourse("09", "信息技术");
    t.exec("insert into CourseAttrtb values ('09')");
    QCOMPARE(ReadCourseRules(t.db).value("09"), rule(1, std::nullopt));
    const School s = LoadSchool(t.db, Week::ofLessons(6));
    QVERIFY(s.isExclusive("09"));
    QVERIFY(!hasRuleTable(t)); // reading never writes
    WriteCourseRule(t.db, "09", rule(2, std::nullopt));
    QVERIFY(hasRuleTable(t));
    QCOMPARE(ReadCourseRules(t.db).value("09"), rule(2, std::nullopt));
    QCOMPARE(t.count("select count(*) from CourseAttrtb"), 0LL);
}

void TestCourseRuleStore::loadersAndDeletionSeeTheRules() {
    TestDb t;
    t.addCourse("09", "信息技术");
    t.addCourse("10", "体育");
    WriteCourseRule(t.db, "09", rule(1, std::nullopt));
    WriteCourseRule(t.db, "10", rule(3, 2));
    const School s = LoadSchool(t.db, Week::ofLessons(6));
    QCOMPARE(s.capacityOf("10"), 3);
    QCOMPARE(s.dailyMaxOf("10"), 2);
    QCOMPARE(ReadPlanCheckInput(t.db, 6).courseRules.value("10"), rule(3, 2));
    // They belong to the course, not to a class: the year upgrade and data
    // maintenance keep them.
    t.addClass("61", "六（1）班");
    t.addClass("11", "一（1）班");
    UpgradeSchoolYear(t.db);
    MaintainData(t.db);
    QCOMPARE(ReadCourseRules(t.db).size(), 2);
    QCOMPARE(ReadCourseRules(t.db).value("10"), rule(3, 2));
    DeleteCodeRecord(t.db, CodeTable::Course, "09");
    DeleteCodeRecord(t.db, CodeTable::Course, "10");
    QCOMPARE(t.count("select count(*) from CourseAttrtb"), 0LL);
    QCOMPARE(t.count("select count(*) from CourseRuletb"), 0LL);
}

QTEST_GUILESS_MAIN(TestCourseRuleStore)
#include "test_course_rule_store.moc"
