// The import reads the workbooks a school office has: class names in every
// form they are written, names-only teacher lists, the class × subject layout,
// edited lists and plans (the preview's changes, written with the additions),
// one problem per cause, and the template's example rows.
#include "SchoolBuilder.h"
#include "TestDb.h"

#include "core/formats/ImportTemplate.h"
#include "core/formats/SchoolImport.h"
#include "core/formats/SheetReader.h"
#include "core/model/ClassNames.h"
#include "core/store/Lookups.h"

#include <QFile>
#include <QProcess>
#include <QTest>

namespace {

QString All(const ImportPreview& p) {
    return PreviewText(p).join('\n');
}

int RunCli(const QStringList& args, QString* out) {
    QProcess p;
    p.start(qEnvironmentVariable("KBXT_BINARY_DIR") + "/bin/kbxt-cli", args);
    if (!p.waitForFinished(60000))
        return -1000;
    *out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1001;
}

const QStringList kPlanHeading{"班级", "课程", "老师", "节数"};

} // namespace

class TestImportOffice : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void classNameForms_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("grade"); // -1: names no class
        QTest::addColumn<int>("number");
        QTest::newRow("school's name") << "一（1）班" << 1 << 1;
        QTest::newRow("full name") << "一年级（1）班" << 1 << 1;
        QTest::newRow("short name") << "一（1）" << 1 << 1;
        QTest::newRow("ascii brackets") << "一(1)班" << 1 << 1;
        QTest::newRow("grade word, bare number") << "一年级1班" << 1 << 1;
        QTest::newRow("grade word, ascii brackets") << "三年级(12)班" << 3 << 12;
        QTest::newRow("digit grade") << "1(1)班" << 1 << 1;
        QTest::newRow("full-width digits") << "一（１）班" << 1 << 1;
        QTest::newRow("full-width two digits") << "六（１２）班" << 6 << 12;
        QTest::newRow("numeral class") << "二年级三班" << 2 << 3;
        QTest::newRow("numeral twenty") << "二年级二十班" << 2 << 20;
        QTest::newRow("pre-school") << "学前(2)班" << 0 << 2;
        QTest::newRow("spaces") << " 四 (3) 班 " << 4 << 3;
        QTest::newRow("digits run together") << "11班" << -1 << -1;
        QTest::newRow("no bracket, no 班") << "一1" << -1 << -1;
        QTest::newRow("grade seven") << "七（1）班" << -1 << -1;
        QTest::newRow("class 21") << "一（21）班" << -1 << -1;
        QTest::newRow("class 0") << "一（0）班" << -1 << -1;
        QTest::newRow("a name") << "实验班" << -1 << -1;
        QTest::newRow("empty") << "" << -1 << -1;
    }
    void classNameForms() {
        QFETCH(QString, text);
        QFETCH(int, grade);
        QFETCH(int, number);
        const ClassCodeParts p = ReadClassName(text);
        QCOMPARE(p.grade, grade);
        if (grade >= 0)
            QCOMPARE(p.classNumber, number);
    }

    // Every form names the one class; a plan row may add a class in the
    // school's own forms; full-width digits count; a typed name finds its class.
    void officeFormsMapToOneClass() {
        TestDb t;
        t.addClass("11", "一（1）班", "一年级（1）班", "一（1）");
        const QStringList forms{"一(1)班", "一年级1班",  "一年级(1)班", "一年级（1）班",
                                "1(1)班",  "一（１）班", "一（1）",     "11"};
        QList<QStringList> plan{kPlanHeading};
        for (int i = 0; i < forms.size(); ++i)
            plan.append({forms[i], QStringLiteral("课%1").arg(i), "王芳", "２"});
        plan.append({"一年级(2)班", "语文", "王芳", "５"});
        const QList<SheetTable> sheets{{"班级", {{"班级名称"}, {"三年级（1）班"}}},
                                       {"教学计划", plan}};
        const ImportPreview p = PrepareImport(t.db, sheets);
        QVERIFY2(!p.hasProblems(), qPrintable(All(p)));
        WriteImport(t.db, p.additions);
        QCOMPARE(t.text("select group_concat(Code||'/'||Name||'/'||FullName||'/'||ShortName, ' ')"
                        " from Classtb"),
                 QString("11/一（1）班/一年级（1）班/一（1） 31/三（1）班/三年级（1）班/三（1） "
                         "12/一（2）班/一年级（2）班/一（2）"));
        QCOMPARE(t.count("select count(*) from ClassPlantb where ClassCode='11' and Count=2"),
                 static_cast<long long>(forms.size()));
        QCOMPARE(t.count("select Count from ClassPlantb where ClassCode='12'"), 5LL);
        QCOMPARE(GetClassCode(t.db, "一年级1班"), QString("11"));
        QCOMPARE(GetClassCode(t.db, "一（2）"), QString("12"));
        QVERIFY(GetClassCode(t.db, "二（1）班").isEmpty());
    }

    // A class row's code and names must name the same class; forms of the
    // class's own name are no rename.
    void classRowsAgreeWithTheirCode() {
        TestDb t;
        t.addClass("11", "一（1）班", "一年级（1）班", "一（1）");
        const QList<SheetTable> sheets{{"班级",
                                        {{"班级代码", "班级名称", "班级全称"},
                                         {"11", "一(1)班", "一年级1班"},
                                         {"12", "一(3)班", ""},
                                         {"", "一（4）班", "二年级（4）班"},
                                         {"", "火箭班", ""}}}};
        const ImportPreview p = PrepareImport(t.db, sheets);
        const QString all = All(p);
        QCOMPARE(p.problems.size(), 3);
        QCOMPARE(p.problems[0].row, 3);
        QVERIFY2(p.problems[0].reason.contains("不是同一个班"), qPrintable(all));
        QVERIFY2(p.problems[1].reason.contains("不是同一个班"), qPrintable(all));
        QVERIFY2(p.problems[2].reason.contains("一年级（1）班"), qPrintable(all)); // the forms
        QVERIFY2(p.changed.isEmpty(), qPrintable(all));
        QCOMPARE(p.existing.size(), 1);
    }

    // 126 rows naming one unknown class are one problem with the accepted
    // forms and every row; another cause is told apart.
    void oneProblemPerCause() {
        TestDb t;
        QList<QStringList> plan{kPlanHeading};
        for (int i = 0; i < 126; ++i)
            plan.append({"七(1)班", QStringLiteral("课%1").arg(i % 9), "王芳", "2"});
        plan.append({"一(1)班", "语文", "王芳", "两"});
        plan.append({"一(2)班", "语文", "王芳", "两"});
        const ImportPreview p = PrepareImport(t.db, {{"教学计划", plan}});
        const QString all = All(p);
        QCOMPARE(p.problems.size(), 2);
        const ImportProblem& cls = p.problems[0];
        QCOMPARE(cls.rows.size(), 126);
        QCOMPARE(cls.row, 2);
        QVERIFY2(cls.reason.contains("七(1)班") && cls.reason.contains(ClassNameForms()),
                 qPrintable(all));
        QCOMPARE(ProblemPlace(cls), QString("工作表「教学计划」第 2–127 行（共 126 行）"));
        QCOMPARE(ProblemPlace(p.problems[1]),
                 QString("工作表「教学计划」第 128–129 行（共 2 行）"));
        QCOMPARE(ProblemPlace({"老师", 3, "x", {3, 5, 6, 7, 9}}),
                 QString("工作表「老师」第 3、5–7、9 行（共 5 行）"));
        QCOMPARE(ProblemPlace({"老师", 3, "x", {3}}), QString("工作表「老师」第 3 行"));
        QVERIFY2(all.contains("有错的行：2 处"), qPrintable(all));
    }

    // Only 姓名: teachers, coded in the pattern the list has; a names-only
    // sheet is told by its name or its heading.
    void namesOnlyLists() {
        TestDb t;
        for (int i = 1; i <= 12; ++i)
            t.addTeacher(QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')),
                         QStringLiteral("老师%1").arg(i));
        t.addCourse("K07", "语文");
        t.addCourse("K08", "数学");
        t.addCourse("9", "书法");
        const QList<SheetTable> sheets{
            {"Sheet1", {{"姓名"}, {"张三"}, {"老师1"}, {"李四"}}},
            {"课程", {{"名称"}, {"美术"}, {"音乐"}}},
        };
        const ImportPreview p = PrepareImport(t.db, sheets);
        QVERIFY2(!p.hasProblems() && p.notes.isEmpty(), qPrintable(All(p)));
        QCOMPARE(p.existing.size(), 1);
        WriteImport(t.db, p.additions);
        QCOMPARE(
            t.text("select group_concat(Code, ' ') from Teachertb where Name in ('张三','李四')"),
            QString("13 14"));
        QCOMPARE(
            t.text("select group_concat(Code, ' ') from Coursetb where Name in ('美术','音乐')"),
            QString("K09 K10"));
    }

    // Classes down, subjects across, teachers in the cells, a 节数 row: a plan.
    // Without the row, the stored count stays and a new course counts 0.
    void classBySubjectLayout() {
        TestDb t;
        const QList<SheetTable> sheets{{"任课表",
                                        {{"2025 学年任课安排"},
                                         {"班级", "语文", "数学", "英语", "备注", "班会"},
                                         {"节数", "7", "5", "2", "", "1"},
                                         {"一(1)班", "王芳", "李强", "", "实验班", ""},
                                         {"一(2)班", "王芳", "赵六", "孙七", "", "王芳"}}}};
        ImportPreview p = PrepareImport(t.db, sheets);
        QVERIFY2(!p.hasProblems(), qPrintable(All(p)));
        WriteImport(t.db, p.additions);
        QCOMPARE(t.count("select count(*) from Classtb"), 2LL);
        QCOMPARE(t.text("select group_concat(C.Name||T.Name||P.Count, ' ') from ClassPlantb P"
                        " join Coursetb C on C.Code=P.CourseCode join Teachertb T on"
                        " T.Code=P.TeacherCode where P.ClassCode='12'"),
                 QString("语文王芳7 数学赵六5 英语孙七2 班会王芳1"));
        QCOMPARE(t.count("select count(*) from ClassPlantb where ClassCode='11'"), 2LL);

        const QList<SheetTable> noCounts{
            {"Sheet1",
             {{"班级", "语文", "科学", "班主任"}, {"一（1）班", "王芳", "周八", "王芳"}}}};
        p = PrepareImport(t.db, noCounts);
        QVERIFY2(!p.hasProblems() && p.notes.size() == 1, qPrintable(All(p)));
        QVERIFY2(p.notes[0].contains("节数"), qPrintable(All(p)));
        QCOMPARE(p.existing.size(), 1); // 语文 with 7 lessons as before
        WriteImport(t.db, p.additions);
        QCOMPARE(t.count("select P.Count from ClassPlantb P join Coursetb C on C.Code=P.CourseCode"
                         " where C.Name='科学'"),
                 0LL);

        // A class list with other columns stays a class list.
        p = PrepareImport(t.db,
                          {{"班级", {{"班级名称", "班主任", "人数"}, {"二(1)班", "王芳", "45"}}}});
        QVERIFY2(!p.hasProblems(), qPrintable(All(p)));
        QCOMPARE(p.additions.records.size(), 1);
        QVERIFY(p.additions.planRows.isEmpty());
    }

    // The same layout keyed by class codes, alone or beside the names: code and
    // name must be one class; a list with a code column stays a list.
    void classBySubjectLayoutByCode() {
        TestDb t;
        t.addClass("11", "一（1）班", "一年级（1）班", "一（1）");
        t.addClass("12", "一（2）班", "一年级（2）班", "一（2）");
        const QList<SheetTable> sheets{{"任课表",
                                        {{"班级代码", "班级", "语文", "数学"},
                                         {"节数", "", "6", "5"},
                                         {"11", "", "王芳", "李强"},
                                         {"１２", "一(2)班", "王芳", "赵六"},
                                         {"21", "二(1)班", "孙七", "李强"},
                                         {"11", "一(3)班", "孙七", "李强"},
                                         {"13", "一(4)班", "孙七", "李强"}}}};
        ImportPreview p = PrepareImport(t.db, sheets);
        const QString all = All(p);
        QCOMPARE(p.problems.size(), 2);
        QCOMPARE(p.problems[0].row, 6);
        QVERIFY2(p.problems[0].reason.contains("不是同一个班"), qPrintable(all));
        QCOMPARE(p.problems[1].row, 7);
        QCOMPARE(p.additions.planRows.size(), 6);
        WriteImport(t.db, p.additions);
        QCOMPARE(
            t.text("select group_concat(r, ' ') from (select ClassCode||C.Name||T.Name||P.Count"
                   " as r from ClassPlantb P join Coursetb C on C.Code=P.CourseCode join"
                   " Teachertb T on T.Code=P.TeacherCode order by r)"),
            QString("11数学李强5 11语文王芳6 12数学赵六5 12语文王芳6 21数学李强5 21语文孙七6"));
        QCOMPARE(GetClassCode(t.db, "二（1）班"), QString("21"));

        // Codes alone, under a bare 代码.
        p = PrepareImport(t.db, {{"Sheet1", {{"代码", "语文", "科学"}, {"12", "王芳", "周八"}}}});
        QVERIFY2(!p.hasProblems(), qPrintable(All(p)));
        QCOMPARE(p.additions.planRows.size(), 1);
        QCOMPARE(p.additions.planRows[0].classCode, QString("12"));

        // 编号 and 姓名 with other columns: a teacher list, never a plan.
        p = PrepareImport(
            t.db, {{"教师名单", {{"编号", "姓名", "性别", "职称"}, {"01", "张三", "男", "一级"}}}});
        QVERIFY2(!p.hasProblems(), qPrintable(All(p)));
        QVERIFY(p.additions.planRows.isEmpty());
        QCOMPARE(p.additions.records.size(), 1);
        QCOMPARE(p.additions.records[0].first, CodeTable::Teacher);
    }

    // Same code with another name renames; a plan row changes its count or its
    // teacher; all is written in one transaction with the additions.
    void changesAreShownAndWrittenTogether() {
        TestDb t;
        addLists(t, {{"11", "一（1）班"}}, {{"01", "语文"}, {"02", "数学"}},
                 {{"007", "王芳"}, {"008", "赵强"}});
        t.addPlan("11", "01", "007", 7, 2);
        t.addPlan("11", "02", "008", 4);
        const QList<SheetTable> sheets{
            {"老师", {{"老师代码", "老师姓名"}, {"008", "赵强强"}}},
            {"教学计划",
             {kPlanHeading, {"一(1)班", "语文", "李四", "6"}, {"一(1)班", "数学", "赵强强", "5"}}}};
        const ImportPreview p = PrepareImport(t.db, sheets);
        const QString all = All(p);
        QVERIFY2(!p.hasProblems(), qPrintable(all));
        QCOMPARE(p.changed.size(), 3);
        QVERIFY2(all.contains("老师  008  赵强 → 赵强强"), qPrintable(all));
        QVERIFY2(all.contains("一（1）班  语文  李四  6节（原由「王芳」任教，7 节；已排的 2 节"),
                 qPrintable(all));
        QVERIFY2(all.contains("一（1）班  数学  赵强强  5节（原为 4 节）"), qPrintable(all));
        QVERIFY2(ConfirmText(p).contains("修改 3 项"), qPrintable(ConfirmText(p)));

        // A failing write leaves everything as it was, the new teacher too.
        t.exec("create trigger refuse before update on ClassPlantb begin "
               "select raise(abort, 'refused'); end");
        QVERIFY_THROWS_EXCEPTION(std::exception, WriteImport(t.db, p.additions));
        QCOMPARE(t.text("select Name from Teachertb where Code='008'"), QString("赵强"));
        QCOMPARE(t.count("select count(*) from Teachertb"), 2LL);
        t.exec("drop trigger refuse");

        WriteImport(t.db, p.additions);
        QCOMPARE(t.text("select Name||FullName||ShortName from Teachertb where Code='008'"),
                 QString("赵强强赵强强赵强强"));
        QCOMPARE(t.text("select T.Name||P.Count||'/'||P.BuildCount from ClassPlantb P join"
                        " Teachertb T on T.Code=P.TeacherCode where P.CourseCode='01'"),
                 QString("李四6/0"));
        QCOMPARE(t.count("select Count from ClassPlantb where CourseCode='02' and "
                         "TeacherCode='008'"),
                 5LL);
        QVERIFY(PrepareImport(t.db, sheets).additions.isEmpty()); // the second time: no change
    }

    // A rename onto another entry's name, or two teachers for one course in
    // the file, is refused.
    void changesThatCannotBe() {
        TestDb t;
        t.addClass("11", "一（1）班");
        t.addTeacher("007", "王芳");
        t.addTeacher("008", "赵强");
        const QList<SheetTable> sheets{
            {"老师", {{"老师代码", "老师姓名"}, {"008", "王芳"}}},
            {"教学计划",
             {kPlanHeading, {"11", "语文", "赵强", "6"}, {"一（1）班", "语文", "孙七", "6"}}}};
        const ImportPreview p = PrepareImport(t.db, sheets);
        const QString all = All(p);
        QCOMPARE(p.problems.size(), 2);
        QVERIFY2(p.problems[0].reason.contains("已是代码 007 的名称"), qPrintable(all));
        QVERIFY2(p.problems[1].reason.contains("已由「赵强」任教（工作表「教学计划」第 2 行）"),
                 qPrintable(all));
    }

    // kbxt-cli import prints the preview's lines, the changes among them.
    void commandLinePrintsTheChanges() {
        TestDb t;
        t.addClass("11", "一（1）班");
        t.addCourse("01", "语文");
        t.addTeacher("007", "王芳");
        t.addPlan("11", "01", "007", 7);
        const QString csv = m_dir.filePath("plan.csv");
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("班级,课程,老师,节数\n一(1)班,语文,王芳,６\n一(2)班,语文,王芳,5\n");
        f.close();
        const QStringList lines = PreviewText(PrepareImport(t.db, ReadSheets(csv)));
        QVERIFY(lines.contains("将修改：1 项"));
        t.db.close();
        QString out;
        QCOMPARE(RunCli({"import", t.path, csv}, &out), 0);
        for (const QString& line : lines)
            QVERIFY2(out.contains(line), qPrintable(line + "\n---\n" + out));
        QVERIFY2(out.contains("导入完成：添加了 2 项，修改了 1 项。"), qPrintable(out));
        QVERIFY(t.db.open(t.path));
        QCOMPARE(t.count("select Count from ClassPlantb where ClassCode='11'"), 6LL);
    }

    // The template of an empty school shows one example row per sheet, which
    // the import passes over; a filled school's template has none.
    void templateExampleRows() {
        TestDb empty;
        const QString file = m_dir.filePath("empty.xlsx");
        WriteImportTemplate(empty.db, file);
        const QList<SheetTable> sheets = ReadSheets(file);
        QCOMPARE(sheets.size(), 5);
        for (const SheetTable& s : sheets) {
            QCOMPARE(s.rows.size(), 2);
            QVERIFY2(s.rows[1].contains(ImportExampleMark()), qPrintable(s.name));
            QCOMPARE(s.rows[1].indexOf(ImportExampleMark()), s.rows[0].size());
        }
        ImportPreview p = PrepareImport(empty.db, sheets);
        QVERIFY2(!p.hasProblems() && p.additions.isEmpty(), qPrintable(All(p)));
        QVERIFY2(p.notes.size() == 1 && p.notes[0].contains("示例行未导入"), qPrintable(All(p)));

        // With the mark deleted, each example is a valid row of its sheet.
        QList<SheetTable> unmarked = sheets;
        for (SheetTable& s : unmarked)
            s.rows[1].removeAll(ImportExampleMark());
        p = PrepareImport(empty.db, unmarked);
        QVERIFY2(!p.hasProblems() && p.additions.planRows.size() == 1, qPrintable(All(p)));
        WriteImport(empty.db, p.additions);

        const QString filled = m_dir.filePath("filled.xlsx");
        WriteImportTemplate(empty.db, filled);
        for (const SheetTable& s : ReadSheets(filled))
            for (const QStringList& row : s.rows)
                QVERIFY(!row.contains(ImportExampleMark()));
    }
};

QTEST_GUILESS_MAIN(TestImportOffice)
#include "test_import_office.moc"
