// Safe file writing: a part file that is missing or short is never renamed
// over the target, the target keeps its content and permissions until a good
// file replaces it, and the clean-up removes only what dead processes left.
#include "core/config/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The part file a process `pid` would write for `name` in `folder`.
QString PartOf(const QString& folder, const QString& name, qint64 pid) {
    return QStringLiteral("%1/.%2.%3.kbxt-part").arg(folder, name).arg(pid);
}

// The part files (and any other hidden file) left in folder.
QStringList Hidden(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestSafeFile : public QObject {
    Q_OBJECT

private slots:
    // A part file shorter than asked for (a full disk cut it, or nothing was
    // written at all) fails the commit, is removed, and leaves the target as it was.
    void aShortOrMissingPartFileKeepsTheTarget_data() {
        QTest::addColumn<int>("written"); // -1: no part file at all
        QTest::addColumn<int>("minBytes");
        QTest::addColumn<bool>("commits");
        QTest::newRow("missing") << -1 << 1 << false;
        QTest::newRow("empty") << 0 << 1 << false;
        QTest::newRow("one byte short") << 99 << 100 << false;
        QTest::newRow("exactly the least") << 100 << 100 << true;
        QTest::newRow("empty allowed") << 0 << 0 << true;
    }
    void aShortOrMissingPartFileKeepsTheTarget() {
        QFETCH(int, written);
        QFETCH(int, minBytes);
        QFETCH(bool, commits);
        QTemporaryDir dir;
        const QString target = dir.filePath("week.pdf");
        Write(target, "the old file");
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ReadGroup | QFile::ReadOther));
        {
            SafeFile safe(target);
            QCOMPARE(safe.tempPath(),
                     PartOf(dir.path(), "week.pdf", QCoreApplication::applicationPid()));
            QVERIFY(!QFile::exists(safe.tempPath()));
            if (written >= 0)
                Write(safe.tempPath(), QByteArray(written, 'x'));
            if (commits) {
                safe.commit(minBytes);
            } else {
                try {
                    safe.commit(minBytes);
                    QFAIL("a short part file was committed");
                } catch (const Failure& e) {
                    QCOMPARE(e.file(), target);
                    QVERIFY(e.message().contains(QStringLiteral("原有文件没有改动")) ||
                            e.reason() == QStringLiteral("磁盘已满"));
                }
            }
        }
        QCOMPARE(Read(target), commits ? QByteArray(written, 'x') : QByteArray("the old file"));
        // The replacement keeps the permissions of the file it replaced.
        QCOMPARE(QFile::permissions(target) & (QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions(QFile::ReadOther));
        QCOMPARE(Hidden(dir.path()), QStringList());
    }

    // An abandoned SafeFile removes its part file and SQLite's side files of it.
    void anUncommittedPartFileIsRemoved() {
        QTemporaryDir dir;
        const QString target = dir.filePath("new.db");
        {
            SafeFile safe(target);
            for (const char* side : {"", "-journal", "-wal", "-shm"})
                Write(safe.tempPath() + side, "partial");
        }
        QVERIFY(!QFile::exists(target));
        QCOMPARE(Hidden(dir.path()), QStringList());
    }

    // The clean-up takes what a killed run left, never the part file of a
    // process that still runs (it may be writing it right now) nor our own,
    // nor any file that does not follow the part-file pattern.
    void onlyTheLeftoversOfDeadProcessesAreRemoved() {
        QTemporaryDir dir;
        const QString folder = dir.path();
        // A process that has ended: its pid is free (reuse within the test is
        // not to be feared); 999999999 lies above any pid the kernel hands out.
        QProcess ended;
        ended.start("true");
        QVERIFY(ended.waitForStarted(10000));
        const qint64 deadPid = ended.processId();
        QVERIFY(ended.waitForFinished(10000));
        QProcess live;
        live.start("sleep", {"60"});
        QVERIFY(live.waitForStarted(10000));
        auto stop = qScopeGuard([&] {
            live.kill();
            live.waitForFinished(10000);
        });

        const QString dead = PartOf(folder, "a.pdf", 999999999);
        const QString deadJournal = PartOf(folder, "b.db", 999999999) + "-journal";
        const QString ended1 = PartOf(folder, "c.xlsx", deadPid);
        const QString alive = PartOf(folder, "d.pdf", live.processId());
        const QString init = PartOf(folder, "e.pdf", 1); // pid 1 always runs
        const QString own = PartOf(folder, "f.pdf", QCoreApplication::applicationPid());
        const QString notOurs = folder + "/.g.pdf.abc.kbxt-part";
        const QString plain = folder + "/h.pdf";
        for (const QString& f : {dead, deadJournal, ended1, alive, init, own, notOurs, plain})
            Write(f, "x");

        RemoveStaleTempFiles(folder);
        for (const QString& gone : {dead, deadJournal, ended1})
            QVERIFY2(!QFile::exists(gone), qPrintable(gone));
        for (const QString& kept : {alive, init, own, notOurs, plain})
            QVERIFY2(QFile::exists(kept), qPrintable(kept));

        // Opening a SafeFile in the folder cleans it the same way.
        Write(dead, "x");
        { SafeFile safe(folder + "/z.pdf"); }
        QVERIFY(!QFile::exists(dead));
        QVERIFY(QFile::exists(alive));
    }

    // Targets that can never be written are refused before anything is made.
    void impossibleTargetsAreRefused() {
        QTemporaryDir dir;
        const auto refused = [](const QString& target, const QString& reason) {
            try {
                SafeFile safe(target);
            } catch (const Failure& e) {
                return e.reason() == reason;
            }
            return false;
        };
        QVERIFY(refused(QString(), QStringLiteral("没有给出文件名")));
        QVERIFY(refused(dir.path(), QStringLiteral("这是一个文件夹，不能写成文件")));
        QVERIFY(refused(dir.filePath("missing/a.pdf"), QStringLiteral("文件夹不存在")));
        QCOMPARE(Hidden(dir.path()), QStringList());
    }

    void aReadOnlyFolderIsRefused() {
        if (geteuid() == 0)
            QSKIP("root writes into a read-only folder all the same");
        QTemporaryDir dir;
        const QString folder = dir.filePath("locked");
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        auto unlock = qScopeGuard([&] {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        try {
            SafeFile safe(folder + "/a.pdf");
            QFAIL("a read-only folder was accepted");
        } catch (const Failure& e) {
            QCOMPARE(e.reason(), QStringLiteral("文件只读"));
        }
    }

    void sameFileSeesThroughLinksAndRelativePaths() {
        QTemporaryDir dir;
        const QString real = dir.filePath("kb.db");
        Write(real, "x");
        const QString link = dir.filePath("link.db");
        QVERIFY(QFile::link(real, link));
        QVERIFY(SameFile(real, link));
        QVERIFY(SameFile(real, QDir(QDir::currentPath()).relativeFilePath(real)));
        QVERIFY(!SameFile(real, dir.filePath("other.db")));
        QVERIFY(SameFile(dir.filePath("none.db"), dir.filePath("sub/../none.db")));
    }
};

QTEST_GUILESS_MAIN(TestSafeFile)
#include "test_safe_file.moc"
