// The progress window of generation and the lessons-per-day window, reached
// from the main menu.
#include "FakeDialogs.h"
#include "GuiTest.h"
#include "TestDb.h"
#include "cli/BenchSchool.h"
#include "core/config/AppConfig.h"
#include "core/generation/BuildRandom.h"
#include "core/generation/BuildTimetable.h"
#include "core/store/CompletionStore.h"
#include "core/store/DoubleLessons.h"
#include "core/store/SchoolWriter.h"
#include "core/store/Sql.h"
#include "core/store/TimetableVersions.h"
#include "gui/generation/frmAutoBuild.h"
#include "gui/generation/frmAutoComplete.h"
#include "gui/generation/frmImproveTimetable.h"
#include "gui/limits/frmSetLessonOfDay.h"
#include "gui/shell/frmConfirm.h"
#include "gui/shell/frmMain.h"
#include "gui/widgets/AppContext.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
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
    void generationWarnsOffersCompletionAndReports();
    void completionCancelledLeavesTheTimetable();
    void improvementFromTheMenuKeepsAVersionAndReports();
    void improvementCancelledLeavesTheTimetable();
    void lessonsPerDayWindowShowsTheSetting_data();
    void lessonsPerDayWindowShowsTheSetting();
    void lessonsPerDayWindowSavesOrCancels();
    void lessonsPerDayWindowReportsAFailedWrite();
    void morningLessonsAreKeptInTheDatabase();
};

void TestBuildWindows::progressWindowReportsTheRate_data() {
    QTest::addColumn<int>("planned");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("icon");
    QTest::newRow("all placed") << 3 << QStringLiteral("课表完成率统计:  100％")
                                << int(UiDialogs::Icon::Information);
    // Lessons left over: the rate says how many, and completion is offered.
    QTest::newRow("one of four") << 4 << QStringLiteral("课表完成率统计:  25％，未排 3 节")
                                 << int(UiDialogs::Icon::Question);
    // The first line of each message; a failure says why on the next.
    QTest::newRow("empty plan") << 0 << QStringLiteral("生成课表失败！")
                                << int(UiDialogs::Icon::Error);
    // The plan's counters cannot be written: the whole run is undone.
    QTest::newRow("write fails") << -1 << QStringLiteral("生成课表失败！")
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
    } else if (planned < 0) {
        p.t.addPlan("11", "01", "T1", 2);
        p.t.exec("create trigger full before update on ClassPlantb "
                 "begin select raise(abort,'disk full'); end");
    }
    p.open();
    FakeDialogs fd;
    frmAutoBuild dlg(p.ctx);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("自动生成课表"));
    QCOMPARE(dlg.Label1->text(), QStringLiteral("正在自动生成课表 ..."));
    QCOMPARE(dlg.lblStatus->text(), QString());
    dlg.exec();
    QCOMPARE(fd.shown.size(), 1);
    QCOMPARE(fd.lastText().section('\n', 0, 0), text);
    if (planned == 0)
        QCOMPARE(fd.lastText().section('\n', 1, 1), QStringLiteral("教学计划中没有要排的课"));
    QCOMPARE(fd.lastTitle(), QStringLiteral("自动生成课表"));
    if (planned < 0)
        QCOMPARE(p.count("select count(*) from LessonListtb"), 0LL);
    QVERIFY(!dlg.mblnComplete); // the question was answered No
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

void TestBuildWindows::generationWarnsOffersCompletionAndReports() {
    // A school with a complete timetable that generation does not quite find,
    // and one class planned beyond its week.
    Program p;
    WriteSchool(p.t.db, BuildBenchSchool({12, 6, 30, 115}).records);
    p.t.addClass("69", "六（9）班");
    p.t.addTeacher("T999", "赵敏");
    // 语文 keeps the bench school's two a day; 16 lessons of a course without
    // a maximum may take four.
    p.t.addPlan("69", "05", "T999", 16);
    p.t.addPlan("69", "02", "T999", 15);
    p.open();
    FakeDialogs fd;
    frmMain main(p.ctx);

    QStringList warnings;
    OnNextModal([&](QWidget* w) {
        auto* dlg = qobject_cast<frmConfirm*>(w);
        QVERIFY(dlg);
        QVERIFY(dlg->txtPlanCheck->isVisibleTo(dlg));
        warnings = dlg->txtPlanCheck->toPlainText().split('\n');
        dlg->Text1->setText("OK");
        dlg->cmdOK->click();
    });
    fd.answers.enqueue(UiDialogs::Answer::Yes); // complete what is left over
    main.mnuAutoBuild->trigger();
    QCOMPARE(warnings.value(0),
             QStringLiteral("班级 六（9）班：计划 31 节，每周可上课时间只有 30 节"));
    QCOMPARE(warnings.value(1), QStringLiteral("老师 赵敏：计划 31 节，每周可上课时间只有 30 节"));

    QCOMPARE(fd.shown.size(), 2);
    const QString offer = fd.shown[0].text;
    QVERIFY2(offer.contains(QRegularExpression(
                 "^课表完成率统计:  9[0-9]％，未排 [0-9]+ 节\n\n是否自动补排？")),
             qPrintable(offer));
    QCOMPARE(fd.shown[1].title, QStringLiteral("自动补排"));
    QVERIFY2(
        fd.shown[1].text.contains(QRegularExpression(
            "^自动补排：补排 [1-9][0-9]* 节，仍未排 1 节\n课表完成率统计:  99％，未排 1 节\n")),
        qPrintable(fd.shown[1].text));
    // Only the lesson beyond the week stays out; nothing clashes.
    QCOMPARE(MissingLessons(p.ctx.db), 1);
    QCOMPARE(p.count("select count(*) from (select 1 from LessonListtb group by TeacherCode,Day,"
                     "LessonNo having count(*)>1)"),
             0LL);
    QCOMPARE(p.count("select count(*) from (select 1 from LessonListtb group by ClassCode,Day,"
                     "LessonNo having count(*)>1)"),
             0LL);
}

void TestBuildWindows::completionCancelledLeavesTheTimetable() {
    Program p;
    WriteSchool(p.t.db, BuildBenchSchool({12, 6, 28, 7}).records);
    p.open();
    const long long lessons = p.count("select count(*) from LessonListtb");
    FakeDialogs fd;
    frmAutoComplete dlg(p.ctx);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("自动补排"));
    dlg.cmdCancel->click(); // before it starts: the first look at the button stops it
    dlg.exec();
    QVERIFY(dlg.report.cancelled);
    QCOMPARE(fd.lastText(), QStringLiteral("已取消自动补排，课表没有改动。"));
    QCOMPARE(p.count("select count(*) from LessonListtb"), lessons);
    QVERIFY(MissingLessons(p.ctx.db) > 0);
}

// A generated bench school always has empty periods to close.
void TestBuildWindows::improvementFromTheMenuKeepsAVersionAndReports() {
    Program p;
    WriteSchool(p.t.db, BuildBenchSchool({12, 6, 26, 6}).records);
    p.open();
    int rate = 0;
    QVERIFY(tryBuildTimetable(p.ctx.db, Week::ofLessons(6), &rate));
    const long long lessons = p.count("select count(*) from LessonListtb");
    FakeDialogs fd;
    frmMain main(p.ctx);
    main.mnuImproveTimetable->trigger();
    QCOMPARE(fd.shown.size(), 1);
    QCOMPARE(fd.shown[0].title, QStringLiteral("课表优化"));
    QVERIFY2(fd.shown[0].text.startsWith(QStringLiteral("课表优化：调动了 ")),
             qPrintable(fd.shown[0].text));
    QVERIFY2(fd.shown[0].text.contains(QStringLiteral("班级一天中间的空堂：")),
             qPrintable(fd.shown[0].text));
    QCOMPARE(p.count("select count(*) from LessonListtb"), lessons);
    QCOMPARE(ListVersions(p.ctx.db).first().cause, QStringLiteral("课表优化之前"));
}

void TestBuildWindows::improvementCancelledLeavesTheTimetable() {
    Program p;
    WriteSchool(p.t.db, BuildBenchSchool({12, 6, 26, 6}).records);
    p.open();
    int rate = 0;
    QVERIFY(tryBuildTimetable(p.ctx.db, Week::ofLessons(6), &rate));
    const auto periods = [&] {
        return sql::firstText(p.ctx.db.sql(),
                              "select group_concat(Day||LessonNo, ',') from LessonListtb");
    };
    const QString before = periods();
    FakeDialogs fd;
    frmImproveTimetable dlg(p.ctx);
    dlg.cmdCancel->click();
    dlg.exec();
    QVERIFY(dlg.report.cancelled);
    QCOMPARE(fd.lastText(), QStringLiteral("已取消课表优化，课表没有改动。"));
    QCOMPARE(periods(), before);
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

void TestBuildWindows::morningLessonsAreKeptInTheDatabase() {
    // Without a database there is no morning to set.
    {
        AppContext none;
        frmSetLessonOfDay dlg(none);
        QVERIFY(!dlg.spnMorning->isEnabled());
    }
    Program p;
    p.open();
    const char* stored = "select count(*) from Settingtb";
    {
        frmSetLessonOfDay dlg(p.ctx);
        QCOMPARE(dlg.spnMorning->value(), 4);
        dlg.cmdOK->click(); // unchanged: nothing written
        QCOMPARE(p.count(stored), 0);
    }
    {
        frmSetLessonOfDay dlg(p.ctx);
        dlg.spnMorning->setFocus();
        QTest::keyClick(dlg.spnMorning, Qt::Key_Up);
        dlg.cmdOK->click();
    }
    QCOMPARE(ReadMiddayBreak(p.ctx.db).morningLessons, 5);
    frmSetLessonOfDay again(p.ctx);
    QCOMPARE(again.spnMorning->value(), 5);
    again.spnMorning->setValue(3);
    again.cmdCancel->click();
    QCOMPARE(ReadMiddayBreak(p.ctx.db).morningLessons, 5);
}

QTEST_MAIN(TestBuildWindows)
#include "test_build_windows.moc"
