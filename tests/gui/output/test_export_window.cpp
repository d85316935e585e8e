// The export window driven offscreen: its lists, the save dialog and the
// message for every result.
#include "ExportFixture.h"
#include "FakeDialogs.h"
#include "GuiTest.h"
#include "XlsxReader.h"
#include "core/config/AppConfig.h"
#include "gui/output/frmExport.h"
#include "gui/shell/frmMain.h"
#include "gui/widgets/AppContext.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using Icon = UiDialogs::Icon;
Q_DECLARE_METATYPE(UiDialogs::Icon)

namespace {
const QString kCaption = QStringLiteral("导出课表到Excel");
// @ stands for the folder chosen in the test.
const QString kNoFolder = QStringLiteral("课表导出失败！文件夹不存在：@/nope\n请另选保存位置。");

QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}
} // namespace

class TestExportWindow : public QObject {
    Q_OBJECT

    // A database with the small school, opened by the window's context (the
    // file is held exclusively, so the TestDb's own connection is closed).
    struct School {
        TestDb t;
        AppContext ctx;
        explicit School(bool withLessons = true) {
            FillSmallSchool(t);
            t.addClass("31", "空班");
            t.addTeacher("T3", "王老师");
            if (!withLessons)
                t.exec("delete from LessonListtb");
            t.db.close();
            QVERIFY(ctx.db.open(t.path));
            ctx.lessonsPerDay = 6;
        }
    };

private slots:
    void initTestCase() { QVERIFY(WriteSchoolName(QStringLiteral("实验小学"))); }

    void loadsListsAndSteps() {
        School s;
        frmExport w(s.ctx);
        QCOMPARE(w.windowTitle(), kCaption);
        QCOMPARE(Items(w.CmbClass), QStringList({"二(1)班", "一(1)班", "一(2)班", "空班"}));
        QCOMPARE(Items(w.CmbTeacher), QStringList({"李老师", "张老师", "王老师"}));
        QCOMPARE(w.CmbClass->currentIndex(), 0);
        QCOMPARE(w.CmbTeacher->currentIndex(), 0);
        QCOMPARE(w.cmdOK->text(), QStringLiteral("退出(&Q)"));

        w.CmdPrevClass->click();
        QCOMPARE(w.CmbClass->currentIndex(), 0);
        for (int i = 0; i < 5; ++i)
            w.CmdNextClass->click();
        QCOMPARE(w.CmbClass->currentIndex(), 3);
        w.CmdPrevClass->click();
        QCOMPARE(w.CmbClass->currentIndex(), 2);
        w.CmdNextTeacher->click();
        w.CmdNextTeacher->click();
        w.CmdNextTeacher->click();
        QCOMPARE(w.CmbTeacher->currentText(), QStringLiteral("王老师"));
        w.CmdPrevTeacher->click();
        QCOMPARE(w.CmbTeacher->currentText(), QStringLiteral("张老师"));
    }

    void askExportFile_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no extension") << "/tmp/课表"
                                      << "/tmp/课表.xlsx";
        QTest::newRow("dotted folder") << "/tmp/a.b/课表"
                                       << "/tmp/a.b/课表.xlsx";
        QTest::newRow("xlsx") << "/tmp/课表.xlsx"
                              << "/tmp/课表.xlsx";
        QTest::newRow("other extension kept") << "/tmp/课表.XLSX"
                                              << "/tmp/课表.XLSX";
        QTest::newRow("cancelled") << ""
                                   << "";
    }

    void askExportFile() {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        School s;
        FakeDialogs fake;
        fake.fileNames.enqueue(typed);
        frmExport w(s.ctx);
        QCOMPARE(w.AskExportFile(ScheduleKind::Total, {}), expected);
        QCOMPARE(fake.fileDialogTitles, QStringList{QStringLiteral("保存为Excel文件")});
        QVERIFY(fake.fileDialogFilters.value(0).contains(QStringLiteral("*.xlsx")));
    }

    // "课表" typed over an existing 课表.xlsx: the dialog never asked about that file.
    void completedNameAsksBeforeReplacing_data() {
        QTest::addColumn<bool>("replace");
        QTest::newRow("replace") << true;
        QTest::newRow("keep") << false;
    }

    void completedNameAsksBeforeReplacing() {
        QFETCH(bool, replace);
        School s;
        FakeDialogs fake;
        QTemporaryDir out;
        QFile existing(out.filePath("课表.xlsx"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
        fake.fileNames.enqueue(out.filePath("课表"));
        fake.answers.enqueue(replace ? UiDialogs::Answer::Yes : UiDialogs::Answer::No);
        frmExport w(s.ctx);
        QCOMPARE(w.AskExportFile(ScheduleKind::Total, {}),
                 replace ? out.filePath("课表.xlsx") : QString());
        QCOMPARE(fake.shown.size(), 1);
        QCOMPARE(fake.shown[0].buttons, UiDialogs::Buttons::YesNo);
        QVERIFY(fake.shown[0].text.contains(QStringLiteral("课表.xlsx")));
    }

    void exportMessages_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("selection");
        QTest::addColumn<bool>("withLessons");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Icon>("icon");
        const Icon info = Icon::Information;
        const Icon error = Icon::Error;
        QTest::newRow("class") << "cmdExportClass"
                               << "一(1)班" << true << "a"
                               << "课表导出成功\n\n保存在：@/a.xlsx" << info;
        QTest::newRow("all classes") << "cmdExportAllClass"
                                     << "" << true << "a.xlsx"
                                     << "课表导出成功\n\n保存在：@/a.xlsx" << info;
        QTest::newRow("teacher") << "cmdExportTeacher"
                                 << "张老师" << true << "a"
                                 << "课表导出成功\n\n保存在：@/a.xlsx" << info;
        QTest::newRow("overview") << "CmdExportTotal"
                                  << "" << true << "a"
                                  << "课表导出成功\n\n保存在：@/a.xlsx" << info;
        QTest::newRow("class without lessons") << "cmdExportClass"
                                               << "空班" << true << "a"
                                               << "该班级没有课表数据" << info;
        QTest::newRow("teacher without lessons") << "cmdExportTeacher"
                                                 << "王老师" << true << "a"
                                                 << "该教师没有课表数据" << info;
        QTest::newRow("all classes, no timetable") << "cmdExportAllClass"
                                                   << "" << false << "a"
                                                   << "没有课表数据" << info;
        QTest::newRow("all teachers, no timetable") << "cmdExportAllTeacher"
                                                    << "" << false << "a"
                                                    << "没有课表数据" << info;
        QTest::newRow("overview, no timetable") << "CmdExportTotal"
                                                << "" << false << "a"
                                                << "没有课表数据" << info;
        QTest::newRow("class, no folder") << "cmdExportClass"
                                          << "一(1)班" << true << "nope/a" << kNoFolder << error;
        QTest::newRow("all teachers, no folder") << "cmdExportAllTeacher"
                                                 << "" << true << "nope/a" << kNoFolder << error;
        QTest::newRow("overview, no folder") << "CmdExportTotal"
                                             << "" << true << "nope/a" << kNoFolder << error;
    }

    void exportMessages() {
        QFETCH(QString, button);
        QFETCH(QString, selection);
        QFETCH(bool, withLessons);
        QFETCH(QString, target);
        QFETCH(QString, text);
        QFETCH(Icon, icon);
        School s(withLessons);
        FakeDialogs fake;
        QTemporaryDir out;
        fake.fileNames.enqueue(out.filePath(target));
        frmExport w(s.ctx);
        if (!selection.isEmpty()) {
            w.CmbClass->setCurrentText(selection);
            w.CmbTeacher->setCurrentText(selection);
        }
        w.findChild<QPushButton*>(button)->click();
        QCOMPARE(fake.shown.size(), 1);
        QCOMPARE(fake.lastTitle(), kCaption);
        QCOMPARE(fake.lastText(), QString(text).replace('@', out.path()));
        QCOMPARE(fake.shown.last().icon, icon);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        const QString saved = out.filePath(target.endsWith(".xlsx") ? target : target + ".xlsx");
        const bool done = text.startsWith(QStringLiteral("课表导出成功"));
        QCOMPARE(QFile::exists(saved), done);
        if (done)
            QCOMPARE(fake.shown.last().buttons, UiDialogs::Buttons::OkOpenFolder);
    }

    // The name offered says what the workbook holds; the folder is the one
    // used last, remembered across windows.
    void offeredNameInTheLastFolder() {
        WriteOutputFolder({});
        School s;
        FakeDialogs fake;
        QTemporaryDir out;
        fake.fileNames << out.filePath("x.xlsx") << QString() << QString();
        frmExport w(s.ctx);
        w.CmbClass->setCurrentText("一(1)班");
        w.cmdExportClass->click();
        QCOMPARE(fake.fileDialogDirs.value(0),
                 QDir(DocumentsFolder()).filePath(QStringLiteral("一(1)班课表.xlsx")));
        frmExport again(s.ctx);
        again.CmdExportTotal->click();
        QCOMPARE(fake.fileDialogDirs.value(1), out.filePath(QStringLiteral("全校总课表.xlsx")));
        again.cmdExportAllTeacher->click();
        QCOMPARE(fake.fileDialogDirs.value(2), out.filePath(QStringLiteral("全校教师课表.xlsx")));
    }

    void cancelOrEmptyListDoesNothing() {
        School s;
        FakeDialogs fake;
        frmExport w(s.ctx);
        w.CmdExportTotal->click(); // the dialog answers "cancelled"
        QCOMPARE(fake.fileDialogTitles.size(), 1);
        QVERIFY(fake.shown.isEmpty());

        w.CmbClass->clear();
        w.cmdExportClass->click();
        QCOMPARE(fake.fileDialogTitles.size(), 1); // not even asked
        QVERIFY(fake.shown.isEmpty());
    }

    void databaseFailureIsReported() {
        School s;
        FakeDialogs fake;
        QTemporaryDir out;
        fake.fileNames.enqueue(out.filePath("a.xlsx"));
        frmExport w(s.ctx);
        s.ctx.db.close();
        w.CmdExportTotal->click();
        QCOMPARE(fake.shown.size(), 1);
        QVERIFY(fake.lastText().startsWith(QStringLiteral("课表导出失败！")));
        QVERIFY(fake.lastText().size() > QStringLiteral("课表导出失败！").size());
        QCOMPARE(fake.shown.last().icon, Icon::Error);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(!QFile::exists(out.filePath("a.xlsx")));
    }

    // The teacher workbook from the window carries the two-line cells.
    void teacherWorkbookFromWindow() {
        QString why;
        if (!XlsxReaderAvailable(&why))
            QSKIP(qPrintable(why));
        School s;
        FakeDialogs fake;
        QTemporaryDir out;
        fake.fileNames.enqueue(out.filePath("教师"));
        frmExport w(s.ctx);
        w.cmdExportAllTeacher->click();
        QString error;
        const QList<XlsxSheet> sheets = ReadXlsx(out.filePath("教师.xlsx"), &error);
        QCOMPARE(sheets.size(), 1);
        QCOMPARE(sheets[0].title, QStringLiteral("教师课表"));
        QCOMPARE(sheets[0].text("D1"), QStringLiteral("实验小学     李老师"));
        QCOMPARE(sheets[0].text("C6"), QStringLiteral("数学\n一1"));
    }

    void mainMenuOpensTheWindow() {
        School s;
        frmMain main(s.ctx);
        QVERIFY(main.mnuExport->isEnabled());
        QString opened;
        OnNextModal([&opened](QWidget* w) {
            opened = w->objectName();
            w->close();
        });
        main.mnuExport->trigger();
        QCOMPARE(opened, QStringLiteral("frmExport"));
    }
};

QTEST_MAIN(TestExportWindow)
#include "test_export_window.moc"
