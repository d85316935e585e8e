// The generated timetables of the demo schools, pinned: the lessons in the
// order they were stored, every plan row's counters and the completion rate,
// for each size with 6 and 7 lessons a day and two seeds. Any change to the
// generator's choices or to the order of its random draws shows up here.
//
// KBXT_WRITE_GOLDEN=1 rewrites the files instead of comparing (only when the
// timetable is meant to change).
#include "TestDb.h"
#include "core/generation/BuildRandom.h"
#include "core/generation/BuildTimetable.h"
#include "core/model/DemoSchool.h"
#include "core/store/SchoolWriter.h"
#include "core/store/Sql.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

QString goldenDir() {
    return qEnvironmentVariable("KBXT_SOURCE_DIR") +
           QStringLiteral("/tests/core/generation/golden");
}

// One line per plan row and per lesson, in rowid order.
QString dump(TestDb& t, int rate) {
    QStringList lines{QStringLiteral("rate %1").arg(rate), QStringLiteral("plan")};
    {
        SQLite::Statement st(t.db.sql(), "select ClassCode,CourseCode,TeacherCode,Count,"
                                         "BuildCount,IsAutoBuild from ClassPlantb order by rowid");
        while (st.executeStep()) {
            QStringList f;
            for (int i = 0; i < 6; ++i)
                f << sql::text(st.getColumn(i));
            lines << f.join(' ');
        }
    }
    lines << QStringLiteral("lessons");
    SQLite::Statement st(t.db.sql(), "select ClassCode,Day,LessonNo,CourseCode,TeacherCode,"
                                     "SetFlag from LessonListtb order by rowid");
    while (st.executeStep()) {
        QStringList f;
        for (int i = 0; i < 6; ++i)
            f << sql::text(st.getColumn(i));
        lines << f.join(' ');
    }
    return lines.join('\n') + '\n';
}

// The first differing line, to make a failure readable.
QString firstDifference(const QString& expected, const QString& actual) {
    const QStringList a = expected.split('\n'), b = actual.split('\n');
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i)
        if (a.value(i) != b.value(i))
            return QStringLiteral("line %1: expected \"%2\", got \"%3\"")
                .arg(i + 1)
                .arg(a.value(i), b.value(i));
    return {};
}

} // namespace

class TestGolden : public QObject {
    Q_OBJECT
private slots:
    void demoTimetablesAreUnchanged_data();
    void demoTimetablesAreUnchanged();
};

void TestGolden::demoTimetablesAreUnchanged_data() {
    QTest::addColumn<QString>("size");
    QTest::addColumn<int>("lessonsPerDay");
    QTest::addColumn<uint>("seed");
    for (const char* size : {"small", "medium", "large"})
        for (int lessonsPerDay : {6, 7})
            for (uint seed : {uint(kDefaultBuildSeed), 20260901u}) {
                const QString name = QStringLiteral("%1-%2-%3")
                                         .arg(QLatin1String(size))
                                         .arg(lessonsPerDay)
                                         .arg(seed);
                QTest::newRow(qPrintable(name))
                    << QString::fromLatin1(size) << lessonsPerDay << seed;
            }
}

void TestGolden::demoTimetablesAreUnchanged() {
    QFETCH(QString, size);
    QFETCH(int, lessonsPerDay);
    QFETCH(uint, seed);
    DemoSize demo{};
    QVERIFY(ParseDemoSize(size, demo));
    TestDb t;
    // The seed makes the school and starts the generator, as `kbxt-cli demo
    // --seed N` followed by `kbxt-cli generate --seed N` would.
    WriteSchool(t.db, DemoSchool(demo, seed));
    SeedBuildRandom(seed);
    const int rate = BuildTimetable(t.db, Week::ofLessons(lessonsPerDay));
    QVERIFY(rate > 0);
    const QString actual = dump(t, rate);

    const QString path =
        goldenDir() + QStringLiteral("/%1-%2-%3.txt").arg(size).arg(lessonsPerDay).arg(seed);
    QFile file(path);
    if (qEnvironmentVariableIntValue("KBXT_WRITE_GOLDEN") == 1) {
        QDir().mkpath(goldenDir());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(actual.toUtf8());
        return;
    }
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QString expected = QString::fromUtf8(file.readAll());
    QVERIFY2(actual == expected, qPrintable(path + ": " + firstDifference(expected, actual)));
}

QTEST_GUILESS_MAIN(TestGolden)
#include "test_golden.moc"
