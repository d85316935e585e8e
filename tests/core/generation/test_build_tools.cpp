// kbxt-cli demo / generate / check as a script would use them.
#include "TestDb.h"
#include "core/config/AppConfig.h"
#include "core/store/Sql.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int code;
    QString out;
    QString err;
};

Run cli(const QStringList& args) {
    QProcess p;
    p.start(qEnvironmentVariable("KBXT_BINARY_DIR") + "/bin/kbxt-cli", args);
    if (!p.waitForFinished(60000))
        return {-100, {}, {}};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -200,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString dump(const QString& path) {
    TimetableDb db;
    if (!db.open(path))
        return "cannot open";
    QStringList rows;
    SQLite::Statement st(db.sql(), "select ClassCode||' '||Day||' '||LessonNo||' '||CourseCode||"
                                   "' '||TeacherCode from LessonListtb order by 1");
    while (st.executeStep())
        rows << sql::text(st.getColumn(0));
    return rows.join('\n');
}

} // namespace

class TestBuildTools : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(IniFilePath()); }
    void demoGenerateCheck();
    void demoIsDeterministicAndNeverOverwrites();
    void lessonsPerDayComesFromTheSettings();
    void checkFindsDoubleBookingsAndCounters();
    void badArgumentsAndDatabases_data();
    void badArgumentsAndDatabases();
};

void TestBuildTools::demoGenerateCheck() {
    QTemporaryDir dir;
    const QString db = dir.filePath("school.db");
    QCOMPARE(cli({"demo", "--size", "small", "--seed", "4", db}).code, 0);
    const Run gen = cli({"generate", db});
    QCOMPARE(gen.code, 0);
    QVERIFY2(gen.out.contains(QStringLiteral("正在自动生成课表 ...")), qPrintable(gen.out));
    QVERIFY2(gen.out.contains(
                 QRegularExpression(QStringLiteral("课表完成率统计:  \\d+％(，未排 \\d+ 节)?\n"))),
             qPrintable(gen.out));
    const Run check = cli({"check", db});
    QCOMPARE(check.code, 0);
    QVERIFY(check.out.contains(QStringLiteral("班级冲突 0 处，老师冲突 0 处")));
    // The same seed gives the same timetable.
    const QString first = dump(db);
    QCOMPARE(cli({"generate", "--seed", "5489", db}).code, 0);
    QCOMPARE(dump(db), first);
    QCOMPARE(cli({"generate", "--seed", "17", db}).code, 0);
    QVERIFY(dump(db) != first);
}

void TestBuildTools::demoIsDeterministicAndNeverOverwrites() {
    QTemporaryDir dir;
    const QString a = dir.filePath("a.db"), b = dir.filePath("b.db");
    QCOMPARE(cli({"demo", "--seed", "8", "--size", "medium", a}).code, 0);
    QCOMPARE(cli({"demo", "--size=medium", "--seed=8", b}).code, 0);
    auto content = [](const QString& path) {
        TimetableDb db;
        if (!db.open(path))
            return QStringList{"cannot open " + path};
        QStringList all;
        for (const char* q :
             {"select group_concat(Code||Name,',') from Teachertb",
              "select group_concat(ClassCode||CourseCode||TeacherCode||Count,',') "
              "from ClassPlantb",
              "select count(*)||'/'||sum(Count) from ClassPlantb", "select count(*) from Classtb"})
            all << sql::firstText(db.sql(), q);
        return all;
    };
    const QStringList ca = content(a);
    QCOMPARE(content(b), ca);
    QCOMPARE(ca.value(3), QString("24"));
    const QByteArray before = [&] {
        QFile f(a);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    const Run again = cli({"demo", "--size", "small", a});
    QVERIFY(again.code != 0);
    QVERIFY(!again.err.isEmpty());
    QFile f(a);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestBuildTools::lessonsPerDayComesFromTheSettings() {
    QTemporaryDir dir;
    const QString db = dir.filePath("school.db");
    QCOMPARE(cli({"demo", db}).code, 0);
    QVERIFY(WriteLessonOfDay(7));
    QCOMPARE(cli({"generate", db}).code, 0);
    {
        TimetableDb d;
        QVERIFY(d.open(db));
        QVERIFY(sql::firstInt(d.sql(), 0, "select count(*) from LessonListtb where LessonNo=7") >
                0);
    }
    const Run six = cli({"check", "--lessons-per-day", "6", db});
    QCOMPARE(six.code, 1); // lessons beyond the day break the rule of the week
    QVERIFY(six.out.contains(QStringLiteral("课表外的课")));
    QVERIFY(!cli({"check", db}).out.contains(QStringLiteral("课表外的课：")));
}

void TestBuildTools::checkFindsDoubleBookingsAndCounters() {
    TestDb t;
    t.addClass("11", QStringLiteral("一（1）班"));
    t.addClass("12", QStringLiteral("一（2）班"));
    t.addCourse("01", QStringLiteral("语文"));
    t.addCourse("09", QStringLiteral("信息技术"));
    t.addTeacher("T1", QStringLiteral("王丽"));
    t.exec("insert into CourseAttrtb values('09')");
    t.addPlan("11", "01", "T1", 3, 2, 1);
    t.addPlan("12", "01", "T1", 1, 1, 1);
    t.addLesson("11", 2, 3, "01", "T1", 1);
    t.addLesson("12", 2, 3, "01", "T1", 1); // the teacher twice at Tuesday 3
    t.addLesson("11", 4, 1, "09", "T2", 0);
    t.addLesson("12", 4, 1, "09", "T3", 0); // the exclusive course twice
    t.addLimit(1, "09", 4, 1, 3);           // and in a "不排" cell
    t.db.close();
    const Run run = cli({"check", "--lessons-per-day", "6", t.path});
    QCOMPARE(run.code, 1);
    for (const char* expected :
         {"老师冲突：王丽 星期二 第3节 同时上2节课：一（1）班 语文、一（2）班 语文",
          "专用课程冲突：信息技术 星期四 第1节 同时在一（1）班、一（2）班上课",
          "不排时间上课：一（1）班 星期四 第1节 信息技术",
          "计数不符：一（1）班 语文（王丽） 记录已排2节，课表中有1节",
          "未排：一（1）班 语文（王丽） 计划3节，已排2节，缺1节"})
        QVERIFY2(run.out.contains(QString::fromUtf8(expected)), qPrintable(run.out));
    QVERIFY(!run.out.contains(QStringLiteral("班级冲突：")));
}

void TestBuildTools::badArgumentsAndDatabases_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("size") << QStringList{"demo", "--size", "giant", "x.db"} << 2 << "small";
    QTest::newRow("seed") << QStringList{"generate", "--seed", "-1", "x.db"} << 2 << "种子";
    QTest::newRow("lessons") << QStringList{"check", "--lessons-per-day", "8", "x.db"} << 2
                             << "6 或 7";
    QTest::newRow("option") << QStringList{"check", "--fast", "x.db"} << 2 << "未知选项：--fast";
    // The commands with a time limit read it alike, after lessons per day and seed.
    QTest::newRow("complete seconds")
        << QStringList{"complete", "--seconds", "0", "x.db"} << 2
        << "kbxt-cli complete: --seconds 应为 0 到 3600 之间的秒数：0";
    QTest::newRow("improve seconds") << QStringList{"improve", "--seconds=abc", "x.db"} << 2
                                     << "--seconds 应为 0 到 3600 之间的秒数：abc";
    QTest::newRow("bench seconds") << QStringList{"bench-improve", "--seconds", "3601"} << 2
                                   << "--seconds 应为 0 到 3600 之间的秒数：3601";
    QTest::newRow("lessons before seed")
        << QStringList{"complete", "--seed", "x", "--lessons-per-day", "8", "x.db"} << 2
        << "6 或 7：8";
    QTest::newRow("generate lessons first")
        << QStringList{"generate", "--seed", "x", "--lessons-per-day", "5", "x.db"} << 2
        << "6 或 7：5";
    QTest::newRow("seed before seconds")
        << QStringList{"improve", "--seconds", "0", "--seed", "x", "x.db"} << 2 << "种子";
    QTest::newRow("improve missing") << QStringList{"improve", "@/missing.db"} << 2 << "不存在";
    // Every command refuses a malformed option alike, before it reads anything.
    QTest::newRow("no value") << QStringList{"generate", "x.db", "--seed"} << 2
                              << "kbxt-cli generate: 选项 --seed 缺少取值";
    QTest::newRow("flag value") << QStringList{"import", "--dry-run=1", "a.db", "b.csv"} << 2
                                << "选项 --dry-run 不取值";
    QTest::newRow("twice") << QStringList{"check", "--lessons-per-day=6", "--lessons-per-day", "7",
                                          "x.db"}
                           << 2 << "选项 --lessons-per-day 重复给出";
    QTest::newRow("export option") << QStringList{"export", "--total", "--pdf", "a.db", "b.xlsx"}
                                   << 2 << "用法：kbxt-cli export";
    QTest::newRow("init option") << QStringList{"init", "--force", "@/new.db"} << 2
                                 << "未知选项：--force";
    QTest::newRow("no file") << QStringList{"generate"} << 2 << "数据库文件名";
    QTest::newRow("missing") << QStringList{"generate", "@/missing.db"} << 2 << "不存在";
    QTest::newRow("not a db") << QStringList{"check", "@/junk.db"} << 2 << "不是课表数据库：";
    QTest::newRow("no tables") << QStringList{"check", "@/bare.db"} << 2 << "不是课表数据库：";
    QTest::newRow("empty plan") << QStringList{"generate", "@/empty.db"} << 1
                                << "生成课表失败！教学计划中没有要排的课";
    QTest::newRow("unknown command")
        << QStringList{"generat", "x.db"} << 2 << "kbxt-cli：没有“generat”这个命令";
    QTest::newRow("year without term")
        << QStringList{"export", "--total", "--year", "2025", "a.db", "b.xlsx"} << 2 << "--term";
    QTest::newRow("bad year") << QStringList{"print", "--total", "--year", "2025-2027", "--term",
                                             "1",     "--xml",   "a.xml",  "a.db"}
                              << 2 << "学年应写成 2025 或 2025-2026：2025-2027";
    QTest::newRow("bad term") << QStringList{"export", "--total", "--year", "2025",
                                             "--term", "3",       "a.db",   "b.xlsx"}
                              << 2 << "学期只能是 1 或 2：3";
    QTest::newRow("help") << QStringList{"generate", "--help"} << 0 << "";
    QTest::newRow("help of init") << QStringList{"init", "--help"} << 0 << "";
}

void TestBuildTools::badArgumentsAndDatabases() {
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, message);
    QTemporaryDir dir;
    {
        QFile junk(dir.filePath("junk.db"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(2048, 'j'));
        SQLite::Database bare(dir.filePath("bare.db").toStdString(),
                              SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        bare.exec("create table Other(x)");
    }
    QVERIFY(QProcess::execute(qEnvironmentVariable("KBXT_BINARY_DIR") + "/bin/kbxt-cli",
                              {"init", dir.filePath("empty.db")}) == 0);
    for (QString& a : args)
        a.replace('@', dir.path());
    const Run run = cli(args);
    QCOMPARE(run.code, code);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    if (args.contains("--help"))
        QVERIFY2(run.out.startsWith("用法：kbxt-cli " + args.first() + ' '), qPrintable(run.out));
}

QTEST_GUILESS_MAIN(TestBuildTools)
#include "test_build_tools.moc"
