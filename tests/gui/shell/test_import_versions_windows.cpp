// The import and versions windows as the user drives them from the main menu:
// a preview before anything is written, the confirmation, the template export;
// a deleted timetable brought back through 课表版本.
#include "FakeDialogs.h"
#include "GuiTest.h"
#include "TestDb.h"

#include "core/store/Schema.h"
#include "core/store/Sql.h"
#include "core/store/TimetableVersions.h"
#include "gui/basedata/frmImport.h"
#include "gui/generation/frmVersions.h"
#include "gui/shell/frmMain.h"
#include "gui/widgets/AppContext.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <memory>

class TestImportVersionsWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FakeDialogs> m_dialogs;
    std::unique_ptr<AppContext> m_ctx;

    long long count(const char* q) { return sql::firstInt(m_ctx->db.sql(), -1, q); }

    QString writeFile(const char* name, const QByteArray& bytes) {
        QString file = m_home->filePath(QString::fromUtf8(name));
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return file;
    }

private slots:
    void init() {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("KBXT_HOME", m_home->path().toUtf8());
        m_dialogs = std::make_unique<FakeDialogs>();
        m_ctx = std::make_unique<AppContext>();
        QVERIFY(CreateTimetableFile(m_home->filePath("kb.db")));
        QVERIFY(OpenTimetableDb(m_ctx->db, m_home->filePath("kb.db")));
        sql::exec(m_ctx->db.sql(),
                  "insert into Classtb values('11','一（1）班','一年级（1）班','一（1）')");
        sql::exec(m_ctx->db.sql(), "insert into Coursetb values('01','语文','语文','语')");
        sql::exec(m_ctx->db.sql(), "insert into Teachertb values('001','张丽','张丽','张')");
    }

    void cleanup() { m_ctx.reset(); }

    void importPreviewThenConfirm() {
        frmImport dlg(*m_ctx);
        m_dialogs->fileNames.enqueue(writeFile(
            "plan.csv", "班级,课程,老师,节数\n一（1）班,语文,张丽,7\n一（1）班,数学,王芳,5\n"));
        dlg.cmdOpen->click();
        QCOMPARE(dlg.lstPreview->topLevelItem(1)->text(0), QString("将添加（4）"));
        QCOMPARE(dlg.lstPreview->topLevelItem(2)->text(0), QString("将修改（0）"));
        QCOMPARE(dlg.lstPreview->topLevelItem(3)->childCount(), 0);
        QVERIFY(dlg.cmdImport->isEnabled());
        QCOMPARE(count("select count(*) from Teachertb"), 1LL); // nothing written yet

        m_dialogs->answers.enqueue(UiDialogs::Answer::No);
        dlg.cmdImport->click();
        QCOMPARE(count("select count(*) from ClassPlantb"), 0LL);
        m_dialogs->answers.enqueue(UiDialogs::Answer::Yes);
        dlg.cmdImport->click();
        QCOMPARE(count("select count(*) from ClassPlantb"), 2LL);
        QCOMPARE(count("select count(*) from Teachertb where Name='王芳'"), 1LL);
        QVERIFY(!dlg.cmdImport->isEnabled());

        // The same file again: everything exists, nothing to import.
        m_dialogs->fileNames.enqueue(m_home->filePath("plan.csv"));
        dlg.cmdOpen->click();
        QCOMPARE(dlg.lstPreview->topLevelItem(3)->text(0), QString("已存在，不变（2）"));
        QVERIFY(!dlg.cmdImport->isEnabled());

        // The office's edit: another count and another form of the class name.
        QVERIFY(
            dlg.LoadFile(writeFile("edited.csv", "班级,课程,老师,节数\n一(1)班,语文,张丽,６\n")));
        QTreeWidgetItem* changed = dlg.lstPreview->topLevelItem(2);
        QCOMPARE(changed->text(0), QString("将修改（1）"));
        QCOMPARE(changed->child(0)->text(1), QString("一（1）班  语文  张丽  6节（原为 7 节）"));
        QVERIFY(dlg.cmdImport->isEnabled());
        m_dialogs->answers.enqueue(UiDialogs::Answer::Yes);
        dlg.cmdImport->click();
        QCOMPARE(count("select Count from ClassPlantb where CourseCode='01'"), 6LL);
        QCOMPARE(dlg.lblSummary->text(), QString("导入完成：添加了 0 项，修改了 1 项。"));
    }

    void wrongRowsBlockTheImport() {
        frmImport dlg(*m_ctx);
        QVERIFY(dlg.LoadFile(writeFile("bad.csv", "班级,课程,老师,节数\n七（1）班,语文,张丽,7\n")));
        QTreeWidgetItem* wrong = dlg.lstPreview->topLevelItem(0);
        QCOMPARE(wrong->text(0), QString("有错的行（1）"));
        QCOMPARE(wrong->child(0)->text(0), QString("工作表「bad」第 2 行"));
        QVERIFY(!dlg.cmdImport->isEnabled());

        QVERIFY(!dlg.LoadFile(writeFile("broken.xlsx", "not a workbook")));
        QCOMPARE(m_dialogs->shown.last().icon, UiDialogs::Icon::Error);
        QCOMPARE(dlg.lstPreview->topLevelItemCount(), 0);
    }

    void templateExport() {
        frmImport dlg(*m_ctx);
        m_dialogs->fileNames.enqueue(m_home->filePath("模板"));
        dlg.cmdTemplate->click();
        QVERIFY(QFile::exists(m_home->filePath("模板.xlsx")));
        QVERIFY(m_dialogs->lastText().startsWith("导入模板已导出"));
        QVERIFY(dlg.LoadFile(m_home->filePath("模板.xlsx")));
        QVERIFY(!dlg.cmdImport->isEnabled()); // all of it exists

        // A place that does not exist gets the one failure message, and no file.
        m_dialogs->fileNames.enqueue(m_home->filePath("无此文件夹/模板.xlsx"));
        dlg.cmdTemplate->click();
        QCOMPARE(m_dialogs->lastText(),
                 QStringLiteral("导出导入模板失败！请检查保存位置是否存在、是否可写。"));
        QCOMPARE(m_dialogs->shown.last().icon, UiDialogs::Icon::Error);
        QVERIFY(!QFileInfo::exists(m_home->filePath("无此文件夹")));
    }

    // Deleting the timetable keeps it; the versions window restores it after
    // asking, and lists the timetable it replaced.
    void deletedTimetableRestored() {
        sql::exec(m_ctx->db.sql(), "insert into ClassPlantb values('11','01','001',5,2,1)");
        sql::exec(m_ctx->db.sql(), "insert into LessonListtb values('11',1,1,'01','001',1)");
        sql::exec(m_ctx->db.sql(), "insert into LessonListtb values('11',2,1,'01','001',2)");
        frmMain main(*m_ctx);
        AnswerNextConfirm("OK");
        main.findChild<QAction*>("mnuDeleteLessonAll")->trigger();
        QCOMPARE(count("select count(*) from LessonListtb"), 0LL);

        frmVersions dlg(*m_ctx);
        QCOMPARE(dlg.lstVersions->topLevelItemCount(), 1);
        QCOMPARE(dlg.lstVersions->topLevelItem(0)->text(2), VersionCause::DeleteTimetable);
        QCOMPARE(dlg.lstVersions->topLevelItem(0)->text(3), QString("2"));
        m_dialogs->answers.enqueue(UiDialogs::Answer::No);
        dlg.cmdRestore->click();
        QCOMPARE(count("select count(*) from LessonListtb"), 0LL);
        m_dialogs->answers.enqueue(UiDialogs::Answer::Yes);
        dlg.cmdRestore->click();
        QCOMPARE(count("select count(*) from LessonListtb"), 2LL);
        QCOMPARE(count("select BuildCount*10+IsAutoBuild from ClassPlantb"), 21LL);
        QCOMPARE(dlg.lstVersions->topLevelItemCount(), 2);
        QCOMPARE(dlg.lstVersions->topLevelItem(0)->text(3), QString("0"));
    }

    // Completion replaces lessons placed by hand or generation: the timetable
    // before it is kept, whether or not the user goes on.
    void completionKeepsTheTimetableFirst() {
        sql::exec(m_ctx->db.sql(), "insert into ClassPlantb values('11','01','001',5,1,1)");
        sql::exec(m_ctx->db.sql(), "insert into LessonListtb values('11',1,1,'01','001',1)");
        frmMain main(*m_ctx);
        OnNextModal([](QWidget* w) { w->close(); });
        main.findChild<QAction*>("mnuAutoComplete")->trigger();
        frmVersions dlg(*m_ctx);
        QCOMPARE(dlg.lstVersions->topLevelItemCount(), 1);
        QCOMPARE(dlg.lstVersions->topLevelItem(0)->text(2), VersionCause::Completion);
        QCOMPARE(dlg.lstVersions->topLevelItem(0)->text(3), QString("1"));
    }
};

QTEST_MAIN(TestImportVersionsWindows)
#include "test_import_versions_windows.moc"
