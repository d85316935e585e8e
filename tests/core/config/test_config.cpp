#include "core/config/AppConfig.h"
#include "core/config/AppPaths.h"
#include "core/config/IniFile.h"
#include "core/store/LessonsPerDay.h"
#include "core/store/Schema.h"
#include "core/store/TimetableDb.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <utility>

namespace {
void writeFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}
QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestConfig : public QObject {
    Q_OBJECT
private slots:
    void init();
    void readsMatchKeysWithoutCase_data();
    void readsMatchKeysWithoutCase();
    void writeReplacesOneKeyAndKeepsTheRest();
    void writeCreatesTheFileAndSection();
    void settingsFallBackToDefaults();
    void schoolYearAndTermBesideTheName();
    void anUnreadableTimetableNeverCostsLessons();

private:
    QTemporaryDir m_home;
};

void TestConfig::init() {
    QVERIFY(m_home.isValid());
    qputenv("KBXT_HOME", m_home.path().toUtf8());
    QFile::remove(IniFilePath());
}

void TestConfig::readsMatchKeysWithoutCase_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("number");
    QTest::newRow("plain") << QByteArray("[LESSON]\nLESSON_OF_DAY=7\n") << "7" << 7;
    QTest::newRow("case and blanks")
        << QByteArray("[lesson]\r\n  lesson_of_day = 7 \r\n") << "7" << 7;
    QTest::newRow("leading digits") << QByteArray("[LESSON]\nLESSON_OF_DAY=7x\n") << "7x" << 7;
    QTest::newRow("no digits") << QByteArray("[LESSON]\nLESSON_OF_DAY=abc\n") << "abc" << 0;
    QTest::newRow("other section") << QByteArray("[DB]\nLESSON_OF_DAY=7\n") << "" << 6;
    QTest::newRow("comment") << QByteArray("[LESSON]\n;LESSON_OF_DAY=7\n") << "" << 6;
    QTest::newRow("bom") << QByteArray("\xEF\xBB\xBF[LESSON]\nLESSON_OF_DAY=7\n") << "7" << 7;
}

void TestConfig::readsMatchKeysWithoutCase() {
    QFETCH(QByteArray, content);
    QFETCH(QString, value);
    QFETCH(int, number);
    writeFile(IniFilePath(), content);
    IniFile ini(IniFilePath());
    QCOMPARE(ini.readString("LESSON", "LESSON_OF_DAY"), value);
    QCOMPARE(ini.readInt("LESSON", "LESSON_OF_DAY", 6), number);
}

void TestConfig::writeReplacesOneKeyAndKeepsTheRest() {
    writeFile(IniFilePath(), "; 排课软件的设置\n[DB]\nFILENAME=/old/kb.db\nOTHER=1\n\n[LESSON]\n"
                             "LESSON_OF_DAY=6\n");
    QVERIFY(WriteDbFileName("/新/学校.db"));
    QVERIFY(WriteSchoolName("  阳光小学 "));
    const QString text = QString::fromUtf8(readFile(IniFilePath()));
    QVERIFY(text.startsWith("; 排课软件的设置\r\n[DB]\r\nFILENAME=/新/学校.db\r\nOTHER=1\r\n"));
    QVERIFY(text.contains("[LESSON]\r\nLESSON_OF_DAY=6"));
    QCOMPARE(GetDbFileName(), QString("/新/学校.db"));
    QCOMPARE(GetSchoolName(), QString("阳光小学"));
    QCOMPARE(MakeSystemTitle(GetSchoolName()), QString("阳光小学排课软件系统"));
    QVERIFY(WriteLessonOfDay(7));
    QCOMPARE(GetLessonOfDay(), QString("7"));
    QCOMPARE(text.count("FILENAME"), 1);
}

void TestConfig::writeCreatesTheFileAndSection() {
    QVERIFY(!QFile::exists(IniFilePath()));
    QVERIFY(WriteLessonOfDay(7));
    QCOMPARE(readFile(IniFilePath()), QByteArray("[LESSON]\r\nLESSON_OF_DAY=7\r\n"));
    // A file that cannot be written reports failure.
    IniFile bad(m_home.filePath("no/such/dir/kbxt.ini"));
    QVERIFY(!bad.writeString("DB", "FILENAME", "x"));
    // A line break would write lines, even sections, of its own.
    const QByteArray before = readFile(IniFilePath());
    QVERIFY(!WriteSchoolName("阳光小学\n[DB]\nFILENAME=/tmp/x.db"));
    QVERIFY(!WriteDbFileName("/a\r/b.db"));
    QCOMPARE(readFile(IniFilePath()), before);
}

void TestConfig::settingsFallBackToDefaults() {
    QCOMPARE(GetDbFileName(), m_home.path() + "/kb.db");
    QCOMPARE(GetLessonOfDay(), QString("6"));
    QCOMPARE(GetSchoolName(), QString());
    writeFile(IniFilePath(), "[DB]\nFILENAME=   \n");
    QCOMPARE(GetDbFileName(), DefaultDbFileName());
}

void TestConfig::schoolYearAndTermBesideTheName() {
    QCOMPARE(GetSchoolYear(), 0);
    QCOMPARE(GetSchoolTerm(), 0);
    QVERIFY(WriteSchoolName("阳光小学"));
    QVERIFY(WriteSchoolTerm(2025, 2));
    QCOMPARE(readFile(IniFilePath()),
             QByteArray("[SCHOOL]\r\nNAME=阳光小学\r\nYEAR=2025\r\nTERM=2\r\n"));
    QCOMPARE(GetSchoolYear(), 2025);
    QCOMPARE(GetSchoolTerm(), 2);
    // Out of range, or one without the other: refused, the file unchanged.
    const QByteArray before = readFile(IniFilePath());
    for (auto [year, term] : {std::pair{2025, 3}, {1999, 1}, {2100, 1}, {0, 1}, {2025, 0}})
        QVERIFY2(!WriteSchoolTerm(year, term), qPrintable(QString::number(year)));
    QCOMPARE(readFile(IniFilePath()), before);
    // A hand-edited value that makes no sense reads as not set.
    writeFile(IniFilePath(), "[SCHOOL]\nYEAR=25\nTERM=第一\n");
    QCOMPARE(GetSchoolYear(), 0);
    QCOMPARE(GetSchoolTerm(), 0);
    QVERIFY(WriteSchoolTerm(0, 0));
    QCOMPARE(GetSchoolYear(), 0);
}

void TestConfig::anUnreadableTimetableNeverCostsLessons() {
    // A damaged setting takes the timetable's lessons per day; when the
    // timetable cannot be read, 6 would make start-up delete every lesson 7.
    const QByteArray damaged("[LESSON]\nLESSON_OF_DAY=abc\n");
    writeFile(IniFilePath(), damaged);
    TimetableDb closed;
    QCOMPARE(LessonsPerDayFor(closed, true), 7);
    QCOMPARE(readFile(IniFilePath()), damaged);
}

QTEST_GUILESS_MAIN(TestConfig)
#include "test_config.moc"
