// The teachers' limits and groups, the plan's double lessons and the time off
// through the workbook: the template writes them, the import reads them (all
// optional, so older workbooks still import) and names each wrong value with
// its row.
#include "SchoolBuilder.h"
#include "TestDb.h"

#include "core/formats/ImportTemplate.h"
#include "core/formats/SchoolImport.h"
#include "core/formats/SheetReader.h"
#include "core/store/CourseRuleStore.h"
#include "core/store/DoubleLessons.h"
#include "core/store/TeacherRuleStore.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QStringList kTeacherHeadings = {"老师代码",     "老师姓名",     "老师全称", "老师简称",
                                      "每天最多节数", "最多连上节数", "教研组"};

SheetTable sheet(const QString& name, const QStringList& headings, const QList<QStringList>& rows) {
    QList<QStringList> all{headings};
    all << rows;
    return {name, all};
}
SheetTable teachers(const QList<QStringList>& rows) {
    return sheet(QStringLiteral("老师"), kTeacherHeadings, rows);
}
SheetTable plan(const QList<QStringList>& rows) {
    return sheet(QStringLiteral("教学计划"), {"班级", "课程", "老师", "节数", "连堂"}, rows);
}
SheetTable timeOff(const QList<QStringList>& rows) {
    return sheet(QStringLiteral("不排时间"), {"类别", "名称", "星期", "节次"}, rows);
}

int RunCli(const QStringList& args) {
    QProcess p;
    p.start(qEnvironmentVariable("KBXT_BINARY_DIR") + "/bin/kbxt-cli", args);
    if (!p.waitForFinished(60000))
        return -1000;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1001;
}

QString text(const ImportPreview& p) {
    return PreviewText(p).join('\n');
}

bool hasProblem(const ImportPreview& p, int row, const QString& part) {
    for (const ImportProblem& e : p.problems)
        if (e.rows.contains(row) && e.reason.contains(part))
            return true;
    return false;
}

// Every "不排" cell as "kind code day-lesson", sorted.
QStringList neverCells(TestDb& t) {
    QStringList cells;
    SQLite::Statement st(t.db.sql(),
                         "select Kind, Code, Day, LessonNo from Limittb where Attr = 3");
    while (st.executeStep())
        cells << QStringLiteral("%1 %2 %3-%4")
                     .arg(st.getColumn(0).getInt())
                     .arg(QString::fromStdString(st.getColumn(1).getString()))
                     .arg(st.getColumn(2).getInt())
                     .arg(st.getColumn(3).getInt());
    cells.sort();
    return cells;
}

// Two classes, two courses, two teachers, a plan row each.
void smallSchool(TestDb& t) {
    addLists(t, {{"11", "一（1）班"}, {"12", "一（2）班"}}, {{"01", "语文"}, {"05", "美术"}},
             {{"001", "王芳"}, {"002", "李明"}});
    t.addPlan("11", "01", "001", 6);
    t.addPlan("11", "05", "002", 2);
}

} // namespace

class TestImportSchoolSettings : public QObject {
    Q_OBJECT
private slots:
    void templateCarriesTheSettings();
    void templateOfStaleSettingsReadsBack();
    void eachColumnAndSheetReads();
    void wrongValuesAreWrongRows();
    void olderWorkbookImportsAsBefore();
};

void TestImportSchoolSettings::templateCarriesTheSettings() {
    TestDb source;
    smallSchool(source);
    const QString group = QStringLiteral("G1");
    source.exec("insert into TeacherGrouptb values ('G1', '语文组', '语文组', '语文组')");
    WriteTeacherRule(source.db, "001", {4, 3, group});
    WriteTeacherRule(source.db, "002", {0, 2, {}});
    WritePlanDoubles(source.db, "11", "05", "002", 1);
    for (int n : {5, 6, 7}) // 7 lies past a day of six: not in the template
        source.addLimit(2, "001", 3, n, 3);
    source.addLimit(2, "001", 1, 1, 3);
    source.addLimit(2, "001", 1, 2, 2); // 尽量不排 is no time off
    source.addLimit(0, "12", 5, 6, 3);
    source.addLimit(1, "05", 2, 1, 3);
    source.addLimit(4, "G1", 3, 1, 3);
    source.addLimit(4, "G1", 3, 2, 3);
    QTemporaryDir dir;
    const QString file = dir.filePath("template.xlsx");
    source.db.close();
    QCOMPARE(RunCli({"export", "--template", source.path, file}), 0);
    QVERIFY(source.db.open(source.path));
    const QList<SheetTable> sheets = ReadSheets(file);
    QCOMPARE(sheets.size(), 5);
    QCOMPARE(sheets[2].rows[0].mid(4), kTeacherHeadings.mid(4));
    QCOMPARE(sheets[2].rows[1].mid(4), QStringList({"4", "3", "语文组"}));
    QCOMPARE(sheets[3].rows[0].mid(4), QStringList({"连堂", "合班"}));
    QCOMPARE(sheets[3].rows[2].mid(3), QStringList({"2", "1"}));
    QCOMPARE(sheets[4].name, QStringLiteral("不排时间"));
    QCOMPARE(sheets[4].rows.mid(1), (QList<QStringList>{{"班级", "一（2）班", "五", "6"},
                                                        {"老师", "王芳", "一", "1"},
                                                        {"老师", "王芳", "三", "5-6"},
                                                        {"课程", "美术", "二", "1"},
                                                        {"教研组", "语文组", "三", "1-2"}}));

    TestDb target;
    const ImportPreview p = PrepareImport(target.db, sheets);
    QVERIFY2(p.problems.isEmpty(), qPrintable(text(p)));
    QVERIFY2(
        text(p).contains(QStringLiteral("王芳（每天最多节数 4，最多连上节数 3，教研组 语文组）")),
        qPrintable(text(p)));
    QVERIFY2(text(p).contains(QStringLiteral("一（1）班  美术  李明  2节（连堂 1）")),
             qPrintable(text(p)));
    QVERIFY2(text(p).contains(QStringLiteral("不排时间  教研组  语文组  星期三  第 1–2 节")),
             qPrintable(text(p)));
    WriteImport(target.db, p.additions);
    const TeacherRules rules = ReadTeacherRules(target.db);
    QCOMPARE(rules.of("001").maxPerDay, 4);
    QCOMPARE(rules.of("001").maxInRow, 3);
    QCOMPARE(rules.groupName(rules.of("001").groupCode), QStringLiteral("语文组"));
    QCOMPARE(rules.of("002").maxInRow, 2);
    QCOMPARE(ReadPlanDoubles(target.db, "11", "05", "002"), 1LL);
    // The group has a code of its own in the new school.
    const QString newGroup = rules.of("001").groupCode;
    QStringList expected = neverCells(source);
    expected.removeAll(QStringLiteral("2 001 3-7"));
    expected.replaceInStrings(QStringLiteral("4 G1"), QStringLiteral("4 ") + newGroup);
    expected.sort();
    QCOMPARE(neverCells(target), expected);
    // Read again into the same school: nothing to do.
    const ImportPreview again = PrepareImport(target.db, sheets);
    QVERIFY2(again.additions.isEmpty(), qPrintable(text(again)));

    // The command line reads the same.
    TestDb byCli;
    byCli.db.close();
    QCOMPARE(RunCli({"import", byCli.path, file}), 0);
    QVERIFY(byCli.db.open(byCli.path));
    QCOMPARE(neverCells(byCli), neverCells(target));
    QCOMPARE(ReadTeacherRules(byCli.db).of("001").maxInRow, 3);
    QCOMPARE(ReadPlanDoubles(byCli.db, "11", "05", "002"), 1LL);
}

// Settings the windows stored under other conditions: limits of a seven-lesson
// day read on a six-lesson one, a class deleted below a course's limit, a
// group code whose group is gone, a group without teachers. The template of
// such a school imports without a wrong row, into a new school and into itself.
void TestImportSchoolSettings::templateOfStaleSettingsReadsBack() {
    TestDb source;
    smallSchool(source);
    source.exec("insert into TeacherGrouptb values ('G1', '语文组', '语文组', '语文组')");
    source.exec("insert into TeacherGrouptb values ('G2', '数学组', '数学组', '数学组')");
    WriteTeacherRule(source.db, "001", {7, 7, "G1"});
    WriteTeacherRule(source.db, "002", {0, 0, "G9"});
    WriteCourseRule(source.db, "01", {3, 7});
    source.addLimit(4, "G1", 2, 1, 3);
    source.addLimit(4, "G2", 3, 1, 3);
    QTemporaryDir dir;
    const QString file = dir.filePath("template.xlsx");
    WriteImportTemplate(source.db, file);
    const QList<SheetTable> sheets = ReadSheets(file);
    QCOMPARE(sheets[2].rows[2].value(6), QString()); // no group named "G9"
    QCOMPARE(sheets[4].rows.mid(1), (QList<QStringList>{{"教研组", "语文组", "二", "1"}}));

    TestDb target;
    const ImportPreview p = PrepareImport(target.db, sheets);
    QVERIFY2(p.problems.isEmpty(), qPrintable(text(p)));
    WriteImport(target.db, p.additions);
    const TeacherRules rules = ReadTeacherRules(target.db);
    QCOMPARE(rules.of("001").maxPerDay, 7);
    QCOMPARE(rules.of("001").maxInRow, 7);
    QCOMPARE(rules.groupName(rules.of("001").groupCode), QStringLiteral("语文组"));
    QVERIFY(rules.of("002").groupCode.isEmpty());
    QCOMPARE(rules.groupNames.size(), 1);
    QCOMPARE(ReadCourseRules(target.db).value("01"), (CourseRule{3, 7}));
    QCOMPARE(neverCells(target), QStringList{"4 " + rules.of("001").groupCode + " 2-1"});

    const ImportPreview again = PrepareImport(source.db, sheets);
    QVERIFY2(again.problems.isEmpty(), qPrintable(text(again)));
    QVERIFY2(again.additions.isEmpty(), qPrintable(text(again)));
}

void TestImportSchoolSettings::eachColumnAndSheetReads() {
    TestDb t;
    smallSchool(t);
    WriteTeacherRule(t.db, "002", {5, 0, {}});
    WritePlanDoubles(t.db, "11", "01", "001", 1);
    t.addLimit(2, "002", 2, 3, 2); // 尽量不排, to become 不排
    const ImportPreview p = PrepareImport(
        t.db, {teachers({{"001", "王芳", "", "", "", "", "语文组"},
                         {"002", "李明", "", "", "", "2", ""}, // 每天最多 5 stays
                         {"003", "张丽", "", "", "4", "", "语文组"}}),
               plan({{"一（1）班", "语文", "王芳", "6", ""},    // keeps its double lesson
                     {"一（1）班", "美术", "李明", "2", "1"},   // gains one
                     {"一（2）班", "美术", "张丽", "4", "2"}}), // a new row
               timeOff({{"老师", "张丽", "周三", "4-6"},
                        {"老师", "李明", "二", "第3节"},
                        {"班级", "12", "5", "6"},
                        {"课程", "美术", "星期一", "1～2"},
                        {"教研组", "语文组", "三", "1"},
                        {"老师", "张丽", "三", "6"}})}); // within the row above
    QVERIFY2(p.problems.isEmpty(), qPrintable(text(p)));
    const QString shown = text(p);
    for (const char* line :
         {"将添加：", "教研组  001  语文组（老师名单中出现，加入教研组名单）",
          "老师  003  张丽（每天最多节数 4，教研组 语文组）",
          "一（2）班  美术  张丽  4节（连堂 2）", "不排时间  老师  张丽  星期三  第 4–6 节",
          "将修改：", "老师  001  王芳（教研组改为 语文组）",
          "老师  002  李明（最多连上节数改为 2）",
          "一（1）班  美术  李明  2节（连堂 1）（连堂原为 0）",
          "不排时间  老师  李明  星期二  第 3 节（原为尽量不排）", "已存在：",
          "一（1）班  语文  王芳  6节（连堂 1）", "不排时间  老师  张丽  星期三  第 6 节"})
        QVERIFY2(shown.contains(QString::fromUtf8(line)), qPrintable(line + ("\n" + shown)));
    WriteImport(t.db, p.additions);
    const TeacherRules rules = ReadTeacherRules(t.db);
    const QString group = GetGroupCode(t.db, QStringLiteral("语文组"));
    QVERIFY(!group.isEmpty());
    QCOMPARE(rules.of("001").groupCode, group);
    QCOMPARE(rules.of("002").maxPerDay, 5);
    QCOMPARE(rules.of("002").maxInRow, 2);
    const QString zhang = t.text("select Code from Teachertb where Name = '张丽'");
    QCOMPARE(rules.of(zhang).maxPerDay, 4);
    QCOMPARE(rules.of(zhang).groupCode, group);
    QCOMPARE(ReadPlanDoubles(t.db, "11", "01", "001"), 1LL);
    QCOMPARE(ReadPlanDoubles(t.db, "11", "05", "002"), 1LL);
    QCOMPARE(ReadPlanDoubles(t.db, "12", "05", zhang), 2LL);
    QCOMPARE(neverCells(t),
             (QStringList{"0 12 5-6", "1 05 1-1", "1 05 1-2", "2 002 2-3", "2 " + zhang + " 3-4",
                          "2 " + zhang + " 3-5", "2 " + zhang + " 3-6", "4 " + group + " 3-1"}));
}

void TestImportSchoolSettings::wrongValuesAreWrongRows() {
    TestDb t;
    smallSchool(t);
    WritePlanDoubles(t.db, "11", "01", "001", 3);
    const ImportPreview p = PrepareImport(
        t.db, {teachers({{"001", "王芳", "", "", "0", "", ""},                        // row 2
                         {"002", "李明", "", "", "", "七", ""},                       // row 3
                         {"003", "张丽", "", "", "", "", "学前至六年级语文教研组"}}), // row 4
               plan({{"一（1）班", "语文", "王芳", "5", ""},    // row 2: 3 stored do not fit
                     {"一（1）班", "美术", "李明", "2", "1.5"}, // row 3
                     {"一（2）班", "美术", "李明", "3", "2"}}), // row 4
               timeOff({{"年级", "一年级", "一", "1"},          // row 2
                        {"老师", "赵强", "一", "1"},            // row 3
                        {"班级", "一（3）班", "一", "1"},       // row 4
                        {"课程", "科学", "一", "1"},            // row 5
                        {"教研组", "数学组", "一", "1"},        // row 6
                        {"老师", "王芳", "六", "1"},            // row 7
                        {"老师", "王芳", "一", "7"},            // row 8: a day of six
                        {"老师", "王芳", "一", "5-3"},          // row 9
                        {"老师", "王芳", "", "1"}})});          // row 10
    QVERIFY(hasProblem(p, 2, QStringLiteral("每天最多节数「0」不对，应是 1 到 7 的整数")));
    QVERIFY(hasProblem(p, 3, QStringLiteral("最多连上节数「七」不对")));
    QVERIFY(hasProblem(p, 4, QStringLiteral("教研组「学前至六年级语文教研组」超过10个字")));
    QVERIFY(hasProblem(p, 2, QStringLiteral("节数 5 容不下已有的 3 次连堂")));
    QVERIFY(hasProblem(p, 3, QStringLiteral("连堂「1.5」不对")));
    QVERIFY(hasProblem(p, 4, QStringLiteral("连堂 2 次要 4 节，超过节数 3")));
    QVERIFY(hasProblem(p, 2, QStringLiteral("类别「年级」不对，应是 班级、老师、课程 或 教研组")));
    QVERIFY(hasProblem(p, 3, QStringLiteral("没有这个老师：赵强")));
    QVERIFY(hasProblem(p, 4, QStringLiteral("没有这个班级：一（3）班")));
    QVERIFY(hasProblem(p, 5, QStringLiteral("没有这个课程：科学")));
    QVERIFY(hasProblem(p, 6, QStringLiteral("没有这个教研组：数学组")));
    QVERIFY(hasProblem(p, 7, QStringLiteral("星期「六」不对，应是 一 到 五")));
    QVERIFY(hasProblem(p, 8, QStringLiteral("节次「7」不对，应是 1 到 6 的节次")));
    QVERIFY(hasProblem(p, 9, QStringLiteral("节次「5-3」不对")));
    QVERIFY(hasProblem(p, 10, QStringLiteral("星期为空")));
    QCOMPARE(p.problems.size(), 15);
    // A wrong row adds nothing of its own: no teacher 张丽, no group.
    QVERIFY2(p.additions.records.isEmpty(), qPrintable(text(p)));
    QVERIFY(p.additions.teacherRules.isEmpty());
    QVERIFY(p.additions.timeOff.isEmpty());
    // A sheet named for time off but missing a column is told once.
    const ImportPreview missing = PrepareImport(
        t.db, {sheet(QStringLiteral("不排时间"), {"名称", "星期", "节次"}, {{"王芳", "一", "1"}})});
    QCOMPARE(missing.problems.size(), 1);
    QCOMPARE(missing.problems[0].reason, QStringLiteral("缺少列：类别"));
}

void TestImportSchoolSettings::olderWorkbookImportsAsBefore() {
    // An older database has none of the new tables; an older workbook none
    // of the new columns and sheets.
    TestDb t;
    for (const char* table : {"TeacherRuletb", "TeacherGrouptb", "PlanDoubletb"})
        t.exec(QStringLiteral("drop table %1").arg(table));
    smallSchool(t);
    const QList<SheetTable> old{
        sheet(QStringLiteral("老师"), kTeacherHeadings.mid(0, 4),
              {{"001", "王芳", "王芳", "王芳"}, {"003", "张丽", "张丽", "张丽"}}),
        sheet(QStringLiteral("教学计划"), {"班级", "课程", "老师", "节数"},
              {{"一（1）班", "语文", "王芳", "7"}, {"一（2）班", "美术", "张丽", "2"}})};
    const ImportPreview p = PrepareImport(t.db, old);
    QVERIFY2(p.problems.isEmpty(), qPrintable(text(p)));
    QCOMPARE(p.added.size(), 2); // 张丽 and her row
    QCOMPARE(p.changed.size(), 1);
    QVERIFY(p.additions.teacherRules.isEmpty());
    QVERIFY(p.additions.changedDoubles.isEmpty());
    QVERIFY(p.additions.timeOff.isEmpty());
    WriteImport(t.db, p.additions);
    QCOMPARE(t.count("select count(*) from sqlite_master where name in ('TeacherRuletb',"
                     " 'TeacherGrouptb', 'PlanDoubletb')"),
             0LL);
    QCOMPARE(t.count("select Count from ClassPlantb where ClassCode = '11' and CourseCode = '01'"),
             7LL);

    // A school with the settings keeps them when an older workbook is read.
    TestDb withSettings;
    smallSchool(withSettings);
    WriteTeacherRule(withSettings.db, "001", {4, 2, {}});
    WritePlanDoubles(withSettings.db, "11", "01", "001", 2);
    const ImportPreview kept = PrepareImport(withSettings.db, old);
    QVERIFY(kept.additions.teacherRules.isEmpty());
    QVERIFY(kept.additions.changedDoubles.isEmpty());
    QCOMPARE(kept.additions.changedPlanRows.size(), 1);
    QCOMPARE(kept.additions.changedPlanRows[0].doubles, 2);
    WriteImport(withSettings.db, kept.additions);
    QCOMPARE(ReadTeacherRules(withSettings.db).of("001").maxPerDay, 4);
    QCOMPARE(ReadPlanDoubles(withSettings.db, "11", "01", "001"), 2LL);

    // An office's list of names and groups alone reads as the teacher list.
    const ImportPreview groups =
        PrepareImport(withSettings.db, {sheet(QStringLiteral("老师"), {"姓名", "教研组"},
                                              {{"王芳", "语文组"}, {"赵强", "数学组"}})});
    QVERIFY2(groups.problems.isEmpty() && groups.notes.isEmpty(), qPrintable(text(groups)));
    QCOMPARE(groups.additions.teacherRules.size(), 2);
}

QTEST_GUILESS_MAIN(TestImportSchoolSettings)
#include "test_import_school_settings.moc"
