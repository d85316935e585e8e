// Workbooks of the export, read back as a spreadsheet program reads them.
#include "ExportFixture.h"
#include "XlsxReader.h"
#include "core/formats/ScheduleExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kSchool = QStringLiteral("实验小学");
const QStringList kWeekdays = {"星期一", "星期二", "星期三", "星期四", "星期五"};
} // namespace

class TestExportWorkbook : public QObject {
    Q_OBJECT

    QTemporaryDir m_out;
    int m_file = 0;

    QString nextFile() { return m_out.filePath(QStringLiteral("out%1.xlsx").arg(++m_file)); }

    // What became of an export, in words.
    static QString outcome(TestDb& t, ScheduleKind kind, const QString& name, const QString& file) {
        try {
            return ExportSchedule(t.db, kind, name, file, 6, kSchool) ? "saved" : "no lessons";
        } catch (const WorkbookFailure& e) {
            if (e.message().isEmpty())
                return "failed without a reason";
            return e.stage() == WorkbookFailure::Stage::Create ? "not created" : "not written";
        }
    }

    // Exports and reads the workbook back; fails the test when either goes wrong.
    XlsxSheet exportSheet(TestDb& t, ScheduleKind kind, const QString& name, int lessonsPerDay,
                          const QString& school = kSchool) {
        const QString file = nextFile();
        try {
            if (!ExportSchedule(t.db, kind, name, file, lessonsPerDay, school))
                qWarning("nothing exported");
        } catch (const Failure& e) {
            qWarning("export failed: %s", qPrintable(e.message()));
        }
        QString error;
        const QList<XlsxSheet> sheets = ReadXlsx(file, &error);
        if (sheets.size() != 1) {
            qWarning("%s: %d sheets %s", qPrintable(file), int(sheets.size()), qPrintable(error));
            return {};
        }
        return sheets.first();
    }

private slots:
    void initTestCase() {
        QString why;
        if (!XlsxReaderAvailable(&why))
            QSKIP(qPrintable(why));
    }

    void classBlocks_data() {
        QTest::addColumn<int>("lessonsPerDay");
        QTest::newRow("6 lessons") << 6;
        QTest::newRow("7 lessons") << 7;
    }

    // All classes: one sheet, a block of 11 rows per class in class-code order.
    void classBlocks() {
        QFETCH(int, lessonsPerDay);
        TestDb t;
        FillSmallSchool(t);
        const XlsxSheet s = exportSheet(t, ScheduleKind::AllClasses, {}, lessonsPerDay);
        QCOMPARE(s.title, QStringLiteral("班级课表"));
        // Printed: one A4 page per class, all five days across it.
        QCOMPARE(s.page, QStringLiteral("paper=9 portrait fit=1x0 breaks=11,22"));
        QVERIFY(s.merged.isEmpty());
        QCOMPARE(s.defaultRowHeight, 30.0);
        // Stored widths carry the spreadsheet's cell padding on top of the width set.
        QVERIFY(s.widths.value(1) >= 6 && s.widths.value(1) < 7);
        for (int col = 2; col <= 6; ++col)
            QVERIFY(s.widths.value(col) >= 14 && s.widths.value(col) < 15);

        const QStringList groups = {"一(1)班", "一(2)班", "二(1)班"};
        for (int k = 0; k < groups.size(); ++k) {
            const int r = 1 + 11 * k;
            QCOMPARE(s.text(CellRef(r, 4)), kSchool + "     " + groups[k]);
            QVERIFY(s.centred(CellRef(r, 4)));
            QVERIFY(!s.has(CellRef(r + 1, 1)));
            QVERIFY(s.boxed(CellRef(r + 2, 1)));
            QCOMPARE(s.text(CellRef(r + 2, 1)), QString());
            for (int day = 1; day <= 5; ++day) {
                QCOMPARE(s.text(CellRef(r + 2, day + 1)), kWeekdays[day - 1]);
                QVERIFY(s.boxed(CellRef(r + 2, day + 1)));
            }
            for (int lesson = 1; lesson <= lessonsPerDay; ++lesson) {
                QCOMPARE(s.text(CellRef(r + 2 + lesson, 1)), QString::number(lesson));
                for (int col = 1; col <= 6; ++col) {
                    QVERIFY2(s.boxed(CellRef(r + 2 + lesson, col)),
                             qPrintable(CellRef(r + 2 + lesson, col)));
                    QVERIFY(s.centred(CellRef(r + 2 + lesson, col)));
                }
            }
            QVERIFY(!s.has(CellRef(r + 3 + lessonsPerDay, 1)));
        }
        // Lesson cells at row block + 2 + LessonNo, column Day + 1.
        QCOMPARE(s.text("B4"), QStringLiteral("语文"));
        QCOMPARE(s.text("C6"), QStringLiteral("数学"));
        QCOMPARE(s.text("F9"), QStringLiteral("音乐"));
        QCOMPARE(s.text("D16"), QStringLiteral("数学"));
        QCOMPARE(s.text("E29"), QStringLiteral("语文"));
        QCOMPARE(s.text("B30"), QStringLiteral("数学"));
        QVERIFY(!s.wrap("B4"));
        QCOMPARE(s.text("C4"), QString()); // empty period, still bordered
    }

    void oneClassWithoutSchoolName() {
        TestDb t;
        FillSmallSchool(t);
        const XlsxSheet s = exportSheet(t, ScheduleKind::Class, "一(2)班", 6, QString());
        QCOMPARE(s.text("D1"), QStringLiteral("     一(2)班"));
        QCOMPARE(s.text("D5"), QStringLiteral("数学"));
        QVERIFY(!s.has("D12"));
    }

    // Teachers in teacher-code order; a lesson cell holds the course and, on a
    // second line, the class short name.
    void teacherCells() {
        TestDb t;
        FillSmallSchool(t);
        const XlsxSheet s = exportSheet(t, ScheduleKind::AllTeachers, {}, 6);
        QCOMPARE(s.title, QStringLiteral("教师课表"));
        QCOMPARE(s.text("D1"), kSchool + "     李老师");
        QCOMPARE(s.text("D12"), kSchool + "     张老师");
        QCOMPARE(s.text("C6"), QStringLiteral("数学\n一1"));
        QCOMPARE(s.text("F9"), QStringLiteral("音乐\n一1"));
        QCOMPARE(s.text("D5"), QStringLiteral("数学\n一2"));
        QCOMPARE(s.text("B8"), QStringLiteral("数学\n二1"));
        QCOMPARE(s.text("B15"), QStringLiteral("语文\n一1"));
        QCOMPARE(s.text("E18"), QStringLiteral("语文\n二1"));
        for (const char* ref : {"C6", "B15"}) {
            QVERIFY(s.wrap(ref));
            QVERIFY(s.boxed(ref));
            QVERIFY(s.centred(ref));
        }

        const XlsxSheet one = exportSheet(t, ScheduleKind::Teacher, "张老师", 6);
        QCOMPARE(one.text("D1"), kSchool + "     张老师");
        QCOMPARE(one.text("E7"), QStringLiteral("语文\n二1"));
        QVERIFY(!one.has("D12"));
    }

    void overview_data() {
        QTest::addColumn<int>("n");
        QTest::newRow("6 lessons") << 6;
        QTest::newRow("7 lessons") << 7;
    }

    // The whole-school sheet says what it holds, and every title the term.
    void sheetNamesAndTitlesWithTheTerm() {
        TestDb t;
        FillSmallSchool(t);
        const TimetableTitle title(kSchool, 2025, 2);
        const auto exported = [&](ScheduleKind kind) {
            const QString file = nextFile();
            if (!ExportSchedule(t.db, kind, {}, file, 6, title))
                return XlsxSheet{};
            QString error;
            return ReadXlsx(file, &error).value(0);
        };
        const XlsxSheet total = exported(ScheduleKind::Total);
        QCOMPARE(total.title, QStringLiteral("全校总课表"));
        QCOMPARE(total.text("A1"), kSchool + " 2025—2026学年度第二学期总课程表");
        const XlsxSheet classes = exported(ScheduleKind::AllClasses);
        QCOMPARE(classes.title, QStringLiteral("班级课表"));
        QCOMPARE(classes.text("D1"), kSchool + " 2025—2026学年度第二学期     一(1)班");
    }

    void overview() {
        QFETCH(int, n);
        TestDb t;
        FillSmallSchool(t);
        const XlsxSheet s = exportSheet(t, ScheduleKind::Total, {}, n);
        const int lastCol = 5 * n + 1;
        QCOMPARE(s.text("A1"), kSchool + " 20    -- 20   学年度第  学期总课程表");
        QVERIFY(s.centred("A1"));
        QCOMPARE(s.page, QStringLiteral("paper=8 landscape fit=1x0 breaks="));

        QStringList merges = {QStringLiteral("A1:%1").arg(CellRef(1, lastCol)),
                              QStringLiteral("A3:A4")};
        for (int day = 1; day <= 5; ++day) {
            const int first = (day - 1) * n + 2;
            merges << CellRef(3, first) + ":" + CellRef(3, day * n + 1);
            QCOMPARE(s.text(CellRef(3, first)), kWeekdays[day - 1]);
        }
        merges.sort();
        QCOMPARE(s.merged, merges);
        if (n == 6) {
            for (int col : {2, 8, 14, 20, 26})
                QVERIFY(!s.text(CellRef(3, col)).isEmpty());
        }

        QCOMPARE(s.heights.value(1), 50.0);
        QCOMPARE(s.heights.value(3), 30.0);
        QCOMPARE(s.heights.value(4), 20.0);
        QVERIFY(s.widths.value(1) >= 10 && s.widths.value(1) < 11);
        for (int col = 2; col <= lastCol; ++col)
            QVERIFY(s.widths.value(col) >= 6 && s.widths.value(col) < 7);
        QVERIFY(!s.widths.contains(lastCol + 1));

        for (int col = 2; col <= lastCol; ++col)
            QCOMPARE(s.text(CellRef(4, col)), QString::number((col - 2) % n + 1));

        // One row per class from row 5, in class-code order.
        QCOMPARE(s.text("A5"), QStringLiteral("一1"));
        QCOMPARE(s.text("A6"), QStringLiteral("一2"));
        QCOMPARE(s.text("A7"), QStringLiteral("二1"));
        QVERIFY(!s.has("A8"));

        // Bordered header and class rows; double right edge after Monday to Thursday.
        auto rightEdge = [&](int col) {
            return col > 1 && col < lastCol && (col - 1) % n == 0 ? QString("double")
                                                                  : QString("thin");
        };
        for (int row : {4, 5, 6, 7}) {
            for (int col = row == 4 ? 2 : 1; col <= lastCol; ++col) { // A4 lies in A3:A4
                QVERIFY2(s.boxed(CellRef(row, col)), qPrintable(CellRef(row, col)));
                QCOMPARE(s.border(CellRef(row, col), "right"), rightEdge(col));
            }
        }
        // A merged weekday header is drawn with the outer edges of its cells.
        for (int day = 1; day <= 5; ++day) {
            const int first = (day - 1) * n + 2;
            const int last = day * n + 1;
            QCOMPARE(s.border(CellRef(3, first), "left"), QString("thin"));
            QCOMPARE(s.border(CellRef(3, last), "right"), rightEdge(last));
            for (int col = first; col <= last; ++col) {
                QCOMPARE(s.border(CellRef(3, col), "top"), QString("thin"));
                QCOMPARE(s.border(CellRef(3, col), "bottom"), QString("thin"));
            }
        }
        QVERIFY(s.boxed("A3"));

        // Tuesday lesson 3 of the first class: column (2 - 1) * n + 3 + 1.
        const QString tuesday3 = CellRef(5, n + 4);
        QCOMPARE(s.text(tuesday3), QStringLiteral("数\n李老师"));
        QVERIFY(s.wrap(tuesday3));
        if (n == 6)
            QCOMPARE(tuesday3, QStringLiteral("J5"));
        QCOMPARE(s.text(CellRef(5, 2)), QStringLiteral("语\n张老师"));
        if (n == 6) {
            // Friday lesson 6 is the last column; Thursday lesson 4 of 二1.
            QCOMPARE(s.text(CellRef(5, lastCol)), QStringLiteral("音\n李老师"));
        }
        QCOMPARE(s.text(CellRef(7, 3 * n + 4 + 1)), QStringLiteral("语\n张老师"));
        QVERIFY(s.heights.value(5) >= 30);
    }

    // A lesson beyond the lessons per day must not land in the next day's cells.
    void lessonOutsideTheWeekIsLeftOut() {
        TestDb t;
        FillSmallSchool(t);
        t.addLesson("12", 1, 7, "03", "T2", 2);
        const XlsxSheet total = exportSheet(t, ScheduleKind::Total, {}, 6);
        QCOMPARE(total.text("H6"), QString()); // Tuesday lesson 1 of 一2
        const XlsxSheet classes = exportSheet(t, ScheduleKind::Class, "一(2)班", 6);
        QVERIFY(!classes.has("B10"));
    }

    void resultCodes_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("expected");
        const auto classKind = int(ScheduleKind::Class);
        const auto totalKind = int(ScheduleKind::Total);
        QTest::newRow("class without lessons") << classKind << "空班"
                                               << "ok.xlsx"
                                               << "no lessons";
        QTest::newRow("unknown class") << classKind << "没有"
                                       << "ok.xlsx"
                                       << "no lessons";
        QTest::newRow("missing folder") << classKind << "一(1)班"
                                        << "nope/x.xlsx"
                                        << "not created";
        QTest::newRow("overview, missing folder") << totalKind << ""
                                                  << "nope/x.xlsx"
                                                  << "not created";
        QTest::newRow("a folder as target") << classKind << "一(1)班"
                                            << "folder"
                                            << "not created";
    }

    void resultCodes() {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QString, target);
        QFETCH(QString, expected);
        TestDb t;
        FillSmallSchool(t);
        t.addClass("31", "空班");
        QTemporaryDir out;
        QDir(out.path()).mkdir("folder");
        const QString file = out.filePath(target);
        QCOMPARE(outcome(t, ScheduleKind(kind), name, file), expected);
        if (expected == "no lessons")
            QVERIFY(!QFile::exists(file));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
    }

    void emptyClosedOrNoDataDatabase() {
        TestDb t;
        QCOMPARE(outcome(t, ScheduleKind::AllTeachers, {}, nextFile()), QString("no lessons"));
        QVERIFY(!WriteTotalWorkbook(nextFile(), {}, 6, kSchool));
        t.db.close();
        QVERIFY_THROWS_EXCEPTION(
            std::exception, (void)ExportSchedule(t.db, ScheduleKind::Total, {}, nextFile(), 6, {}));
    }

    // An existing file is replaced by a complete workbook, with nothing left
    // beside it; a failed export leaves it as it was.
    void replacesExistingFileOnlyOnSuccess() {
        TestDb t;
        FillSmallSchool(t);
        QTemporaryDir out;
        const QString file = out.filePath("课表.xlsx");
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents");
        old.close();

        t.addClass("31", "空班");
        QCOMPARE(outcome(t, ScheduleKind::Class, "空班", file), QString("no lessons"));
        QFile kept(file);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("old contents"));
        kept.close();

        QCOMPARE(outcome(t, ScheduleKind::Total, {}, file), QString("saved"));
        QString error;
        const QList<XlsxSheet> sheets = ReadXlsx(file, &error);
        QCOMPARE(sheets.size(), 1);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"课表.xlsx"});
        QVERIFY(QFileInfo(file).permissions() & QFile::WriteOwner);
    }
};

QTEST_GUILESS_MAIN(TestExportWorkbook)
#include "test_export_workbook.moc"
