#include "TestDb.h"
#include "core/store/Lookups.h"
#include "core/store/Schema.h"
#include "core/store/Sql.h"
#include "core/store/SqliteFailure.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

class TestDatabase : public QObject {
    Q_OBJECT
private slots:
    void schemaHasTheTablesInOrderWithDefaults();
    void openRefusesWhatIsNotAnOpenableDatabase();
    void openHoldsTheFileExclusively();
    void closeTwiceAndClosedDatabaseAnswersFailureValues();
    void lookupsTranslateNamesAndCodes();
    void deleteAllLessonsClearsTimetableAndCounters();
    void valuesWithQuotesAreStoredAsTheyAre();
    void sqliteCodesBecomeChineseReasons();
};

void TestDatabase::schemaHasTheTablesInOrderWithDefaults() {
    TestDb t;
    auto columns = [&](const char* table) {
        QStringList names;
        SQLite::Statement st(t.db.sql(), std::string("pragma table_info(") + table + ")");
        while (st.executeStep())
            names << sql::text(st.getColumn("name"));
        return names.join(',');
    };
    QCOMPARE(columns("LessonListtb"),
             QString("ClassCode,Day,LessonNo,CourseCode,TeacherCode,SetFlag"));
    QCOMPARE(columns("Limittb"), QString("Kind,Code,Day,LessonNo,Attr"));
    QCOMPARE(columns("ClassPlantb"),
             QString("ClassCode,CourseCode,TeacherCode,Count,BuildCount,IsAutoBuild"));
    for (const char* table : {"Classtb", "Coursetb", "Teachertb", "ClassRoomtb"})
        QCOMPARE(columns(table), QString("Code,Name,FullName,ShortName"));
    QCOMPARE(columns("CourseAttrtb"), QString("CourseCode"));

    // The plan editor inserts four columns; the counters default to 0 and a
    // quoted count becomes a number.
    t.exec("Insert Into ClassPlantb ( ClassCode,CourseCode,TeacherCode,Count) Values "
           "('11','1','1','3')");
    QCOMPARE(
        t.count("select BuildCount + IsAutoBuild*10 + (typeof(Count)='integer') from ClassPlantb"),
        1LL);
    // Table names are matched without regard to case.
    QCOMPARE(t.count("select count(*) from Lessonlisttb"), 0LL);
}

void TestDatabase::openRefusesWhatIsNotAnOpenableDatabase() {
    QTemporaryDir dir;
    TimetableDb db;
    QVERIFY(!OpenTimetableDb(db, dir.filePath("missing.db")));
    QVERIFY(!QFile::exists(dir.filePath("missing.db"))); // never creates
    QVERIFY(!OpenTimetableDb(db, dir.path()));           // a folder
    QFile junk(dir.filePath("junk.db"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    QVERIFY(!OpenTimetableDb(db, junk.fileName()));
    QVERIFY(!db.isOpen());

    // A failed open keeps what was open before.
    const QString good = dir.filePath("good.db");
    QVERIFY(CreateTimetableFile(good));
    QVERIFY(OpenTimetableDb(db, good));
    QVERIFY(!OpenTimetableDb(db, junk.fileName()));
    QVERIFY(db.isOpen());
    QCOMPARE(db.path(), good);
    QVERIFY(!CreateTimetableFile(good)); // never overwrites
}

void TestDatabase::openHoldsTheFileExclusively() {
    TestDb t;
    TimetableDb second;
    QVERIFY(!second.open(t.path));
    // Another program sees the lock too.
    SQLite::Database other(t.path.toStdString(), SQLite::OPEN_READONLY);
    try {
        other.exec("select count(*) from Classtb");
        QFAIL("a held file was read");
    } catch (const std::exception& e) {
        // The lock reaches the user as a Chinese reason naming the file.
        QCOMPARE(AsFailure(e, t.path).message().section('\n', 0, 0),
                 QString("课表数据库正被其他程序使用：") + t.path);
    }
    t.db.close();
    QVERIFY(second.open(t.path));
}

void TestDatabase::closeTwiceAndClosedDatabaseAnswersFailureValues() {
    TestDb t;
    t.addClass("11", "一（1）班");
    t.db.close();
    CloseTimetableDb(t.db);
    QVERIFY(!t.db.isOpen());
    QCOMPARE(GetClassName(t.db, "11"), QString());
    QVERIFY(!tryDeleteAllLessons(t.db));
}

void TestDatabase::lookupsTranslateNamesAndCodes() {
    TestDb t;
    t.addClass("11", "一（1）班", "一年级（1）班", "一（1）");
    t.addCourse("2", "数学");
    t.addCourse("1", "数学"); // same name stored second
    t.addTeacher("T1", "王老师");
    t.addClassRoom("R1", "音乐室");
    t.addPlan("11", "2", "T1", 5);
    QCOMPARE(GetClassName(t.db, "11"), QString("一（1）班"));
    QCOMPARE(GetClassShortName(t.db, "11"), QString("一（1）"));
    QCOMPARE(GetClassCode(t.db, "一（1）班"), QString("11"));
    QCOMPARE(GetCourseCode(t.db, "数学"), QString("2")); // the first stored row wins
    QCOMPARE(GetCourseName(t.db, "1"), QString("数学"));
    QCOMPARE(GetTeacherName(t.db, "T1"), QString("王老师"));
    QCOMPARE(GetTeacherCode(t.db, "王老师"), QString("T1"));
    QCOMPARE(GetClassRoomCode(t.db, "音乐室"), QString("R1"));
    QCOMPARE(GetPlanTeacher(t.db, "11", "2"), QString("T1"));
    QCOMPARE(GetClassName(t.db, "99"), QString());
    QCOMPARE(GetPlanTeacher(t.db, "11", "9"), QString());
    t.exec("update Classtb set Name=NULL");
    QCOMPARE(GetClassName(t.db, "11"), QString());
}

void TestDatabase::deleteAllLessonsClearsTimetableAndCounters() {
    TestDb t;
    t.addPlan("11", "1", "T1", 3, 3, 1);
    t.addLesson("11", 1, 1, "1", "T1", 0);
    t.addLesson("11", 1, 2, "1", "T1", 1);
    DeleteAllLessons(t.db);
    QCOMPARE(t.count("select count(*) from LessonListtb"), 0LL);
    QCOMPARE(t.count("select BuildCount + IsAutoBuild from ClassPlantb"), 0LL);

    // A failure changes nothing.
    t.addLesson("11", 1, 1, "1", "T1", 0);
    t.exec("update ClassPlantb set BuildCount=1");
    t.exec("alter table ClassPlantb rename to Other");
    QVERIFY_THROWS_EXCEPTION(Failure, DeleteAllLessons(t.db));
    QCOMPARE(t.count("select count(*) from LessonListtb"), 1LL);
}

void TestDatabase::valuesWithQuotesAreStoredAsTheyAre() {
    TestDb t;
    t.addClass("1'1", "O'Brien \"班\"");
    QCOMPARE(GetClassName(t.db, "1'1"), QString("O'Brien \"班\""));
    QCOMPARE(GetClassCode(t.db, "O'Brien \"班\""), QString("1'1"));
    QCOMPARE(GetClassCode(t.db, "' or '1'='1"), QString());
}

void TestDatabase::sqliteCodesBecomeChineseReasons() {
    // Extended codes count by their primary code.
    QCOMPARE(SqliteFailure(SQLITE_READONLY_DBMOVED, "a.db").reason(), QString("文件只读"));
    QCOMPARE(SqliteFailure(SQLITE_FULL, "a.db").reason(), QString("磁盘已满"));
    QCOMPARE(SqliteFailure(SQLITE_CORRUPT, "a.db").reason(), QString("文件已损坏"));
    QCOMPARE(SqliteFailure(SQLITE_NOTADB, "a.db").reason(), QString("不是课表数据库"));
    const Failure f = SqliteFailure(SQLITE_FULL, "/tmp/a.db");
    QCOMPARE(QString::fromStdString(f.what()), QString("磁盘已满：/tmp/a.db"));
    QVERIFY(f.message().startsWith("磁盘已满：/tmp/a.db\n"));
    // Foreign exception texts are never shown.
    QCOMPARE(FailureMessage(std::runtime_error("boom"), "打印失败", "x.pdf"),
             QString("打印失败：x.pdf"));
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_db.moc"
