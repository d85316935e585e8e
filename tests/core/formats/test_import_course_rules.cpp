// The courses' own rules through the workbook: the template writes them, the
// import reads them (optional columns, so older workbooks still import) and
// names a wrong value with its row.
#include "TestDb.h"

#include "core/formats/ImportTemplate.h"
#include "core/formats/SchoolImport.h"
#include "core/formats/SheetReader.h"
#include "core/store/CourseRuleStore.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

SheetTable courses(const QList<QStringList>& rows) {
    QList<QStringList> all{
        {"课程代码", "课程名称", "课程全称", "课程简称", "同时上课班数", "每天最多节数"}};
    all << rows;
    return {QStringLiteral("课程"), all};
}

bool hasProblem(const ImportPreview& p, int row, const QString& part) {
    for (const ImportProblem& e : p.problems)
        if (e.row == row && e.reason.contains(part))
            return true;
    return false;
}

} // namespace

class TestImportCourseRules : public QObject {
    Q_OBJECT
private slots:
    void templateCarriesTheRules();
    void valuesAreCheckedAndEmptyKeepsWhatIsStored();
    void olderWorkbookWithoutTheColumnsImports();
};

void TestImportCourseRules::templateCarriesTheRules() {
    TestDb source;
    for (const char* c : {"11", "12", "13"})
        source.addClass(c, c);
    source.addCourse("06", "体育", "体");
    source.addCourse("09", "信息技术", "信");
    source.addCourse("01", "语文", "语");
    WriteCourseRule(source.db, "06", {3, 2});
    WriteCourseRule(source.db, "09", {1, std::nullopt});
    QTemporaryDir dir;
    const QString file = dir.filePath("template.xlsx");
    WriteImportTemplate(source.db, file);
    const QList<SheetTable> sheets = ReadSheets(file);
    QCOMPARE(sheets[1].rows[0].mid(4), QStringList({"同时上课班数", "每天最多节数"}));
    QCOMPARE(sheets[1].rows[1].mid(4), QStringList({"3", "2"}));

    TestDb target;
    const ImportPreview p = PrepareImport(target.db, sheets);
    QVERIFY2(p.problems.isEmpty(), qPrintable(PreviewText(p).join('\n')));
    QVERIFY2(PreviewText(p).join('\n').contains(
                 QStringLiteral("体育（同时上课班数 3，每天最多节数 2）")),
             qPrintable(PreviewText(p).join('\n')));
    WriteImport(target.db, p.additions);
    QCOMPARE(ReadCourseRules(target.db), ReadCourseRules(source.db));
    QCOMPARE(target.count("select count(*) from CourseAttrtb where CourseCode = '09'"), 1LL);
    // Read again into the same school: nothing to do.
    QVERIFY(PrepareImport(target.db, sheets).additions.isEmpty());
}

void TestImportCourseRules::valuesAreCheckedAndEmptyKeepsWhatIsStored() {
    TestDb t;
    for (const char* c : {"11", "12"})
        t.addClass(c, c);
    t.addCourse("06", "体育", "体");
    WriteCourseRule(t.db, "06", {2, 1});
    const ImportPreview wrong =
        PrepareImport(t.db, {courses({{"07", "音乐", "", "", "3", "7"}, // fine: binds nothing here
                                      {"08", "美术", "", "", "0", "8"}, // row 3: both wrong
                                      {"09", "科学", "", "", "1.5", "二"},  // row 4
                                      {"10", "书法", "", "", "2", "6"}})}); // fine
    QVERIFY(hasProblem(wrong, 3, QStringLiteral("同时上课班数「0」不对，应是 1 以上的整数")));
    QVERIFY(hasProblem(wrong, 3, QStringLiteral("每天最多节数「8」不对，应是 1 到 7 的整数")));
    QVERIFY(hasProblem(wrong, 4, QStringLiteral("每天最多节数「二」")));
    QCOMPARE(wrong.problems.size(), 2);
    // A stored course: a set cell changes its setting, an empty one keeps it.
    const ImportPreview p = PrepareImport(t.db, {courses({{"06", "体育", "", "", "", "3"}})});
    QVERIFY(p.problems.isEmpty());
    QCOMPARE(p.additions.courseRules.size(), 1);
    WriteImport(t.db, p.additions);
    QCOMPARE(ReadCourseRules(t.db).value("06"), (CourseRule{2, 3}));
}

void TestImportCourseRules::olderWorkbookWithoutTheColumnsImports() {
    TestDb t;
    t.exec("drop table CourseRuletb"); // an older database too
    t.addCourse("06", "体育", "体");
    t.exec("insert into CourseAttrtb values ('06')");
    const SheetTable old{QStringLiteral("课程"),
                         {{"课程代码", "课程名称", "课程全称", "课程简称"},
                          {"06", "体育", "体育", "体"},
                          {"07", "音乐", "音乐", "音"}}};
    const ImportPreview p = PrepareImport(t.db, {old});
    QVERIFY(p.problems.isEmpty());
    QVERIFY(p.additions.courseRules.isEmpty());
    WriteImport(t.db, p.additions);
    QCOMPARE(t.count("select count(*) from Coursetb"), 2LL);
    QCOMPARE(t.count("select count(*) from sqlite_master where name = 'CourseRuletb'"), 0LL);
    QCOMPARE(ReadCourseRules(t.db).value("06"), (CourseRule{1, std::nullopt}));
}

QTEST_GUILESS_MAIN(TestImportCourseRules)
#include "test_import_course_rules.moc"
