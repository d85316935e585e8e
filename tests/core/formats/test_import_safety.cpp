// What the import refuses, with nothing written: names with invisible or
// control characters (and check's report of those already stored), cells a
// formula computed, damaged or mislabelled files, files that would take more
// memory than a school's lists ever need, codes past ten characters and a
// workbook with nothing it recognises. The workbooks are written here, part by
// part, so each can be broken in exactly one way.
#include "TestDb.h"

#include "core/formats/SchoolImport.h"
#include "core/formats/SheetReader.h"
#include "core/model/TextRules.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <zip.h>

namespace {

int RunCli(const QStringList& args, QString* out = nullptr) {
    QProcess p;
    p.start(qEnvironmentVariable("KBXT_BINARY_DIR") + "/bin/kbxt-cli", args);
    if (!p.waitForFinished(60000))
        return -1000;
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1001;
}

bool WriteZip(const QString& path, const QList<QPair<QByteArray, QByteArray>>& parts) {
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool ok = true;
    for (const auto& [name, bytes] : parts) {
        ok = ok &&
             zipOpenNewFileInZip64(zip, name.constData(), nullptr, nullptr, 0, nullptr, 0, nullptr,
                                   Z_DEFLATED, Z_BEST_COMPRESSION, 1) == ZIP_OK &&
             zipWriteInFileInZip(zip, bytes.constData(), static_cast<unsigned>(bytes.size())) ==
                 ZIP_OK &&
             zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

// A workbook of sheets given as their <sheetData> rows; each sheet gets its
// own part unless `target` names one part for all of them.
bool WriteBook(const QString& path, const QList<QPair<QString, QByteArray>>& sheets,
               const QByteArray& sharedStrings = {}, const QByteArray& target = {}) {
    QByteArray book = "<workbook xmlns:r=\"r\"><sheets>";
    QByteArray rels = "<Relationships>";
    QList<QPair<QByteArray, QByteArray>> parts;
    for (int i = 0; i < sheets.size(); ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        const QByteArray part = target.isEmpty() ? "worksheets/sheet" + n + ".xml" : target;
        book += "<sheet name=\"" + sheets[i].first.toUtf8() + "\" sheetId=\"" + n +
                "\" r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n + "\" Target=\"" + part + "\"/>";
        if (target.isEmpty() || i == 0)
            parts.append({"xl/" + part, "<worksheet><sheetData>" + sheets[i].second +
                                            "</sheetData></worksheet>"});
    }
    parts.append({"xl/workbook.xml", book + "</sheets></workbook>"});
    parts.append({"xl/_rels/workbook.xml.rels", rels + "</Relationships>"});
    if (!sharedStrings.isEmpty())
        parts.append({"xl/sharedStrings.xml", sharedStrings});
    return WriteZip(path, parts);
}

// One row of inline-string cells.
QByteArray Row(int r, const QStringList& cells) {
    QByteArray x = "<row r=\"" + QByteArray::number(r) + "\">";
    for (const QString& c : cells)
        x += "<c t=\"inlineStr\"><is><t>" + c.toUtf8() + "</t></is></c>";
    return x + "</row>";
}

const QByteArray kTeacherHeading = Row(1, {"老师代码", "老师姓名"});

bool HasProblem(const ImportPreview& p, int row, const QString& part) {
    for (const ImportProblem& e : p.problems)
        if (e.row == row && e.reason.contains(part))
            return true;
    return false;
}

QString FailureOf(const QString& file) {
    try {
        ReadSheets(file);
    } catch (const Failure& e) {
        return e.message();
    }
    return QStringLiteral("(read without complaint)");
}

} // namespace

class TestImportSafety : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // The one rule of the entry windows and the import: every control,
    // format (Cf) and separator character, told by its code point.
    void hiddenCharacters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("found"); // empty: a good name
        QTest::newRow("plain") << "马宇"
                               << "";
        QTest::newRow("brackets and latin") << "一（1）班 Zoë"
                                            << "";
        QTest::newRow("zero width space") << "马\u200b宇"
                                          << "U+200B";
        QTest::newRow("byte order mark") << "马\ufeff宇"
                                         << "U+FEFF";
        QTest::newRow("left-to-right mark") << "马宇\u200e"
                                            << "U+200E";
        QTest::newRow("right-to-left override") << "\u202e马宇"
                                                << "U+202E";
        QTest::newRow("line separator") << "马\u2028宇"
                                        << "U+2028";
        QTest::newRow("paragraph separator") << "马\u2029宇"
                                             << "U+2029";
        QTest::newRow("tab") << "马\t宇"
                             << "U+0009";
        QTest::newRow("tag character") << QString::fromUcs4(U"马\U000E0041") << "U+E0041";
    }
    void hiddenCharacters() {
        QFETCH(QString, text);
        QFETCH(QString, found);
        QCOMPARE(HasControlCharacter(text), !found.isEmpty());
        if (found.isEmpty())
            return;
        QVERIFY2(ControlCharacterMessage(text).contains(found),
                 qPrintable(ControlCharacterMessage(text)));

        TestDb t;
        t.addClass("11", "一（1）班");
        const ImportPreview p = PrepareImport(
            t.db, {{"老师", {{"老师代码", "老师姓名"}, {"001", text}, {"002", "王芳"}}},
                   {"教学计划", {{"班级", "课程", "老师", "节数"}, {"11", "语文", text, "5"}}}});
        QVERIFY2(HasProblem(p, 2, found), qPrintable(PreviewText(p).join('\n')));
        QCOMPARE(p.problems.size(), 2);
    }

    // A name stored before the rule is reported by check, which then exits 1.
    void checkReportsStoredHiddenCharacters() {
        TestDb t;
        t.addTeacher("001", "马宇");
        t.db.close();
        QCOMPARE(RunCli({"check", t.path}), 0);
        QVERIFY(t.db.open(t.path));
        t.addTeacher("002", "马\u200b宇");
        t.db.close();
        QString out;
        QCOMPARE(RunCli({"check", t.path}, &out), 1);
        QVERIFY2(out.contains("老师 002") && out.contains("U+200B"), qPrintable(out));
    }

    // What a formula computed is no name: error values and booleans, as the
    // workbook types them (t="e", t="b") or as text.
    void formulaValuesAreNoNames() {
        const QString file = m_dir.filePath("formulas.xlsx");
        QVERIFY(
            WriteBook(file, {{"老师", kTeacherHeading +
                                          "<row r=\"2\"><c t=\"inlineStr\"><is><t>001</t></is>"
                                          "</c><c t=\"e\"><f>1/0</f><v>#DIV/0!</v></c></row>"
                                          "<row r=\"3\"><c t=\"inlineStr\"><is><t>002</t></is>"
                                          "</c><c t=\"b\"><v>1</v></c></row>" +
                                          Row(4, {"003", "#N/A"}) + Row(5, {"004", "#REF!"}) +
                                          Row(6, {"005", "false"}) + Row(7, {"006", "王芳"})}}));
        TestDb t;
        const ImportPreview p = PrepareImport(t.db, ReadSheets(file));
        const QString all = PreviewText(p).join('\n');
        QVERIFY2(HasProblem(p, 2, "「#DIV/0!」是公式的错误值"), qPrintable(all));
        QVERIFY2(HasProblem(p, 3, "「TRUE」是逻辑值"), qPrintable(all));
        QVERIFY2(HasProblem(p, 4, "#N/A"), qPrintable(all));
        QVERIFY2(HasProblem(p, 5, "#REF!"), qPrintable(all));
        QVERIFY2(HasProblem(p, 6, "逻辑值"), qPrintable(all));
        QCOMPARE(p.problems.size(), 5);
    }

    // Damaged parts and mislabelled text are refused, never read as names.
    void brokenFilesAreRefused() {
        const QString damaged = m_dir.filePath("damaged.xlsx");
        QVERIFY(WriteBook(damaged,
                          {{"老师", kTeacherHeading + "<row r=\"2\"><c t=\"s\"><v>0</v>"
                                                      "</c><c t=\"s\"><v>1</v></c></row>"}},
                          "<sst><si><t>001</t></si><si><t>张"));
        QVERIFY2(FailureOf(damaged).contains("已损坏"), qPrintable(FailureOf(damaged)));

        const QString missing = m_dir.filePath("missing-string.xlsx");
        QVERIFY(WriteBook(missing,
                          {{"老师", kTeacherHeading + "<row r=\"2\"><c t=\"s\"><v>7</v>"
                                                      "</c></row>"}},
                          "<sst><si><t>001</t></si></sst>"));
        QVERIFY2(FailureOf(missing).contains("已损坏"), qPrintable(FailureOf(missing)));

        // A byte-order mark says UTF-8, the rest is GBK: 老师代码,老师姓名 / 001,张三.
        const QString mislabelled = m_dir.filePath("mislabelled.csv");
        QFile f(mislabelled);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("\xEF\xBB\xBF") +
                QByteArray::fromHex("c0cfcaa6b4fac2eb2cc0cfcaa6d0d5c3fb0d0a3030312cd5c5c8fd0d0a"));
        f.close();
        QVERIFY2(FailureOf(mislabelled).contains("UTF-8"), qPrintable(FailureOf(mislabelled)));
        TestDb t;
        t.db.close();
        QCOMPARE(RunCli({"import", t.path, mislabelled}), 1);
        QCOMPARE(RunCli({"import", t.path, damaged}), 1);
    }

    // Caps keep any file small in memory; within them Excel's own row limit
    // holds, even for an empty formatted row far down a notes sheet.
    void sizeCaps() {
        // Thousands of tiny rows compress to a few kilobytes: sheets pointing at
        // one part, or many such parts, would unpack to gigabytes.
        QByteArray rows;
        for (int i = 0; i < 400000; ++i)
            rows += "<row><c><v>1</v></c></row>";
        const QString samePart = m_dir.filePath("same-part.xlsx");
        QList<QPair<QString, QByteArray>> many;
        for (int i = 0; i < 30; ++i)
            many.append({QStringLiteral("表%1").arg(i), rows});
        QVERIFY(WriteBook(samePart, many, {}, "worksheets/sheet1.xml"));
        QVERIFY(QFileInfo(samePart).size() < 64 * 1024);
        QVERIFY2(FailureOf(samePart).contains("已损坏"), qPrintable(FailureOf(samePart)));
        const QString manyParts = m_dir.filePath("many-parts.xlsx");
        QVERIFY(WriteBook(manyParts, many.mid(0, 6)));
        QVERIFY2(FailureOf(manyParts).contains("文件太大"), qPrintable(FailureOf(manyParts)));

        QByteArray strings = "<sst>";
        for (int i = 0; i < 200001; ++i)
            strings += "<si><t>a</t></si>";
        const QString manyStrings = m_dir.filePath("many-strings.xlsx");
        QVERIFY(WriteBook(manyStrings, {{"老师", kTeacherHeading}}, strings + "</sst>"));
        QVERIFY2(FailureOf(manyStrings).contains("文件太大"), qPrintable(FailureOf(manyStrings)));

        const QString wide = m_dir.filePath("wide.csv");
        QFile f(wide);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1500000, ','));
        f.close();
        QVERIFY2(FailureOf(wide).contains("文件太大"), qPrintable(FailureOf(wide)));
        const QString big = m_dir.filePath("big.csv");
        f.setFileName(big);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(9 * 1024 * 1024, 'a'));
        f.close();
        QVERIFY2(FailureOf(big).contains("文件太大"), qPrintable(FailureOf(big)));

        const QString far = m_dir.filePath("far-rows.xlsx");
        QVERIFY(WriteBook(far, {{"老师", kTeacherHeading + Row(2, {"001", "王芳"})},
                                {"说明", Row(1, {"请勿修改表头"}) +
                                             "<row r=\"100000\" s=\"1\" customFormat=\"1\"/>" +
                                             Row(1048576, {"完"})}}));
        const QList<SheetTable> sheets = ReadSheets(far);
        QCOMPARE(sheets.size(), 2);
        QCOMPARE(sheets[1].rows.size(), 1048576);
        TestDb t;
        QVERIFY(!PrepareImport(t.db, sheets).hasProblems());
        const QString beyond = m_dir.filePath("beyond.xlsx");
        QVERIFY(WriteBook(beyond, {{"说明", Row(1048577, {"完"})}}));
        QVERIFY2(FailureOf(beyond).contains("已损坏"), qPrintable(FailureOf(beyond)));
    }

    // New codes follow the highest, but never grow past ten characters.
    void newCodesStayWithinTen() {
        TestDb t;
        t.addTeacher("9999999999", "王芳");
        const ImportPreview p =
            PrepareImport(t.db, {{"老师", {{"老师代码", "老师姓名"}, {"", "李明"}}}});
        QVERIFY2(!p.hasProblems(), qPrintable(PreviewText(p).join('\n')));
        QCOMPARE(p.additions.records.size(), 1);
        QVERIFY2(p.additions.records[0].second.code.size() <= 10,
                 qPrintable(p.additions.records[0].second.code));
    }

    // A file with nothing the import recognises is refused (exit 3), not
    // imported as nothing.
    void nothingRecognisedIsRefused() {
        const QString notes = m_dir.filePath("说明.csv");
        QFile f(notes);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("请先填写,再导入\n");
        f.close();
        TestDb t;
        t.db.close();
        QString out;
        QCOMPARE(RunCli({"import", t.path, notes}, &out), 3);
        QVERIFY2(out.contains("没有认出任何一种名单"), qPrintable(out));
    }
};

QTEST_GUILESS_MAIN(TestImportSafety)
#include "test_import_safety.moc"
