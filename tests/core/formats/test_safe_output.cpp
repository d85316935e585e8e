// Files given to kbxt-cli are never lost: the database is never an output, an
// existing output is replaced only with --force and only by a complete file, a
// foreign or empty file is refused unchanged, and killed runs' leftovers go.
#include "ExportFixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <SQLiteCpp/SQLiteCpp.h>
#include <unistd.h>

namespace {

struct Run {
    int code = -1;
    QString err;
};

Run Cli(const QStringList& args) {
    QProcess p;
    p.start(qEnvironmentVariable("KBXT_BINARY_DIR") + "/bin/kbxt-cli", args);
    Run r;
    if (!p.waitForFinished(120000))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QByteArray Sum(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return "missing";
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

void Write(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QStringList Leftovers(const QString& folder) {
    return QDir(folder).entryList({"*kbxt-part*", "*-wal", "*-shm", "*-journal"},
                                  QDir::Files | QDir::Hidden);
}

} // namespace

class TestSafeOutput : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDb> m_school;
    QString m_db;

private slots:
    void initTestCase() {
        m_school = std::make_unique<TestDb>();
        FillSmallSchool(*m_school);
        m_db = m_school->path;
        m_school->db.close(); // the tool opens the file exclusively
    }

    void theDatabaseAndExistingFilesAreKept() {
        QTemporaryDir out;
        const QByteArray db = Sum(m_db);
        Run r = Cli({"print", "--total", "--xml", out.filePath("a.xml"), "--pdf", m_db, m_db});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("不能是正在读取的课表数据库"), qPrintable(r.err));
        r = Cli({"print", "--total", "--force", "--xml", m_db, m_db});
        QCOMPARE(r.code, 1);
        r = Cli({"export", "--total", "--force", m_db, m_db});
        QCOMPARE(r.code, 1);
        r = Cli({"export", "--template", "--force", m_db, m_db});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("不能是正在读取的课表数据库"), qPrintable(r.err));
        QCOMPARE(Sum(m_db), db);

        const QString pdf = out.filePath("old.pdf");
        Write(pdf, "the old PDF");
        const QStringList print = {
            "print", "--all-classes", "--xml", out.filePath("b.xml"), "--pdf", pdf, m_db};
        r = Cli(print);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("--force") && r.err.contains(pdf), qPrintable(r.err));
        QFile kept(pdf);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("the old PDF"));
        kept.close();
        QStringList forced = print;
        forced.insert(1, "--force");
        r = Cli(forced);
        QCOMPARE(r.code, 0);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QVERIFY(kept.read(5) == "%PDF-");
        QVERIFY(Leftovers(out.path()).isEmpty());
    }

    void aFullDiskKeepsTheOldFiles() {
        if (geteuid() != 0)
            QSKIP("mounting a small file system needs root");
        QTemporaryDir mount;
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", mount.path()}) !=
            0)
            QSKIP("cannot mount a small file system here");
        auto unmount = qScopeGuard([&] { QProcess::execute("umount", {mount.path()}); });
        const QString pdf = mount.filePath("week.pdf");
        const QString xml = mount.filePath("week.xml");
        const QString xlsx = mount.filePath("week.xlsx");
        for (const QString& f : {pdf, xml, xlsx})
            Write(f, "the old file");
        // Fill the disk but for a few kilobytes.
        QFile filler(mount.filePath("filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(1024, 'x')) == 1024 && filler.flush())
            ;
        filler.close();
        filler.resize(filler.size() - 6 * 1024);

        QTemporaryDir roomy;
        const Run print = Cli(
            {"print", "--total", "--force", "--xml", roomy.filePath("t.xml"), "--pdf", pdf, m_db});
        QCOMPARE(print.code, 1);
        QVERIFY2(print.err.contains("磁盘已满：" + pdf), qPrintable(print.err));
        // The print document may still fit; if it does not, the old one stays.
        if (Cli({"print", "--all-classes", "--force", "--xml", xml, m_db}).code != 0)
            QCOMPARE(Sum(xml),
                     QCryptographicHash::hash("the old file", QCryptographicHash::Sha256));
        const Run book = Cli({"export", "--all-classes", "--force", m_db, xlsx});
        QCOMPARE(book.code, 1);
        QVERIFY2(book.err.contains("磁盘已满：" + xlsx), qPrintable(book.err));
        for (const QString& f : {pdf, xlsx}) {
            QFile kept(f);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), QByteArray("the old file"));
        }
        QVERIFY2(Leftovers(mount.path()).isEmpty(), qPrintable(Leftovers(mount.path()).join(' ')));
    }

    void foreignAndEmptyFilesAreRefusedUnchanged() {
        QTemporaryDir dir;
        const QString foreign = dir.filePath("photos.db");
        {
            SQLite::Database other(foreign.toStdString(),
                                   SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
            other.exec("create table Classtb(Code, Name)"); // one table alike is not enough
            other.exec("create table Album(x)");
        }
        const QString empty = dir.filePath("empty.db");
        Write(empty, {});
        const QString letter = dir.filePath("letter.db");
        Write(letter, "Dear headmaster, ...");
        for (const QString& file : {foreign, empty, letter}) {
            const QByteArray before = Sum(file);
            const QList<QStringList> commands = {
                {"check", file},
                {"generate", file},
                {"print", "--total", "--xml", dir.filePath("x.xml"), file},
                {"export", "--total", file, dir.filePath("x.xlsx")}};
            for (const QStringList& command : commands) {
                const Run r = Cli(command);
                QVERIFY2(r.code != 0, qPrintable(command.join(' ')));
                QVERIFY2(r.err.contains("不是课表数据库：" + file), qPrintable(r.err));
            }
            TimetableDb db;
            QVERIFY(!db.open(file));
            QCOMPARE(Sum(file), before);
        }
        QVERIFY(Leftovers(dir.path()).isEmpty());
        QVERIFY(!QFile::exists(dir.filePath("x.xml")));
        QVERIFY(!QFile::exists(dir.filePath("x.xlsx")));
    }

    void leftoversOfAKilledRunAreRemoved() {
        QTemporaryDir out;
        // The name a killed export of this file would have left, by a process now gone.
        QProcess gone;
        gone.start("true");
        QVERIFY(gone.waitForStarted());
        const qint64 pid = gone.processId();
        QVERIFY(gone.waitForFinished());
        const QString leftover = out.filePath(QStringLiteral(".week.xlsx.%1.kbxt-part").arg(pid));
        Write(leftover, "half a workbook");
        const Run r = Cli({"export", "--total", m_db, out.filePath("week.xlsx")});
        QCOMPARE(r.code, 0);
        QVERIFY(!QFile::exists(leftover));
        QVERIFY(QFile::exists(out.filePath("week.xlsx")));
    }
};

QTEST_GUILESS_MAIN(TestSafeOutput)
#include "test_safe_output.moc"
