// The progress window of generation and the lessons-per-day window, reached
// from the main menu.
#include "FakeDialogs.h"
#include "GuiTest.h"
#include "TestDb.h"
#include "core/generation/BuildRandom.h"
#include "gui/generation/frmAutoBuild.h"
#include "core/store/Sql.h"
#include "gui/limits/frmSetLessonOfDay.h"
#include "core/config/AppConfig.h"
#include "gui/widgets/AppContext.h"
#include "gui/shell/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

// A test database handed over to the program's context.
struct Program {
    TestDb t;
    AppContext ctx;
    void open() {
        t.db.close();
        QVERIFY(ctx.db.open(t.path));
    }
    long long count(const char* q) {
        SQLite::Statement st(ctx.db.sql(), q);
        return st.executeStep() ? st.getColumn(0).getInt64() : -1;
    }
};

} // namespace

class TestBuildWindows : public QObject {
    Q_OBJECT
private slots:
    void init() {
        SeedBuildRandom();
        QFile::remove(IniFilePath());
    }
    void progressWindowReportsTheRate_data();
    void progressWindowReportsTheRate();
    void progressWindowRunsOnce();
    void timerAddsDots();
    void generationFromTheMenuNeedsConfirmation();
    void lessonsPerDayWindowShowsTheSetting_data();
    void lessonsPerDayWindowShowsTheSetting();
    void lessonsPerDayWindowSavesOrCancels();
    void lessonsPerDayWindowReportsAFailedWrite();
};

void TestBuildWindows::progressWindowReportsTheRate_data() {
    QTest::addColumn<int>("planned");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("icon");
    QTest::newRow("all placed") << 3 << QStringLiteral("课表完成率统计:  100％")
                                << int(UiDialogs::Icon::Information);
    QTest::newRow("one of four") << 4 << QStringLiteral("课表完成率统计:  25％")
                                 << int(UiDialogs::Icon::Information);
    QTest::newRow("empty plan") << 0
                                << QStringLiteral(
                                       "生成课表失败！\n教学计划中没有要排的课\n"
                                       "请先在“基础数据 → 各班教学计划”中录入各班的课程和节数。")
                                << int(UiDialogs::Icon::Error);
}

void TestBuildWindows::progressWindowReportsTheRate() {
    QFETCH(int, planned);
    QFETCH(QString, text);
    QFETCH(int, icon);
    Program p;
    if (planned > 0) {
        p.t.addPlan("11", "01", "T1", planned);
        // Only Monday lesson 1 is open to the course.
        for (int day = 1; day <= 5; ++day)
            for (int n = 1; n <= 6; ++n)
                if (planned == 4 && !(day == 1 && n == 1))
                    p.t.addLimit(1, "01", day, n, 3);
    }
    p.open();
    FakeDialogs fd;
    frmAutoBuild dlg(p.ctx);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("自动生成课表"));
    QCOMPARE(dlg.Label1->text(), QStringLiteral("正在自动生成课表 ..."));
    QCOMPARE(dlg.lblStatus->text(), QString());
    dlg.exec();
    QCOMPARE(fd.shown.size(), 1);
    QCOMPARE(fd.lastText(), text);
    QCOMPARE(fd.lastTitle(), QStringLiteral("自动生成课表"));
    QCOMPARE(int(fd.shown.last().icon), icon);
    QVERIFY(!dlg.isVisible());
}

void TestBuildWindows::progressWindowRunsOnce() {
    Program p;
    p.t.addPlan("11", "01", "T1", 2);
    p.open();
    FakeDialogs fd;
    frmAutoBuild dlg(p.ctx);
    dlg.exec();
    QCOMPARE(fd.shown.size(), 1);
    // A lesson placed by hand afterwards would be removed by a second run.
    sql::exec(p.ctx.db.sql(), "insert into LessonListtb values('11',5,6,'01','T1',2)");
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    QTest::qWait(50);
    dlg.hide();
    QCOMPARE(fd.shown.size(), 1);
    QCOMPARE(p.count("select count(*) from LessonListtb where SetFlag=2"), 1LL);
    QVERIFY(dlg.mintActivateCount >= 2);
}

void TestBuildWindows::timerAddsDots() {
    Program p;
    p.open();
    frmAutoBuild dlg(p.ctx);
    QCOMPARE(dlg.Timer1->interval(), 500);
    QVERIFY(dlg.Timer1->isActive());
    for (int i = 0; i < 3; ++i)
        QVERIFY(QMetaObject::invokeMethod(dlg.Timer1, "timeout"));
    QCOMPARE(dlg.lblStatus->text(), QString("..."));
    // A row that no longer fits starts again.
    for (int i = 0; i < 100; ++i)
        QVERIFY(QMetaObject::invokeMethod(dlg.Timer1, "timeout"));
    QVERIFY(dlg.lblStatus->text().size() <= 40);
    QVERIFY(!dlg.lblStatus->text().isEmpty());
}

void TestBuildWindows::generationFromTheMenuNeedsConfirmation() {
    Program p;
    p.t.addPlan("11", "01", "T1", 2);
    p.t.addLesson("11", 1, 1, "02", "T2", 2);
    p.open();
    FakeDialogs fd;
    frmMain main(p.ctx);
    auto* action = main.findChild<QAction*>("mnuAutoBuild");
    QVERIFY(action && action->isEnabled());

    AnswerNextConfirm(QString()); // cancelled: nothing happens
    action->trigger();
    QCOMPARE(fd.shown.size(), 0);
    QCOMPARE(p.count("select count(*) from LessonListtb"), 1LL);

    AnswerNextConfirm("OK");
    action->trigger();
    QCOMPARE(fd.lastText(), QStringLiteral("课表完成率统计:  100％"));
    QCOMPARE(p.count("select count(*) from LessonListtb where SetFlag=1"), 2LL);
    QCOMPARE(p.count("select count(*) from LessonListtb where SetFlag=2"), 0LL);
}

void TestBuildWindows::lessonsPerDayWindowShowsTheSetting_data() {
    QTest::addColumn<int>("lessons");
    QTest::addColumn<bool>("six");
    QTest::newRow("6") << 6 << true;
    QTest::newRow("7") << 7 << false;
    QTest::newRow("other") << 8 << false;
}

void TestBuildWindows::lessonsPerDayWindowShowsTheSetting() {
    QFETCH(int, lessons);
    QFETCH(bool, six);
    AppContext ctx;
    ctx.lessonsPerDay = lessons;
    frmSetLessonOfDay dlg(ctx);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("每天课时数设置"));
    QCOMPARE(dlg.Opt6->isChecked(), six);
    QCOMPARE(dlg.Opt7->isChecked(), !six);
}

void TestBuildWindows::lessonsPerDayWindowSavesOrCancels() {
    AppContext ctx;
    frmMain main(ctx);
    auto* action = main.findChild<QAction*>("mnuSetLessonNum");
    QVERIFY(action && action->isEnabled());

    OnNextModal([](QWidget* w) {
        auto* dlg = qobject_cast<frmSetLessonOfDay*>(w);
        dlg->Opt7->setChecked(true);
        dlg->cmdCancel->click();
    });
    action->trigger();
    QVERIFY(!QFile::exists(IniFilePath()));
    QCOMPARE(ctx.lessonsPerDay, 6);

    OnNextModal([](QWidget* w) {
        auto* dlg = qobject_cast<frmSetLessonOfDay*>(w);
        dlg->Opt7->setChecked(true);
        dlg->cmdOK->click();
    });
    action->trigger();
    QCOMPARE(GetLessonOfDay(), QString("7"));
    QCOMPARE(ctx.lessonsPerDay, 7);

    frmSetLessonOfDay back(ctx);
    back.Opt6->setChecked(true);
    back.cmdOK->click();
    QCOMPARE(GetLessonOfDay(), QString("6"));
    QCOMPARE(ctx.lessonsPerDay, 6);
}

void TestBuildWindows::lessonsPerDayWindowReportsAFailedWrite() {
    QVERIFY(QDir().mkpath(IniFilePath())); // a folder where the file should be
    FakeDialogs fd;
    AppContext ctx;
    frmSetLessonOfDay dlg(ctx);
    dlg.show();
    dlg.Opt7->setChecked(true);
    dlg.cmdOK->click();
    QCOMPARE(fd.lastText(), QStringLiteral("存盘失败！"));
    QCOMPARE(fd.lastTitle(), QStringLiteral("每天课时数设置"));
    QCOMPARE(fd.shown.last().icon, UiDialogs::Icon::Error);
    QVERIFY(dlg.isVisible());
    QCOMPARE(ctx.lessonsPerDay, 6);
    QDir(IniFilePath()).removeRecursively();
}

QTEST_MAIN(TestBuildWindows)
#include "test_build_windows.moc"
