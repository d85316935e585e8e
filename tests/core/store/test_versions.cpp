// Versions of the timetable: a generation undone by restoring the version kept
// before it, and undone again after a second generation; the newest twenty
// kept; lessons of deleted teachers left out; the command line; a file at the
// versions' name that is not theirs left alone, and the commands that replace
// the timetable stopping without their version.
#include "SchoolBuilder.h"
#include "TestDb.h"

#include "core/generation/BuildRandom.h"
#include "core/generation/BuildTimetable.h"
#include "core/model/DemoSchool.h"
#include "core/store/Lookups.h"
#include "core/store/SchoolWriter.h"
#include "core/store/TimetableVersions.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace {

// Lessons and plan counters, the state a version must give back exactly.
QString TimetableText(TestDb& t) {
    QStringList lines;
    for (const char* q :
         {"select ClassCode||'/'||Day||'/'||LessonNo||'/'||CourseCode||'/'||TeacherCode||'/'||"
          "SetFlag from LessonListtb order by rowid",
          "select ClassCode||'/'||CourseCode||'/'||TeacherCode||'/'||BuildCount||'/'||IsAutoBuild "
          "from ClassPlantb order by rowid"}) {
        SQLite::Statement st(t.db.sql(), q);
        while (st.executeStep())
            lines << QString::fromStdString(st.getColumn(0).getString());
        lines << QStringLiteral("--");
    }
    return lines.join('\n');
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

} // namespace

class TestVersions : public QObject {
    Q_OBJECT

private slots:
    void generationUndoneAndRedone() {
        TestDb t;
        WriteSchool(t.db, DemoSchool(DemoSize::Small, 4));
        const QString before = TimetableText(t);
        const long long preset = t.count("select count(*) from LessonListtb");
        QVERIFY(preset > 0); // the demo's class meetings

        KeepVersion(t.db, VersionCause::Generation);
        SeedBuildRandom();
        QVERIFY(BuildTimetable(t.db, Week::ofLessons(6)) >= 0);
        const QString generated = TimetableText(t);
        QVERIFY(generated != before);

        QList<TimetableVersion> versions = ListVersions(t.db);
        QCOMPARE(versions.size(), 1);
        QCOMPARE(versions[0].cause, VersionCause::Generation);
        QCOMPARE(versions[0].lessons, int(preset));
        RestoreVersion(t.db, versions[0].number);
        QCOMPARE(TimetableText(t), before);

        // The generated timetable was kept by the restore; a new generation and
        // then restoring it brings the first generation back.
        versions = ListVersions(t.db);
        QCOMPARE(versions.size(), 2);
        QVERIFY(versions[0].cause.startsWith(VersionCause::Restore));
        const int firstGeneration = versions[0].number;
        KeepVersion(t.db, VersionCause::Generation); // same as the newest: not kept twice
        QCOMPARE(ListVersions(t.db).size(), 3);      // differs from the newest (generated)
        SeedBuildRandom(77);
        QVERIFY(BuildTimetable(t.db, Week::ofLessons(6)) >= 0);
        RestoreVersion(t.db, firstGeneration);
        QCOMPARE(TimetableText(t), generated);
        QVERIFY(QFile::exists(VersionsFileName(t.path)));
        QVERIFY_THROWS_EXCEPTION(Failure, RestoreVersion(t.db, 999));
    }

    void keepsTheNewestTwentyOnce() {
        TestDb t;
        t.addClass("11", "一（1）班");
        t.addCourse("01", "语文");
        t.addTeacher("001", "张三");
        t.addPlan("11", "01", "001", 5);
        QVERIFY(tryKeepVersion(t.db, "a"));
        QVERIFY(tryKeepVersion(t.db, "b")); // unchanged timetable
        QCOMPARE(ListVersions(t.db).size(), 1);
        for (int i = 1; i <= 24; ++i) {
            t.addLesson("11", 1 + i % 5, 1 + i / 5, "01", "001", 2);
            KeepVersion(t.db, QString::number(i));
        }
        const QList<TimetableVersion> versions = ListVersions(t.db);
        QCOMPARE(versions.size(), kVersionsKept);
        QCOMPARE(versions.first().cause, QString("24"));
        QCOMPARE(versions.last().cause, QString("5"));
        QCOMPARE(versions.last().lessons, 5);
    }

    void deletedTeachersLessonsAreLeftOut() {
        TestDb t;
        addLists(t, {{"11", "一（1）班"}}, {{"01", "语文"}}, {{"001", "张三"}, {"002", "李四"}});
        t.addPlan("11", "01", "001", 2, 2, 1);
        t.addLesson("11", 1, 1, "01", "001", 1);
        t.addLesson("11", 1, 2, "01", "001", 1);
        t.addLesson("11", 2, 1, "01", "002", 2);
        KeepVersion(t.db, VersionCause::DeleteTimetable);
        DeleteAllLessons(t.db);
        t.exec("delete from Teachertb where Code='002'");
        const RestoreResult r = RestoreVersion(t.db, ListVersions(t.db).last().number);
        QCOMPARE(r.lessons, 2);
        QCOMPARE(r.skipped, 1);
        QCOMPARE(t.count("select BuildCount*10+IsAutoBuild from ClassPlantb"), 21LL);
    }

    void onlyLessonsTheCurrentPlanHasComeBack() {
        TestDb t;
        addLists(t, {{"11", "一（1）班"}}, {{"01", "语文"}, {"02", "数学"}},
                 {{"001", "张三"}, {"002", "李四"}});
        t.addPlan("11", "01", "001", 3, 3, 1);
        t.addPlan("11", "02", "001", 1, 1, 1);
        for (int day = 1; day <= 3; ++day)
            t.addLesson("11", day, 1, "01", "001", 1);
        t.addLesson("11", 1, 2, "02", "001", 1);
        t.addLesson("11", 4, 3, "01", "001", 0); // pre-set: kept first
        KeepVersion(t.db, VersionCause::DeleteTimetable);
        DeleteAllLessons(t.db);
        // Since then 数学 went to another teacher and 语文 dropped to 2 lessons.
        t.exec("update ClassPlantb set TeacherCode='002' where CourseCode='02'");
        t.exec("update ClassPlantb set Count=2 where CourseCode='01'");
        const RestoreResult r = RestoreVersion(t.db, ListVersions(t.db).last().number);
        QCOMPARE(r.lessons, 2);
        QCOMPARE(r.notInPlan, 1);
        QCOMPARE(r.overCount, 2);
        QCOMPARE(r.skippedLines().size(), 2);
        QCOMPARE(t.count("select count(*) from LessonListtb where SetFlag=0"), 1LL);
        QCOMPARE(t.count("select BuildCount from ClassPlantb where CourseCode='01'"), 2LL);
        QCOMPARE(t.count("select BuildCount from ClassPlantb where CourseCode='02'"), 0LL);
    }

    void commandLine() {
        TestDb t;
        WriteSchool(t.db, DemoSchool(DemoSize::Small, 6));
        const QString before = TimetableText(t);
        t.db.close();
        QString out;
        QCOMPARE(RunCli({"versions", t.path}, &out), 0);
        QVERIFY(out.contains("还没有"));
        QCOMPARE(RunCli({"generate", "--seed", "3", t.path}), 0);
        QCOMPARE(RunCli({"versions", t.path}, &out), 0);
        QVERIFY2(out.startsWith("1\t"), qPrintable(out));
        QVERIFY(out.contains(VersionCause::Generation));
        QCOMPARE(RunCli({"restore", t.path, "1"}), 0);
        QCOMPARE(RunCli({"restore", t.path, "9"}), 1);
        QCOMPARE(RunCli({"restore", t.path, "x"}), 2);
        QVERIFY(t.db.open(t.path));
        QCOMPARE(TimetableText(t), before);
    }

    // Another program's database, a document or a folder at {db}.versions:
    // nothing is written into it, and generate and complete stop before they
    // replace the timetable, unless told --no-version.
    void aForeignVersionsFileIsLeftAlone() {
        TestDb t;
        WriteSchool(t.db, DemoSchool(DemoSize::Small, 6));
        const QString before = TimetableText(t);
        const QString versions = VersionsFileName(t.path);
        auto bytesOf = [&] {
            QFile f(versions);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
        };
        {
            SQLite::Database other(QFile::encodeName(versions).toStdString(),
                                   SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
            other.exec("create table Notes (Text text)");
            other.exec("insert into Notes values ('not a timetable')");
        }
        const QByteArray foreign = bytesOf();
        QVERIFY_THROWS_EXCEPTION(Failure, KeepVersion(t.db, VersionCause::Generation));
        QVERIFY_THROWS_EXCEPTION(Failure, ListVersions(t.db));
        QCOMPARE(bytesOf(), foreign);

        t.db.close();
        QString out;
        QCOMPARE(RunCli({"generate", "--seed", "3", t.path}, &out), 1);
        QVERIFY2(out.contains("--no-version") && out.contains("不是本程序"), qPrintable(out));
        QCOMPARE(RunCli({"complete", "--seconds", "1", t.path}, &out), 1);
        QVERIFY2(out.contains("--no-version"), qPrintable(out));
        QVERIFY(t.db.open(t.path));
        QCOMPARE(TimetableText(t), before);
        t.db.close();
        QCOMPARE(bytesOf(), foreign);
        QCOMPARE(RunCli({"generate", "--seed", "3", "--no-version", t.path}, &out), 0);
        QCOMPARE(bytesOf(), foreign);

        QVERIFY(QFile::remove(versions));
        QVERIFY(t.db.open(t.path));
        for (const QByteArray& text :
             {QByteArray("plain notes\n"), QByteArray("SQLite format 3")}) {
            QFile f(versions);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(text);
            f.close();
            QVERIFY_THROWS_EXCEPTION(Failure, KeepVersion(t.db, VersionCause::Generation));
            QCOMPARE(bytesOf(), text);
        }
        QVERIFY(QFile::remove(versions));
        QVERIFY(QDir().mkdir(versions));
        QVERIFY_THROWS_EXCEPTION(Failure, KeepVersion(t.db, VersionCause::Generation));
        QVERIFY(QDir().rmdir(versions));
        KeepVersion(t.db, VersionCause::Generation); // its own file again
        QCOMPARE(ListVersions(t.db).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestVersions)
#include "test_versions.moc"
