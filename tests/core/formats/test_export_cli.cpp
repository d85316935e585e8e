// kbxt-cli export as a script uses it: exit codes, the file it writes, and
// an existing file left alone unless --force.
#include "ExportFixture.h"
#include "XlsxReader.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestExportCli : public QObject {
    Q_OBJECT

    QString m_dbPath;
    std::unique_ptr<TestDb> m_school;
    QTemporaryDir m_out;
    int m_file = 0;

    static int Run(const QStringList& args, QString* err = nullptr) {
        QProcess p;
        p.start(qEnvironmentVariable("KBXT_BINARY_DIR") + "/bin/kbxt-cli",
                QStringList{"export"} + args);
        if (!p.waitForFinished(60000))
            return -1000;
        if (err)
            *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1001;
    }

    static QByteArray Contents(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase() {
        m_school = std::make_unique<TestDb>();
        FillSmallSchool(*m_school);
        m_school->addClass("31", "空班");
        m_dbPath = m_school->path;
        m_school->db.close(); // the tool opens the file exclusively
    }

    void exitCodes_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("all classes") << QStringList{"--all-classes"} << 0;
        QTest::newRow("one class") << QStringList{"--class", "一(1)班"} << 0;
        QTest::newRow("one teacher") << QStringList{"--teacher", "张老师"} << 0;
        QTest::newRow("word total") << QStringList{"total", "--lessons-per-day", "7"} << 0;
        QTest::newRow("class without lessons") << QStringList{"--class", "空班"} << 2;
        QTest::newRow("unknown class") << QStringList{"--class", "没有"} << 2;
        QTest::newRow("unknown teacher") << QStringList{"--teacher", "没有"} << 2;
        QTest::newRow("two selections") << QStringList{"--total", "--all-classes"} << 2;
        QTest::newRow("no selection") << QStringList{} << 2;
        QTest::newRow("8 lessons") << QStringList{"--total", "--lessons-per-day", "8"} << 2;
        QTest::newRow("unknown option") << QStringList{"--total", "--pdf"} << 2;
    }

    void exitCodes() {
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        const QString out = m_out.filePath(QStringLiteral("e%1.xlsx").arg(++m_file));
        QString err;
        QCOMPARE(Run(options + QStringList{m_dbPath, out}, &err), exitCode);
        QCOMPARE(QFile::exists(out), exitCode == 0);
        if (exitCode != 0)
            QVERIFY(!err.isEmpty());
    }

    void missingDatabaseFails() {
        const QString out = m_out.filePath("missing.xlsx");
        QCOMPARE(Run({"--total", m_out.filePath("none.db"), out}), 1);
        QVERIFY(!QFile::exists(out));
    }

    void existingFileNeedsForce() {
        const QString out = m_out.filePath("kept.xlsx");
        QFile f(out);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep me");
        f.close();
        QCOMPARE(Run({"--total", m_dbPath, out}), 1);
        QCOMPARE(Contents(out), QByteArray("keep me"));
        QCOMPARE(Run({"--total", "--force", m_dbPath, out}), 0);
        QVERIFY(Contents(out).startsWith("PK")); // a zip container now
    }

    // The options reach the workbook: lessons per day and the school name.
    void optionsReachTheWorkbook() {
        QString why;
        if (!XlsxReaderAvailable(&why))
            QSKIP(qPrintable(why));
        const QString out = m_out.filePath("options.xlsx");
        QCOMPARE(Run({"--class", "一(1)班", "--lessons-per-day", "7", "--school", "二小", m_dbPath,
                      out}),
                 0);
        QString error;
        const QList<XlsxSheet> sheets = ReadXlsx(out, &error);
        QCOMPARE(sheets.size(), 1);
        QCOMPARE(sheets[0].title, QStringLiteral("班级课表"));
        QCOMPARE(sheets[0].text("D1"), QStringLiteral("二小     一(1)班"));
        QCOMPARE(sheets[0].text("A10"), QStringLiteral("7"));
    }
};

QTEST_GUILESS_MAIN(TestExportCli)
#include "test_export_cli.moc"
