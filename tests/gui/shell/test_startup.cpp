#include "FakeDialogs.h"
#include "core/config/AppConfig.h"
#include "core/config/AppPaths.h"
#include "core/config/IniFile.h"
#include "core/store/Sql.h"
#include "gui/shell/StartUp.h"
#include "gui/shell/frmMain.h"
#include "gui/widgets/AppContext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestStartUp : public QObject {
    Q_OBJECT
private slots:
    void init();
    void firstStartCopiesTheEmptyDatabaseAndWritesNoIni();
    void missingConfiguredFileFallsBackAndIsRecorded();
    void lessonsBeyondTheDayAreTrimmed_data();
    void lessonsBeyondTheDayAreTrimmed();
    void aFailedTrimIsToldAndChangesNothing();
    void noDatabaseAtAllIsFatal();
    void aFileThatCannotBeOpenedIsNamedAndNeverReplaced();
    void captionCarriesTheSchoolName();

private:
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FakeDialogs> m_dialogs;
};

void TestStartUp::init() {
    m_home = std::make_unique<QTemporaryDir>();
    qputenv("KBXT_HOME", m_home->path().toUtf8());
    m_dialogs = std::make_unique<FakeDialogs>();
}

void TestStartUp::firstStartCopiesTheEmptyDatabaseAndWritesNoIni() {
    AppContext ctx;
    auto w = Main(ctx);
    QVERIFY(w);
    QVERIFY(ctx.db.isOpen());
    QCOMPARE(ctx.db.path(), DefaultDbFileName());
    QCOMPARE(w->windowTitle(), "排课软件系统 -- " + DefaultDbFileName());
    QCOMPARE(ctx.lessonsPerDay, 6);
    QVERIFY(!QFile::exists(IniFilePath()));
    QVERIFY(m_dialogs->shown.isEmpty());
    // The copy is the user's own, writable database.
    QCOMPARE(sql::exec(ctx.db.sql(), "insert into Coursetb(Code,Name) values(?,?)", "1", "语文"),
             1);
}

void TestStartUp::missingConfiguredFileFallsBackAndIsRecorded() {
    QVERIFY(WriteDbFileName(m_home->filePath("gone.db")));
    AppContext ctx;
    auto w = Main(ctx);
    QVERIFY(w);
    QCOMPARE(ctx.db.path(), DefaultDbFileName());
    QCOMPARE(IniFile(IniFilePath()).readString("db", "filename"), DefaultDbFileName());
    QVERIFY(w->windowTitle().endsWith(" -- " + DefaultDbFileName()));
    // The user is told which file was missing.
    QCOMPARE(m_dialogs->shown.size(), 1);
    QVERIFY(m_dialogs->lastText().contains(m_home->filePath("gone.db")));
}

void TestStartUp::lessonsBeyondTheDayAreTrimmed_data() {
    QTest::addColumn<QString>("setting");
    QTest::addColumn<int>("lessons");
    QTest::addColumn<int>("kept");
    QTest::addColumn<QString>("stored"); // LESSON_OF_DAY afterwards
    QTest::newRow("six") << "6" << 6 << 2 << "6";
    QTest::newRow("seven") << "7" << 7 << 3 << "7";
    QTest::newRow("nine") << "9" << 7 << 3 << "9";
    // Only an explicit 6 drops lesson 7: a missing or damaged setting takes the
    // timetable's own lessons per day and is mended.
    QTest::newRow("missing") << "" << 7 << 3 << "7";
    QTest::newRow("zero") << "0" << 7 << 3 << "7";
    QTest::newRow("negative") << "-1" << 7 << 3 << "7";
    QTest::newRow("text") << "abc" << 7 << 3 << "7";
}

void TestStartUp::lessonsBeyondTheDayAreTrimmed() {
    QFETCH(QString, setting);
    QFETCH(int, lessons);
    QFETCH(int, kept);
    QFETCH(QString, stored);
    QVERIFY(EnsureDefaultDatabase());
    {
        TimetableDb db;
        QVERIFY(db.open(DefaultDbFileName()));
        for (int n : {1, 6, 7})
            sql::exec(db.sql(), "insert into LessonListtb values('11',1,?,'1','T1',0)", n);
        sql::exec(db.sql(), "insert into ClassPlantb values('11','1','T1',3,3,1)");
    }
    if (!setting.isEmpty())
        QVERIFY(IniFile(IniFilePath()).writeString("LESSON", "LESSON_OF_DAY", setting));
    AppContext ctx;
    auto w = Main(ctx);
    QVERIFY(w);
    QCOMPARE(ctx.lessonsPerDay, lessons);
    QCOMPARE(sql::firstInt(ctx.db.sql(), -1, "select count(*) from LessonListtb"), (long long)kept);
    // The trimmed lessons count as unplaced again.
    QCOMPARE(sql::firstInt(ctx.db.sql(), -1, "select BuildCount from ClassPlantb"),
             (long long)kept);
    QCOMPARE(IniFile(IniFilePath()).readString("LESSON", "LESSON_OF_DAY"), stored);
}

void TestStartUp::aFailedTrimIsToldAndChangesNothing() {
    QVERIFY(EnsureDefaultDatabase());
    {
        TimetableDb db;
        QVERIFY(db.open(DefaultDbFileName()));
        for (int n : {1, 7})
            sql::exec(db.sql(), "insert into LessonListtb values('11',1,?,'1','T1',0)", n);
        sql::exec(db.sql(), "insert into ClassPlantb values('11','1','T1',3,2,1)");
        db.sql().exec("create trigger t before delete on LessonListtb"
                      " begin select raise(abort,'x'); end;");
    }
    QVERIFY(WriteLessonOfDay(6));
    AppContext ctx;
    auto w = Main(ctx);
    QVERIFY(w); // the school works on
    QCOMPARE(ctx.lessonsPerDay, 6);
    QCOMPARE(sql::firstInt(ctx.db.sql(), -1, "select count(*) from LessonListtb"), 2LL);
    QCOMPARE(sql::firstInt(ctx.db.sql(), -1, "select BuildCount from ClassPlantb"), 2LL);
    QCOMPARE(m_dialogs->shown.size(), 1);
    QCOMPARE(m_dialogs->lastText(),
             "删除每天第6节以后的课失败，课表没有改动。\n课表数据库操作失败：" +
                 DefaultDbFileName());
    QCOMPARE(m_dialogs->shown.last().icon, UiDialogs::Icon::Warning);
}

void TestStartUp::noDatabaseAtAllIsFatal() {
    QFile junk(DefaultDbFileName());
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("this is not a database, it is a letter to the headmaster");
    junk.close();
    AppContext ctx;
    QVERIFY(!Main(ctx));
    QCOMPARE(m_dialogs->shown.size(), 1);
    QVERIFY(m_dialogs->lastText().startsWith("打开数据库失败！\n不是课表数据库：" +
                                             DefaultDbFileName()));
    QCOMPARE(m_dialogs->shown.last().icon, UiDialogs::Icon::Error);
    QCOMPARE(m_dialogs->lastTitle(), QString("排课软件系统"));
}

void TestStartUp::aFileThatCannotBeOpenedIsNamedAndNeverReplaced() {
    // A school in a deep folder: the whole path is kept, however long.
    const QString folder = m_home->filePath(QString("abcdefghi/").repeated(30));
    QVERIFY(QDir().mkpath(folder));
    const QString school = folder + "school.db";
    QVERIFY(QFile::copy(ResourcePath("kb.db"), school));
    QVERIFY(QFile::setPermissions(school, QFile::ReadOwner | QFile::WriteOwner));
    QVERIFY(school.size() > 254);
    QVERIFY(WriteDbFileName(school));
    QVERIFY(WriteLessonOfDay(6));
    auto iniBytes = [] {
        QFile f(IniFilePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray ini = iniBytes();

    AppContext first;
    auto w = Main(first);
    QVERIFY(w);
    QCOMPARE(first.db.path(), school);

    // A second copy of the program stops instead of opening another file.
    AppContext second;
    QVERIFY(!Main(second));
    QCOMPARE(m_dialogs->lastText().section('\n', 0, 1),
             "打开数据库失败！\n课表数据库正被其他程序使用：" + school);
    QVERIFY(!second.db.isOpen());
    QCOMPARE(iniBytes(), ini);

    // So does a damaged file, which is left as it was.
    first.db.close();
    QFile damaged(school);
    QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("SQLite format 3");
    damaged.close();
    AppContext third;
    QVERIFY(!Main(third));
    QVERIFY(m_dialogs->lastText().contains("不是课表数据库：" + school));
    QCOMPARE(QFileInfo(school).size(), 15);
    QCOMPARE(iniBytes(), ini);
}

void TestStartUp::captionCarriesTheSchoolName() {
    QVERIFY(WriteSchoolName("阳光小学"));
    AppContext ctx;
    auto w = Main(ctx);
    QVERIFY(w);
    QCOMPARE(ctx.systemTitle, QString("阳光小学排课软件系统"));
    QVERIFY(w->windowTitle().startsWith("阳光小学排课软件系统 -- "));
}

QTEST_MAIN(TestStartUp)
#include "test_startup.moc"
