#include "TestDb.h"
#include "core/model/Failure.h"
#include "core/store/CodeRecords.h"
#include "core/store/Maintenance.h"
#include "core/store/Sql.h"
#include "core/store/TeacherRuleStore.h"

#include <QTest>

class TestMaintenance : public QObject {
    Q_OBJECT
private slots:
    void maintenanceRemovesOrphansAndRecounts();
    void nextGradeName_data();
    void nextGradeName();
    void upgradeMovesEveryClassUpOneGrade();
    void upgradeTwiceAndFailureChangesNothing();
    void upgradeKeepsTeacherLimitsAndGroups();
    void deletedGroupLeavesNoTimeOff();
};

void TestMaintenance::maintenanceRemovesOrphansAndRecounts() {
    TestDb t;
    t.addClass("11", "一（1）班");
    t.addCourse("1", "语文");
    t.addTeacher("T1", "张");
    t.addClassRoom("R1", "室");
    t.addPlan("11", "1", "T1", 5, 1, 1);   // three lessons, BuildCount wrong
    t.addPlan("11", "1", "GONE", 2, 2, 1); // teacher deleted
    t.addLesson("11", 1, 1, "1", "T1", 0);
    t.addLesson("11", 1, 2, "1", "T1", 1);
    t.addLesson("11", 1, 3, "1", "T1", 2);
    t.addLesson("11", 2, 1, "1", "GONE", 1);
    t.addLimit(1, "1", 1, 1, 0);
    t.addLimit(1, "9", 1, 1, 0);
    t.addLimit(3, "R1", 1, 1, 3);
    t.addLimit(3, "R9", 1, 1, 3);
    // A statement failing half-way leaves every table as it was.
    t.exec("create trigger t before delete on Limittb begin select raise(abort,'x'); end;");
    QString why;
    QVERIFY(!tryMaintainData(t.db, &why));
    QCOMPARE(why, QString("课表数据库操作失败：") + t.path);
    QCOMPARE(t.count("select count(*) from LessonListtb"), 4LL);
    QCOMPARE(t.count("select count(*) from ClassPlantb"), 2LL);
    QCOMPARE(t.count("select BuildCount from ClassPlantb where TeacherCode='T1'"), 1LL);
    t.exec("drop trigger t");

    MaintainData(t.db);
    QCOMPARE(t.count("select count(*) from LessonListtb"), 3LL);
    QCOMPARE(t.count("select count(*) from ClassPlantb"), 1LL);
    QCOMPARE(t.count("select BuildCount from ClassPlantb"), 3LL);
    QCOMPARE(t.count("select IsAutoBuild from ClassPlantb"), 1LL);
    QCOMPARE(t.count("select count(*) from Limittb"), 2LL);
}

void TestMaintenance::nextGradeName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("next");
    QTest::newRow("class") << "三（2）班"
                           << "四（2）班";
    QTest::newRow("full name") << "五年级（1）班"
                               << "六年级（1）班";
    QTest::newRow("grade six stays") << "六（1）班"
                                     << "六（1）班";
    QTest::newRow("pre-school stays") << "学前（1）班"
                                      << "学前（1）班";
    QTest::newRow("empty") << ""
                           << "";
}

void TestMaintenance::nextGradeName() {
    QFETCH(QString, name);
    QFETCH(QString, next);
    QCOMPARE(NextGradeName(name), next);
}

void TestMaintenance::upgradeMovesEveryClassUpOneGrade() {
    TestDb t;
    t.addClass("11", "一（1）班", "一年级（1）班", "一（1）");
    t.addClass("12", "一（2）班", "一年级（2）班", "一（2）");
    t.addClass("21", "二（1）班", "二年级（1）班", "二（1）");
    t.addClass("61", "六（1）班", "六年级（1）班", "六（1）");
    t.addClass("01", "学前（1）班", "学前（1）班", "学前（1）");
    t.addClass("110", "一（10）班", "一年级（10）班", "一（10）");
    for (const char* c : {"11", "21", "61", "01", "110"}) {
        t.addPlan(c, "1", "T1", 2, 1, 1);
        t.addLesson(c, 1, 1, "1", "T1", 1);
    }
    t.addLimit(0, "11", 1, 1, 3);
    for (const char* c : {"11", "61", "01"})
        t.exec(QStringLiteral("insert into PlanDoubletb values ('%1','1','T1',1)").arg(c));
    UpgradeSchoolYear(t.db);

    QStringList classes;
    SQLite::Statement st(t.db.sql(),
                         "select Code, Name, FullName, ShortName from Classtb order by Code");
    while (st.executeStep())
        classes << sql::text(st.getColumn(0)) + ":" + sql::text(st.getColumn(1)) + ":" +
                       sql::text(st.getColumn(2)) + ":" + sql::text(st.getColumn(3));
    QCOMPARE(
        classes,
        QStringList({"01:学前（1）班:学前（1）班:学前（1）", "11:一（1）班:一年级（1）班:一（1）",
                     "110:一（10）班:一年级（10）班:一（10）", "12:一（2）班:一年级（2）班:一（2）",
                     "21:二（1）班:二年级（1）班:二（1）", "210:二（10）班:二年级（10）班:二（10）",
                     "22:二（2）班:二年级（2）班:二（2）", "31:三（1）班:三年级（1）班:三（1）"}));
    QCOMPARE(t.text("select group_concat(ClassCode) from (select ClassCode from LessonListtb order "
                    "by ClassCode)"),
             QString("01,21,210,31"));
    QCOMPARE(t.text("select group_concat(ClassCode) from (select ClassCode from ClassPlantb order "
                    "by ClassCode)"),
             QString("01,21,210,31"));
    QCOMPARE(t.text("select Code from Limittb"), QString("11")); // limits stay with the codes
    // Double lessons go up with their plan rows.
    QCOMPARE(t.text("select group_concat(ClassCode) from (select ClassCode from PlanDoubletb "
                    "order by ClassCode)"),
             QString("01,21"));
}

void TestMaintenance::upgradeTwiceAndFailureChangesNothing() {
    {
        // A database without the table of double lessons gets none.
        TestDb older;
        older.addClass("11", "一（1）班");
        older.exec("drop table PlanDoubletb");
        QVERIFY(tryUpgradeSchoolYear(older.db));
        QCOMPARE(older.count("select count(*) from sqlite_master where name='PlanDoubletb'"), 0LL);
    }
    TestDb t;
    t.addClass("51", "五（1）班");
    t.addClass("41", "四（1）班");
    UpgradeSchoolYear(t.db);
    QVERIFY(tryUpgradeSchoolYear(t.db));
    QCOMPARE(t.text("select group_concat(Code) from Classtb"), QString("61"));
    QCOMPARE(t.text("select Name from Classtb"), QString("六（1）班"));

    t.addLesson("61", 1, 1, "1", "T1", 1);
    t.exec("drop table ClassPlantb");
    QVERIFY_THROWS_EXCEPTION(Failure, UpgradeSchoolYear(t.db));
    QCOMPARE(t.count("select count(*) from LessonListtb"), 1LL);
    QCOMPARE(t.text("select Code from Classtb"), QString("61"));
}

void TestMaintenance::upgradeKeepsTeacherLimitsAndGroups() {
    TestDb t;
    t.addClass("11", "一（1）班");
    t.addTeacher("W", "王芳");
    t.addTeacher("Z", "张敏");
    t.addPlan("11", "1", "W", 4, 1, 1);
    t.addLesson("11", 1, 1, "1", "W", 1);
    WriteTeacherRule(t.db, "W", TeacherRule{4, 2, "G1"});
    WriteTeacherRule(t.db, "Z", TeacherRule{0, 3, QString()});
    InsertCodeRecord(t.db, CodeTable::Group, CodeRecord{"G1", "语文组", "语文教研组", "语文"});
    t.addLimit(4, "G1", 3, 5, 3);
    t.addLimit(4, "G1", 3, 6, 3);
    t.addLimit(2, "W", 5, 1, 3);
    UpgradeSchoolYear(t.db);
    // Teachers do not change grade: their limits, group and its meeting stay.
    const TeacherRules rules = ReadTeacherRules(t.db);
    QCOMPARE(rules.of("W").maxPerDay, 4);
    QCOMPARE(rules.of("W").maxInRow, 2);
    QCOMPARE(rules.of("W").groupCode, QStringLiteral("G1"));
    QCOMPARE(rules.of("Z").maxInRow, 3);
    QCOMPARE(rules.groupName("G1"), QStringLiteral("语文组"));
    QCOMPARE(t.count("select count(*) from Limittb where Kind=4 and Code='G1' and Day=3"), 2LL);
    QCOMPARE(t.count("select count(*) from Limittb where Kind=2 and Code='W'"), 1LL);
    QCOMPARE(t.text("select ClassCode from ClassPlantb"), QString("21"));
}

void TestMaintenance::deletedGroupLeavesNoTimeOff() {
    TestDb t;
    t.addTeacher("W", "王芳");
    t.addTeacher("G1", "高一");
    InsertCodeRecord(t.db, CodeTable::Group, CodeRecord{"G1", "语文组", {}, {}});
    InsertCodeRecord(t.db, CodeTable::Group, CodeRecord{"G2", "数学组", {}, {}});
    WriteTeacherRule(t.db, "W", TeacherRule{4, 0, "G1"});
    t.addLimit(4, "G1", 3, 5, 3);
    t.addLimit(4, "G2", 2, 5, 3);
    t.addLimit(2, "G1", 1, 1, 3); // a teacher whose code is the group's
    QCOMPARE(DeleteCodeRecord(t.db, CodeTable::Group, "G1"), 1);
    QCOMPARE(t.count("select count(*) from Limittb where Kind=4"), 1LL);
    QCOMPARE(t.text("select Code from Limittb where Kind=4"), QString("G2"));
    QCOMPARE(t.count("select count(*) from Limittb where Kind=2"), 1LL);
    // The teacher stays, out of the group, with the daily maximum.
    QCOMPARE(ReadTeacherRules(t.db).of("W").groupCode, QString());
    QCOMPARE(ReadTeacherRules(t.db).of("W").maxPerDay, 4);

    // Cells of a group that is gone (written by hand, say) go with the data
    // maintenance.
    t.addLimit(4, "G9", 1, 1, 3);
    MaintainData(t.db);
    QCOMPARE(t.text("select group_concat(Code) from Limittb where Kind=4"), QString("G2"));
    // Without the group tables, no group's time-off is left either.
    t.exec("drop table TeacherGrouptb");
    t.exec("drop table TeacherRuletb");
    MaintainData(t.db);
    QCOMPARE(t.count("select count(*) from Limittb where Kind=4"), 0LL);
    QCOMPARE(t.count("select count(*) from Limittb where Kind=2"), 1LL);
}

QTEST_GUILESS_MAIN(TestMaintenance)
#include "test_maintenance.moc"
