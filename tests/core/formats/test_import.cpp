// Importing the school from a spreadsheet: the template written by the
// program reads back equal, another program's layout of the same columns
// reads, wrong rows are reported with sheet and row and nothing is written,
// CSV in GB18030, and the command line's exit codes.
#include "SchoolBuilder.h"
#include "TestDb.h"
#include "XlsxReader.h"

#include "core/formats/ImportTemplate.h"
#include "core/formats/ScheduleWorkbook.h"
#include "core/formats/SchoolImport.h"
#include "core/formats/SheetReader.h"
#include "core/model/DemoSchool.h"
#include "core/model/PlanRow.h"
#include "core/store/SchoolWriter.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>

namespace {

// Writes the sheets with openpyxl, as another spreadsheet program would: a cell
// given as a number is written as a number.
bool WriteWithOpenpyxl(const QString& path, const QJsonArray& sheets, QString* error) {
    const QString script = QStringLiteral("import json, sys, openpyxl\n"
                                          "wb = openpyxl.Workbook(); wb.remove(wb.active)\n"
                                          "for name, rows in json.loads(sys.argv[2]):\n"
                                          "    ws = wb.create_sheet(name)\n"
                                          "    for row in rows: ws.append(row)\n"
                                          "wb.save(sys.argv[1])\n");
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"), script, path,
             QString::fromUtf8(QJsonDocument(sheets).toJson(QJsonDocument::Compact))});
    p.waitForFinished(60000);
    *error = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QJsonArray Sheet(const QString& name, const QJsonArray& rows) {
    return QJsonArray{name, rows};
}

int RunCli(const QStringList& args, QString* out = nullptr) {
    QProcess p;
    p.start(qEnvironmentVariable("KBXT_BINARY_DIR") + "/bin/kbxt-cli", args);
    if (!p.waitForFinished(60000))
        return -1000;
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1001;
}

// Classes, courses, teachers and plan as one comparable text.
QString SchoolText(TestDb& t) {
    QStringList lines;
    for (const char* q :
         {"select Code||'/'||Name||'/'||FullName||'/'||ShortName from Classtb order by rowid",
          "select Code||'/'||Name||'/'||FullName||'/'||ShortName from Coursetb order by rowid",
          "select Code||'/'||Name||'/'||FullName||'/'||ShortName from Teachertb order by rowid",
          "select ClassCode||'/'||CourseCode||'/'||TeacherCode||'/'||Count from "
          "ClassPlantb order by ClassCode, CourseCode, TeacherCode, rowid"}) {
        SQLite::Statement st(t.db.sql(), q);
        while (st.executeStep())
            lines << QString::fromStdString(st.getColumn(0).getString());
        lines << QStringLiteral("--");
    }
    return lines.join('\n');
}

bool HasProblem(const ImportPreview& p, const QString& sheet, int row, const QString& part) {
    for (const ImportProblem& e : p.problems)
        if (e.sheet == sheet && (e.row == row || e.rows.contains(row)) && e.reason.contains(part))
            return true;
    return false;
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // The template of a filled school imports into an empty one without a
    // problem, writes the same template again, and a second import adds nothing.
    void templateRoundTrip() {
        TestDb source;
        WriteSchool(source.db, DemoSchool(DemoSize::Small, 5));
        const QString first = m_dir.filePath("first.xlsx");
        WriteImportTemplate(source.db, first);

        TestDb target;
        ImportPreview p = PrepareImport(target.db, ReadSheets(first));
        QVERIFY2(p.problems.isEmpty(), qPrintable(PreviewText(p).join('\n')));
        QVERIFY(p.existing.isEmpty());
        WriteImport(target.db, p.additions);
        QCOMPARE(SchoolText(target), SchoolText(source));

        const QString second = m_dir.filePath("second.xlsx");
        WriteImportTemplate(target.db, second);
        const QList<SheetTable> a = ReadSheets(first), b = ReadSheets(second);
        QCOMPARE(a.size(), 5);
        for (int i = 0; i < a.size(); ++i) {
            QCOMPARE(b[i].name, a[i].name);
            QCOMPARE(b[i].rows, a[i].rows);
        }

        p = PrepareImport(target.db, b);
        QVERIFY(p.problems.isEmpty());
        QVERIFY(p.additions.isEmpty());
        QVERIFY(p.added.isEmpty());
        QCOMPARE(p.existing.size(),
                 static_cast<qsizetype>(source.count("select count(*) from Classtb") +
                                        source.count("select count(*) from Coursetb") +
                                        source.count("select count(*) from Teachertb") +
                                        source.count("select count(*) from ClassPlantb") +
                                        b[4].rows.size() - 1)); // the rows of 不排时间
    }

    // Sheets in another order and under other names, a title above the headings,
    // columns swapped and extra ones, numbers as numbers, teachers without codes
    // and a course only the plan names.
    void otherProgramsLayout() {
        if (QString why; !XlsxReaderAvailable(&why))
            QSKIP(qPrintable(why));
        const QString file = m_dir.filePath("other.xlsx");
        const QJsonArray sheets{
            Sheet("任课安排", QJsonArray{QJsonArray{"2024学年任课表"},
                                         QJsonArray{"序号", "班级", "科目", "任课教师", "周课时"},
                                         QJsonArray{1, "一（1）班", "语文", "王芳", 7},
                                         QJsonArray{2, "11", "书法", "王芳", 1.0},
                                         QJsonArray{3, "一（2）班", "语文", "赵强", "6"}}),
            Sheet("Sheet2", QJsonArray{QJsonArray{"教师姓名", "工号", "备注"},
                                       QJsonArray{"王芳", QJsonValue(), "班主任"},
                                       QJsonArray{"赵强", 7, QJsonValue()}}),
            Sheet("班级",
                  QJsonArray{QJsonArray{"班级名称", "班级代码"}, QJsonArray{"一（1）班", 11},
                             QJsonArray{"一（2）班", QJsonValue()}}),
            Sheet("课程", QJsonArray{QJsonArray{"课程代码", "课程名称"}, QJsonArray{"01", "语文"}}),
            Sheet("说明", QJsonArray{QJsonArray{"请勿修改表头"}}),
        };
        QString error;
        QVERIFY2(WriteWithOpenpyxl(file, sheets, &error), qPrintable(error));

        TestDb t;
        t.addTeacher("005", "旧老师");
        const ImportPreview p = PrepareImport(t.db, ReadSheets(file));
        QVERIFY2(p.problems.isEmpty(), qPrintable(PreviewText(p).join('\n')));
        QCOMPARE(p.notes.size(), 1); // 说明 is not a list
        WriteImport(t.db, p.additions);
        QCOMPARE(t.text("select Code from Classtb where Name='一（2）班'"), QString("12"));
        QCOMPARE(t.text("select FullName from Classtb where Code='11'"), QString("一年级（1）班"));
        QCOMPARE(t.text("select Code from Teachertb where Name='赵强'"), QString("7"));
        QCOMPARE(t.text("select Code from Teachertb where Name='王芳'"), QString("008"));
        QCOMPARE(t.text("select Code from Coursetb where Name='书法'"), QString("02"));
        QCOMPARE(t.count("select sum(Count) from ClassPlantb"), 14LL);
        QCOMPARE(t.count("select count(*) from ClassPlantb where ClassCode='11' and "
                         "TeacherCode='008'"),
                 2LL);
    }

    // Every wrong row is named with its sheet and row; CLI and preview agree that
    // nothing is written.
    void wrongRowsAreReportedAndNothingWritten() {
        if (QString why; !XlsxReaderAvailable(&why))
            QSKIP(qPrintable(why));
        const QString file = m_dir.filePath("wrong.xlsx");
        const QJsonArray sheets{
            Sheet("老师", QJsonArray{QJsonArray{"老师代码", "老师姓名"}, QJsonArray{"001", "张三"},
                                     QJsonArray{"001", "李四"},       // row 3: duplicate code
                                     QJsonArray{"002", QJsonValue()}, // row 4: empty name
                                     QJsonArray{"003", "王\t五"},     // row 5: control character
                                     QJsonArray{"004", "张三"}}),     // row 6: duplicate name
            Sheet("班级",
                  QJsonArray{QJsonArray{"班级代码", "班级名称"}, QJsonArray{"11", QJsonValue()},
                             QJsonArray{"99", "九（9）班"}}), // row 3: not a class code
            Sheet("教学计划", QJsonArray{QJsonArray{"班级", "课程", "老师", "节数"},
                                         QJsonArray{"三（1）班", "语文", "张三", 5}, // adds 31
                                         QJsonArray{"11", "语文", "张三", 31},       // row 3
                                         QJsonArray{"11", "数学", "张三", 2.5},      // row 4
                                         QJsonArray{"11", "音乐", "张三", "两"},     // row 5
                                         QJsonArray{"11", "语文", "张三", 5},        // fine
                                         QJsonArray{"11", "语文", "赵六", 5},        // row 7
                                         QJsonArray{"11", "语文", "张三", 1}}),      // row 8
        };
        QString error;
        QVERIFY2(WriteWithOpenpyxl(file, sheets, &error), qPrintable(error));

        TestDb t;
        const ImportPreview p = PrepareImport(t.db, ReadSheets(file));
        const QString all = PreviewText(p).join('\n');
        QVERIFY2(HasProblem(p, "老师", 3, "代码「001」重复"), qPrintable(all));
        QVERIFY2(HasProblem(p, "老师", 4, "名称为空"), qPrintable(all));
        QVERIFY2(HasProblem(p, "老师", 5, "控制字符"), qPrintable(all));
        QVERIFY2(HasProblem(p, "老师", 6, "名称「张三」重复"), qPrintable(all));
        QVERIFY2(HasProblem(p, "班级", 3, "班级代码「99」"), qPrintable(all));
        QVERIFY2(HasProblem(p, "教学计划", 3, "节数「31」"), qPrintable(all));
        QVERIFY2(HasProblem(p, "教学计划", 4, "节数「2.5」"), qPrintable(all));
        QVERIFY2(HasProblem(p, "教学计划", 5, "节数「两」"), qPrintable(all));
        QVERIFY2(HasProblem(p, "教学计划", 7, "已由「张三」任教"), qPrintable(all));
        QVERIFY2(HasProblem(p, "教学计划", 8, "重复"), qPrintable(all));
        QCOMPARE(p.problems.size(), 10);
        // A wrong plan row adds no teacher: 赵六 is only in row 7.
        for (const ImportLine& l : p.added)
            QVERIFY(!l.text.contains("赵六"));

        const QString before = SchoolText(t);
        t.db.close(); // the tool holds the file exclusively
        QString out;
        QCOMPARE(RunCli({"import", t.path, file}, &out), 3);
        QVERIFY(out.contains("工作表「教学计划」第 7 行"));
        QVERIFY(t.db.open(t.path));
        QCOMPARE(SchoolText(t), before);
    }

    // Excel on a Chinese system saves CSV in GB18030; UTF-8 with a byte-order mark
    // is what it saves as "CSV UTF-8". Quoted cells keep their commas.
    void csvEncodings() {
        const QByteArray gb = QByteArray::fromHex(
            "c0cfcaa6b4fac2eb2cc0cfcaa6d0d5c3fb2cb1b8d7a20d0a3130312cd5c5c0cfcaa62c22d3efcec42c20"
            "cafdd1a7220d0a2cc0eec0cfcaa62c0d0a");
        QCOMPARE(DecodeCsvText(gb),
                 QString("老师代码,老师姓名,备注\r\n101,张老师,\"语文, 数学\"\r\n,李老师,\r\n"));
        const QList<QStringList> rows = ParseCsv(DecodeCsvText(gb));
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[1], (QStringList{"101", "张老师", "语文, 数学"}));
        QCOMPARE(DecodeCsvText("\xEF\xBB\xBF"
                               "班级,课程"),
                 QString("班级,课程"));
        QCOMPARE(ParseCsv("a\t\"b\"\"c\"\n\"line\nbreak\"\tx"),
                 (QList<QStringList>{{"a", "b\"c"}, {"line\nbreak", "x"}}));

        const QString file = m_dir.filePath("teachers.csv");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(gb);
        f.close();
        TestDb t;
        const ImportPreview p = PrepareImport(t.db, ReadSheets(file));
        QVERIFY2(p.problems.isEmpty(), qPrintable(PreviewText(p).join('\n')));
        WriteImport(t.db, p.additions);
        QCOMPARE(t.text("select group_concat(Code||Name, ' ') from Teachertb"),
                 QString("101张老师 102李老师"));
    }

    void unreadableFiles() {
        const QString notZip = m_dir.filePath("not.xlsx");
        QFile f(notZip);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("plain text");
        f.close();
        QVERIFY_THROWS_EXCEPTION(Failure, ReadSheets(notZip));
        QVERIFY_THROWS_EXCEPTION(Failure, ReadSheets(m_dir.filePath("missing.xlsx")));
        QVERIFY_THROWS_EXCEPTION(Failure, ReadSheets(m_dir.filePath("old.xls")));
    }

    // The plan count: a whole number from 0 to the highest a week allows, as a
    // spreadsheet may hold it; anything else is a wrong row that adds nothing.
    void planCountBoundaries_data() {
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("accepted");                // -1: refused
        const int max = Week::ofLessons(6).periodCount(); // the test school's week
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("one") << "1" << 1;
        QTest::newRow("max") << QString::number(max) << max;
        QTest::newRow("max as decimal") << QString::number(max) + ".0" << max;
        QTest::newRow("spaces") << " 7 " << 7;
        QTest::newRow("max+1") << QString::number(max + 1) << -1;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("negative zero point five") << "-0.5" << -1;
        QTest::newRow("fraction") << "2.5" << -1;
        QTest::newRow("text") << "五" << -1;
        QTest::newRow("number and text") << "5节" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("huge") << "2147483648" << -1;
    }
    void planCountBoundaries() {
        QFETCH(QString, count);
        QFETCH(int, accepted);
        TestDb t;
        t.addClass("11", "一（1）班");
        const QList<SheetTable> sheets{
            {"教学计划", {{"班级", "课程", "老师", "节数"}, {"11", "语文", "王芳", count}}}};
        const ImportPreview p = PrepareImport(t.db, sheets);
        const QString all = PreviewText(p).join('\n');
        if (accepted < 0) {
            QVERIFY2(HasProblem(p, "教学计划", 2,
                                QStringLiteral("节数「%1」不对，%2")
                                    .arg(count.trimmed(), lessonCountRule(Week::ofLessons(6)))),
                     qPrintable(all));
            QVERIFY2(p.added.isEmpty(), qPrintable(all)); // neither the course nor the teacher
            return;
        }
        QVERIFY2(!p.hasProblems(), qPrintable(all));
        WriteImport(t.db, p.additions);
        QCOMPARE(t.count("select Count from ClassPlantb where ClassCode='11'"),
                 static_cast<long long>(accepted));
    }

    // The preview says what it leaves as it is and what it changes: a sheet it
    // could not read, a list entry found by name with another code (kept), a
    // code with another name (renamed), a plan row whose count differs
    // (changed); an empty sheet and an unchanged row pass without a note.
    void previewNotes() {
        TestDb t;
        addLists(t, {{"11", "一（1）班"}}, {{"01", "语文"}}, {{"007", "王芳"}, {"008", "赵强"}});
        t.addPlan("11", "01", "007", 7);
        t.addPlan("11", "02", "008", 4);
        t.addCourse("02", "数学");
        const QList<SheetTable> sheets{
            {"说明", {{"请勿修改表头"}}},
            {"空白", {}},
            {"课程", {{"课程代码", "课程名称"}, {"01", "国语"}, {"09", "数学"}}},
            {"老师", {{"老师代码", "老师姓名"}, {"007", "王芳"}}},
            {"教学计划",
             {{"班级", "课程", "老师", "节数"},
              {"11", "语文", "王芳", "6"},
              {"11", "数学", "赵强", "4"}}}};
        const ImportPreview p = PrepareImport(t.db, sheets);
        const QStringList text = PreviewText(p);
        const QString all = text.join('\n');
        QVERIFY2(!p.hasProblems(), qPrintable(all));
        QCOMPARE(p.notes,
                 QStringList{QStringLiteral(
                     "工作表「说明」没有认出是哪一种名单（应有“代码”“名称”等列标题），未读取")});
        QVERIFY2(text.contains(QStringLiteral("注意：") + p.notes.first()), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("课程  01  语文 → 国语")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("（名称相同，名单中的代码 02 保持不变）")),
                 qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("一（1）班  国语  王芳  6节（原为 7 节）")),
                 qPrintable(all));
        QCOMPARE(all.count(QStringLiteral("保持不变")), 1); // 王芳 and 数学's 4 lessons as they are
        QVERIFY2(p.added.isEmpty(), qPrintable(all));
        QCOMPARE(p.changed.size(), 2);
        QCOMPARE(p.existing.size(), 3);
    }

    // The command line: template export, dry run, import, a failure.
    void commandLine() {
        TestDb source;
        WriteSchool(source.db, DemoSchool(DemoSize::Small, 2));
        source.db.close();
        const QString book = m_dir.filePath("cli.xlsx");
        QCOMPARE(RunCli({"export", "--template", source.path, book}), 0);
        QCOMPARE(RunCli({"export", "--template", source.path, book}), 1); // exists, no --force
        QCOMPARE(RunCli({"export", "--template", "--force", source.path, book}), 0);

        TestDb target;
        target.db.close();
        QString out;
        QCOMPARE(RunCli({"import", "--dry-run", target.path, book}, &out), 0);
        QVERIFY(out.contains("将添加"));
        QVERIFY(target.db.open(target.path));
        QCOMPARE(target.count("select count(*) from Teachertb"), 0LL);
        target.db.close();
        QCOMPARE(RunCli({"import", target.path, book}), 0);
        QVERIFY(target.db.open(target.path));
        QVERIFY(source.db.open(source.path));
        QCOMPARE(SchoolText(target), SchoolText(source));
        target.db.close();
        QCOMPARE(RunCli({"import", target.path, m_dir.filePath("none.xlsx")}), 1);
        QCOMPARE(RunCli({"import", target.path}), 2);

        // A write the database refuses is told in Chinese, and nothing is added.
        TestDb refusing;
        refusing.exec("create trigger full before insert on Teachertb "
                      "begin select raise(abort,'disk full'); end");
        refusing.db.close();
        QCOMPARE(RunCli({"import", refusing.path, book}, &out), 1);
        QVERIFY2(out.contains("导入失败，数据库没有改变：") && !out.contains("disk full"),
                 qPrintable(out));
        QVERIFY(refusing.db.open(refusing.path));
        QCOMPARE(refusing.count("select count(*) from Classtb"), 0LL);
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "test_import.moc"
