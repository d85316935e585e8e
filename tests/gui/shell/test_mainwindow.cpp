#include "FakeDialogs.h"
#include "GuiTest.h"
#include "TestDb.h"
#include "core/config/AppConfig.h"
#include "core/config/IniFile.h"
#include "core/store/Schema.h"
#include "core/store/Sql.h"
#include "gui/shell/frmAbout.h"
#include "gui/shell/frmConfirm.h"
#include "gui/shell/frmMain.h"
#include "gui/shell/frmSchoolName.h"
#include "gui/shell/frmSimpleManual.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/QtChinese.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void menuHasItsEntriesInOrderWithFourHidden();
    void menuIsReachableFromTheKeyboard();
    void fileDialogsAreChineseAndStartBesideTheDatabase();
    void startGuideStaysUntilTheFirstTimetable();
    void demoSchoolNeverReplacesAFile();
    void manualWithoutBrowserSaysWhereItIs();
    void confirmationNeedsOk_data();
    void confirmationNeedsOk();
    void confirmationClosedCountsAsCancel();
    void deleteTimetableAfterConfirmation();
    void upgradeAfterConfirmation();
    void dataMaintenanceReportsFailure();
    void openDatabaseSwitchesAndRecords();
    void openDatabaseFailureReopensThePrevious();
    void saveAsCopiesAndKeepsWorkingOnTheCurrentFile();
    void saveAsAddsTheDatabaseEnding();
    void saveAsFailureKeepsTheDatabaseOpen();
    void aboutAndBriefInstructions();
    void schoolNameWindowKeepsYearAndTerm();

private:
    QString action(const QString& name) { return m_window->findChild<QAction*>(name)->text(); }
    // The reason a refused write gives, which the window must pass on.
    QString dbFailure() const { return "课表数据库操作失败：" + m_home->filePath("kb.db"); }
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FakeDialogs> m_dialogs;
    std::unique_ptr<AppContext> m_ctx;
    std::unique_ptr<frmMain> m_window;
};

void TestMainWindow::init() {
    m_home = std::make_unique<QTemporaryDir>();
    qputenv("KBXT_HOME", m_home->path().toUtf8());
    m_dialogs = std::make_unique<FakeDialogs>();
    m_ctx = std::make_unique<AppContext>();
    m_ctx->systemTitle = "排课软件系统";
    QVERIFY(CreateTimetableFile(m_home->filePath("kb.db")));
    QVERIFY(OpenTimetableDb(m_ctx->db, m_home->filePath("kb.db")));
    m_window = std::make_unique<frmMain>(*m_ctx);
}

void TestMainWindow::cleanup() {
    m_window.reset();
    m_ctx.reset();
}

void TestMainWindow::menuHasItsEntriesInOrderWithFourHidden() {
    // Captions without their mnemonic, the entries never shown in brackets.
    auto caption = [](const QAction* a) {
        QString text = a->text();
        text.remove(QRegularExpression(QStringLiteral("\\(&[A-Z]\\)")));
        return a->isVisible() ? text : "(" + text + ")";
    };
    QStringList menus;
    for (QAction* a : m_window->menuBar()->actions())
        menus << caption(a);
    QCOMPARE(menus, QStringList({"文件", "基础数据", "自动排课", "课表操作", "系统管理", "帮助"}));
    auto entries = [&](QMenu* m) {
        QStringList out;
        for (QAction* a : m->actions())
            out << caption(a);
        return out;
    };
    QCOMPARE(entries(m_window->mnuFile), QStringList({"打开数据库", "数据库另存为...", "退出"}));
    QCOMPARE(entries(m_window->mnuBasicData),
             QStringList({"班级名单", "课程名单", "老师名单", "教研组名单", "(公共教室名单)",
                          "各班教学计划", "", "从Excel导入…"}));
    QCOMPARE(entries(m_window->mnuAuto), QStringList({"上课时间限制条件", "预先安排固定课程",
                                                      "自动生成课表", "自动补排", "课表优化"}));
    QCOMPARE(entries(m_window->mnuLimit),
             QStringList({"班级上课时间限制", "课程上课时间限制", "老师上课时间限制",
                          "教研组上课时间限制", "(教室上课时间限制)"}));
    QCOMPARE(entries(m_window->mnuBuildKb),
             QStringList({"手工调整课表", "检查课表", "课表质量", "打印课表", "导出课表到Excel",
                          "发布课表…", "课表学年升级", "删除课表数据", "课表版本…"}));
    QCOMPARE(entries(m_window->mnuManager),
             QStringList({"(数据维护)", "每天课时设置", "学校名称设置", "作息时间设置"}));
    // 访问网站 is offered only when the build was given the web site's address.
    const QString website =
        QStringLiteral(KBXT_WEBSITE).isEmpty() ? QString("(访问网站)") : QString("访问网站");
    QCOMPARE(entries(m_window->mnuHelp), QStringList({"简要使用说明", "使用手册", "打开示例学校",
                                                      website, "(使用交流)", "关于"}));
}

void TestMainWindow::menuIsReachableFromTheKeyboard() {
    // Every title and entry has a mnemonic, unique within its menu.
    std::function<void(const QList<QAction*>&)> check = [&](const QList<QAction*>& actions) {
        QSet<QChar> taken;
        for (QAction* a : actions) {
            if (a->isSeparator())
                continue;
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("\\(&([A-Z])\\)")).match(a->text());
            QVERIFY2(m.hasMatch(), qPrintable(a->text()));
            if (a->isVisible())
                QVERIFY2(!taken.contains(m.captured(1).at(0)), qPrintable(a->text()));
            taken.insert(m.captured(1).at(0));
            if (a->menu())
                check(a->menu()->actions());
        }
    };
    check(m_window->menuBar()->actions());
    QCOMPARE(m_window->mnuOpenDb->shortcut(), QKeySequence(QKeySequence::Open));
    QCOMPARE(m_window->mnuPrint->shortcut(), QKeySequence(QKeySequence::Print));
    QCOMPARE(m_window->mnuManual->shortcut(), QKeySequence(Qt::Key_F1));
    QCOMPARE(m_window->mnuEnd->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
}

void TestMainWindow::confirmationNeedsOk_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("OK") << "OK" << true;
    QTest::newRow("ok") << "ok" << true;
    QTest::newRow("Ok") << "Ok" << true;
    QTest::newRow("O") << "O" << false;
    QTest::newRow("blank O") << " O" << false;
    QTest::newRow("empty") << "" << false;
}

void TestMainWindow::confirmationNeedsOk() {
    QFETCH(QString, typed);
    QFETCH(bool, confirmed);
    frmConfirm dlg;
    dlg.setWarning("删除课表数据将会清除您以前排好的课表！");
    QVERIFY(
        dlg.lblTitle->text().startsWith("删除课表数据将会清除您以前排好的课表！\r\n您最好先保存"));
    dlg.show();
    QTest::keyClicks(dlg.Text1, typed + "K");
    QVERIFY(dlg.Text1->text().size() <= 2);
    dlg.Text1->setText(typed);
    dlg.cmdOK->click();
    QCOMPARE(dlg.mblnCheckFlag, confirmed);
    QCOMPARE(dlg.isVisible(), !confirmed);
    if (!confirmed && !typed.isEmpty())
        QCOMPARE(dlg.Text1->selectedText(), typed);
}

void TestMainWindow::confirmationClosedCountsAsCancel() {
    frmConfirm dlg;
    dlg.show();
    dlg.Text1->setText("OK");
    dlg.cmdOK->click();
    QVERIFY(dlg.mblnCheckFlag);
    dlg.show(); // a new showing forgets the last answer
    QVERIFY(!dlg.mblnCheckFlag);
    QVERIFY(dlg.Text1->text().isEmpty());
    dlg.close();
    QVERIFY(!dlg.mblnCheckFlag);
}

void TestMainWindow::deleteTimetableAfterConfirmation() {
    sql::exec(m_ctx->db.sql(), "insert into LessonListtb values('11',1,1,'1','T1',0)");
    sql::exec(m_ctx->db.sql(), "insert into ClassPlantb values('11','1','T1',3,3,1)");
    AnswerNextConfirm(QString()); // cancelled: nothing happens
    m_window->mnuDeleteLessonAll->trigger();
    QVERIFY(m_dialogs->shown.isEmpty());
    QCOMPARE(sql::firstInt(m_ctx->db.sql(), -1, "select count(*) from LessonListtb"), 1LL);

    AnswerNextConfirm("ok");
    m_window->mnuDeleteLessonAll->trigger();
    QCOMPARE(m_dialogs->lastText(), QString("删除课表完成。"));
    QCOMPARE(m_dialogs->lastTitle(), QString("课表系统"));
    QCOMPARE(sql::firstInt(m_ctx->db.sql(), -1, "select count(*) from LessonListtb"), 0LL);
    QCOMPARE(sql::firstInt(m_ctx->db.sql(), -1, "select BuildCount+IsAutoBuild from ClassPlantb"),
             0LL);

    sql::exec(m_ctx->db.sql(), "drop table ClassPlantb");
    AnswerNextConfirm("OK");
    m_window->mnuDeleteLessonAll->trigger();
    QCOMPARE(m_dialogs->lastText(), "删除课表失败！\n" + dbFailure());
    QCOMPARE(m_dialogs->shown.last().icon, UiDialogs::Icon::Error);
}

void TestMainWindow::upgradeAfterConfirmation() {
    sql::exec(m_ctx->db.sql(),
              "insert into Classtb values('21','二（1）班','二年级（1）班','二（1）')");
    AnswerNextConfirm("OK");
    m_window->mnuUpgradeAll->trigger();
    QCOMPARE(m_dialogs->lastText(), QString("课表学年升级完成。"));
    QCOMPARE(sql::firstText(m_ctx->db.sql(), "select Name from Classtb"), QString("三（1）班"));

    sql::exec(m_ctx->db.sql(), "drop table ClassPlantb");
    AnswerNextConfirm("OK");
    m_window->mnuUpgradeAll->trigger();
    QCOMPARE(m_dialogs->lastText(), "课表学年升级失败！\n" + dbFailure());
    QCOMPARE(m_dialogs->shown.last().icon, UiDialogs::Icon::Error);
    QCOMPARE(sql::firstText(m_ctx->db.sql(), "select Name from Classtb"), QString("三（1）班"));
}

void TestMainWindow::dataMaintenanceReportsFailure() {
    m_window->mnuDataMaintenance->trigger();
    QCOMPARE(m_dialogs->lastText(), QString("数据维护完成"));
    QCOMPARE(m_dialogs->lastTitle(), m_window->windowTitle());

    sql::exec(m_ctx->db.sql(), "drop table Limittb");
    m_window->mnuDataMaintenance->trigger();
    QCOMPARE(m_dialogs->lastText(), "数据维护失败！\n" + dbFailure());
    QCOMPARE(m_dialogs->shown.last().icon, UiDialogs::Icon::Error);
}

void TestMainWindow::openDatabaseSwitchesAndRecords() {
    const QString other = m_home->filePath("其他学校.db");
    QVERIFY(CreateTimetableFile(other));
    const QString before = m_window->windowTitle();
    m_dialogs->fileNames << QString(); // cancelled
    m_window->mnuOpenDb->trigger();
    QCOMPARE(m_window->windowTitle(), before);
    QCOMPARE(m_dialogs->fileDialogTitles.last(), QString("选择数据库文件"));
    QCOMPARE(m_dialogs->fileDialogFilters.last(), QString("数据库(*.db)"));
    QCOMPARE(m_dialogs->fileDialogDirs.last(), m_home->path());

    m_dialogs->fileNames << other;
    m_window->mnuOpenDb->trigger();
    QVERIFY(m_dialogs->shown.isEmpty());
    QCOMPARE(m_ctx->db.path(), other);
    QCOMPARE(m_window->windowTitle(), "塔沃林排课软件 -- " + other);
    QCOMPARE(GetDbFileName(), other); // the next start opens it
}

void TestMainWindow::openDatabaseFailureReopensThePrevious() {
    QVERIFY(WriteDbFileName(m_home->filePath("kb.db")));
    const QString junk = m_home->filePath("junk.db");
    QFile f(junk);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(2048, 'j'));
    f.close();
    m_dialogs->fileNames << junk;
    m_window->mnuOpenDb->trigger();
    QVERIFY(m_dialogs->lastText().startsWith("打开数据库失败！\n不是课表数据库：" + junk));
    QCOMPARE(m_dialogs->lastTitle(), QString("排课软件系统"));
    QVERIFY(m_ctx->db.isOpen());
    QCOMPARE(m_ctx->db.path(), m_home->filePath("kb.db"));
    QCOMPARE(QFileInfo(junk).size(), 2048); // refused, not touched
}

void TestMainWindow::saveAsCopiesAndKeepsWorkingOnTheCurrentFile() {
    // kbxt.ini may name another file (recording a newly opened one failed):
    // the copy is still made of the file in use, and work goes on there.
    QVERIFY(CreateTimetableFile(m_home->filePath("elsewhere.db")));
    QVERIFY(WriteDbFileName(m_home->filePath("elsewhere.db")));
    sql::exec(m_ctx->db.sql(), "insert into Coursetb values('1','语文','语文','语')");
    const QString copy = m_home->filePath("备份.db");
    QFile old(copy);
    QVERIFY(old.open(QIODevice::WriteOnly)); // an older file of that name is replaced
    old.write("old");
    old.close();
    const QString caption = m_window->windowTitle();
    m_dialogs->fileNames << copy;
    m_window->mnuDbSaveAs->trigger();
    QVERIFY(m_dialogs->shown.isEmpty());
    QCOMPARE(m_window->windowTitle(), caption);
    QCOMPARE(m_ctx->db.path(), m_home->filePath("kb.db"));
    QCOMPARE(GetDbFileName(), m_home->filePath("elsewhere.db"));
    TimetableDb backup;
    QVERIFY(backup.open(copy));
    QCOMPARE(sql::firstText(backup.sql(), "select Name from Coursetb"), QString("语文"));
}

void TestMainWindow::saveAsAddsTheDatabaseEnding() {
    m_dialogs->fileNames << m_home->filePath("学期末");
    m_window->mnuDbSaveAs->trigger();
    QVERIFY(m_dialogs->shown.isEmpty());
    QVERIFY(QFileInfo::exists(m_home->filePath("学期末.db")));
    QVERIFY(!QFileInfo::exists(m_home->filePath("学期末")));
    // The dialog starts in the database's folder.
    QCOMPARE(m_dialogs->fileDialogDirs.last(), m_home->path());

    // The dialog asked about the name as typed; the one with the ending is asked
    // about here, and a "no" keeps the older file.
    QFile older(m_home->filePath("学期末.db"));
    const qint64 size = older.size();
    sql::exec(m_ctx->db.sql(), "insert into Coursetb(Code) values('9')");
    m_dialogs->fileNames << m_home->filePath("学期末");
    m_dialogs->answers << UiDialogs::Answer::No;
    m_window->mnuDbSaveAs->trigger();
    QCOMPARE(m_dialogs->lastText(), QString("学期末.db 已存在。\n要替换它吗？"));
    QCOMPARE(QFileInfo(m_home->filePath("学期末.db")).size(), size);
    QVERIFY(m_ctx->db.isOpen());
}

void TestMainWindow::saveAsFailureKeepsTheDatabaseOpen() {
    QVERIFY(WriteDbFileName(m_home->filePath("kb.db")));
    m_dialogs->fileNames << m_home->filePath("no/such/folder/copy.db");
    m_window->mnuDbSaveAs->trigger();
    QCOMPARE(m_dialogs->lastText(), QString("保存数据库文件错误！"));
    QVERIFY(m_ctx->db.isOpen());
    QCOMPARE(sql::exec(m_ctx->db.sql(), "insert into Coursetb(Code) values('9')"), 1);
}

void TestMainWindow::aboutAndBriefInstructions() {
    frmAbout about;
    QCOMPARE(about.windowTitle(), QString("关于"));
    QCOMPARE(about.Label1->text(), QString("塔沃林排课软件"));
    QCOMPARE(about.lblVersion->text(), QStringLiteral("Ver %1.%2.%3")
                                           .arg(KBXT_VERSION_MAJOR)
                                           .arg(KBXT_VERSION_MINOR)
                                           .arg(KBXT_VERSION_PATCH));
    // No address was given to this build: no line shows a made-up one.
    QCOMPARE(about.lblWebsite->isVisibleTo(&about), !QStringLiteral(KBXT_WEBSITE).isEmpty());
    QCOMPARE(about.lblMail->isVisibleTo(&about), !QStringLiteral(KBXT_EMAIL).isEmpty());
    frmSimpleManual manual;
    const QStringList lines = manual.Label1->text().split('\n');
    QCOMPARE(lines.size(), 17);
    QCOMPARE(lines.first(), QString("简要使用步骤：（详细操作请参考《使用手册》）"));
    QVERIFY(lines[10].endsWith("进行重排。 \t"));
    QCOMPARE(lines.last(), QString("    4. 打印课表。"));
}

void TestMainWindow::schoolNameWindowKeepsYearAndTerm() {
    {
        frmSchoolName w;
        QCOMPARE(w.cmbYear->currentText(), QStringLiteral("未设置"));
        QCOMPARE(w.cmbTerm->currentText(), QStringLiteral("未设置"));
        // One without the other is refused and nothing is written.
        w.cmbYear->setCurrentIndex(w.cmbYear->count() - 2);
        w.cmdOK->click();
        QVERIFY(m_dialogs->lastText().contains(QStringLiteral("学年和学期要一起设置")));
        QCOMPARE(GetSchoolYear(), 0);
        w.txtName->setText(QStringLiteral("阳光小学"));
        w.cmbTerm->setCurrentIndex(w.cmbTerm->findText(QStringLiteral("第二学期")));
        w.cmdOK->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
    }
    const int year = QDate::currentDate().year() + 1;
    QCOMPARE(GetSchoolYear(), year);
    QCOMPARE(GetSchoolTerm(), 2);
    QCOMPARE(GetSchoolName(), QStringLiteral("阳光小学"));
    frmSchoolName again;
    QCOMPARE(again.cmbYear->currentText(), QStringLiteral("%1—%2").arg(year).arg(year + 1));
    QCOMPARE(again.cmbTerm->currentText(), QStringLiteral("第二学期"));
}

void TestMainWindow::fileDialogsAreChineseAndStartBesideTheDatabase() {
    if (!InstallQtChinese())
        QSKIP("Qt's Chinese translations (qt6-translations-l10n) are not installed");
    // The real dialog: offscreen there is no desktop dialog, so Qt's own shows.
    m_dialogs.reset();
    QStringList buttons;
    QString folder;
    OnNextModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (!dialog)
            return;
        folder = dialog->directory().absolutePath();
        for (QAbstractButton* b : dialog->findChild<QDialogButtonBox*>()->buttons())
            buttons << b->text();
        dialog->reject();
    });
    m_window->mnuOpenDb->trigger();
    m_dialogs = std::make_unique<FakeDialogs>();
    QCOMPARE(folder, m_home->path());
    QVERIFY2(buttons.contains("打开(&O)") || buttons.contains("打开"),
             qPrintable(buttons.join('|')));
    QVERIFY2(buttons.contains("取消"), qPrintable(buttons.join('|')));
    QCOMPARE(m_ctx->db.path(), m_home->filePath("kb.db"));
}

void TestMainWindow::startGuideStaysUntilTheFirstTimetable() {
    m_window->show();
    QVERIFY(m_window->lblStartGuide->isVisible());
    // In the manual's order: the school's settings before the lists, the
    // plan after the limits, a backup before generating.
    const QString text = m_window->lblStartGuide->text();
    int at = -1;
    for (const char* step : {"学校名称设置", "班级名单", "上课时间限制条件", "各班教学计划",
                             "预先安排固定课程", "数据库另存为", "自动生成课表"}) {
        const int next = int(text.indexOf(QString::fromUtf8(step)));
        QVERIFY2(next > at, step);
        at = next;
    }
    // The import is offered from the guide itself.
    QVERIFY(m_window->cmdGuideImport->isVisible());
    QVERIFY(m_window->cmdGuideImport->text().contains("(&I)"));
    OnNextModal([](QWidget* w) {
        QCOMPARE(w->objectName(), QStringLiteral("frmImport"));
        w->close();
    });
    m_window->cmdGuideImport->click();

    // Classes and pre-set lessons are not yet a timetable.
    sql::exec(m_ctx->db.sql(),
              "insert into Classtb values('11','一（1）班','一年级（1）班','一（1）')");
    sql::exec(m_ctx->db.sql(), "insert into LessonListtb (ClassCode, Day, LessonNo, CourseCode,"
                               " TeacherCode, SetFlag) values ('11', 5, 6, '01', '001', 0)");
    m_window->RefreshStartGuide();
    QVERIFY(m_window->lblStartGuide->isVisible());
    sql::exec(m_ctx->db.sql(), "insert into LessonListtb (ClassCode, Day, LessonNo, CourseCode,"
                               " TeacherCode, SetFlag) values ('11', 1, 1, '01', '001', 1)");
    m_window->RefreshStartGuide();
    QVERIFY(!m_window->lblStartGuide->isVisible());

    const QString empty = m_home->filePath("空学校.db");
    QVERIFY(CreateTimetableFile(empty));
    m_dialogs->fileNames << empty;
    m_window->mnuOpenDb->trigger();
    QVERIFY(m_window->lblStartGuide->isVisible());
}

void TestMainWindow::demoSchoolNeverReplacesAFile() {
    QFile taken(m_home->filePath("示例学校.db"));
    QVERIFY(taken.open(QIODevice::WriteOnly));
    taken.write("my own file");
    taken.close();
    m_window->mnuOpenDemo->trigger();
    QCOMPARE(m_dialogs->shown.size(), 1);
    QCOMPARE(m_dialogs->shown.last().icon, UiDialogs::Icon::Information);
    const QString demo = m_home->filePath("示例学校(2).db");
    QCOMPARE(m_ctx->db.path(), demo);
    QCOMPARE(GetDbFileName(), demo);
    QVERIFY(m_window->windowTitle().endsWith(" -- " + demo));
    QVERIFY(sql::firstInt(m_ctx->db.sql(), 0, "select count(*) from Classtb") >= 6);
    QVERIFY(taken.open(QIODevice::ReadOnly));
    QCOMPARE(taken.readAll(), QByteArray("my own file"));
    taken.close();

    // Again: a third file, the second demo left as it is.
    sql::exec(m_ctx->db.sql(), "delete from LessonListtb");
    m_window->mnuOpenDemo->trigger();
    QCOMPARE(m_ctx->db.path(), m_home->filePath("示例学校(3).db"));
    TimetableDb second;
    QVERIFY(second.open(demo));
    QCOMPARE(sql::firstInt(second.sql(), -1, "select count(*) from LessonListtb"), 0LL);
}

void TestMainWindow::manualWithoutBrowserSaysWhereItIs() {
    // No program to hand the manual to: the message names the file instead.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", m_home->path().toUtf8());
    m_window->mnuManual->trigger();
    qputenv("PATH", path);
    if (m_dialogs->shown.isEmpty())
        QSKIP("this platform opened the manual without a browser program");
    QCOMPARE(m_dialogs->shown.last().icon, UiDialogs::Icon::Error);
    QVERIFY(m_dialogs->lastText().contains(QDir::toNativeSeparators(ManualFile())));
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
