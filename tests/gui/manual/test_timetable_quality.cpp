// 课表质量: the quality figures in a window, opened from the main menu.
#include "GuiTest.h"
#include "TestContext.h"
#include "TestDb.h"
#include "core/rules/Quality.h"
#include "gui/manual/frmTimetableQuality.h"
#include "gui/shell/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

// Class 11 has 语文 at Monday 1 and 数学 at 3: one free period inside its day.
void fillSchool(TestDb& t) {
    t.addClass("11", "一（1）班", "一年级（1）班", "一1");
    t.addCourse("1", "语文");
    t.addCourse("2", "数学");
    t.addTeacher("T1", "王芳");
    t.addPlan("11", "1", "T1", 1, 1, 1);
    t.addPlan("11", "2", "T1", 1, 1, 1);
    t.addLesson("11", 1, 1, "1", "T1", 1);
    t.addLesson("11", 1, 3, "2", "T1", 1);
}

} // namespace

class TestTimetableQuality : public QObject {
    Q_OBJECT
private slots:
    void namesTheClassAndTeacherWithAGap() {
        TestDb t;
        fillSchool(t);
        TestContext c(t);
        frmMain main(c.ctx);
        QString title, firstMeasure, worstClass, worstTeacher;
        OnNextModal([&](QWidget* w) {
            auto* dlg = qobject_cast<frmTimetableQuality*>(w);
            QVERIFY(dlg);
            title = dlg->windowTitle();
            firstMeasure = dlg->lstMeasures->topLevelItem(0)->text(1);
            worstClass = dlg->lstClasses->topLevelItem(0)->text(0) + ' ' +
                         dlg->lstClasses->topLevelItem(0)->text(1);
            worstTeacher = dlg->lstTeachers->topLevelItem(0)->text(0);
            dlg->cmdCopy->click();
            dlg->close();
        });
        main.mnuTimetableQuality->trigger();
        QCOMPARE(title, QStringLiteral("课表质量"));
        QCOMPARE(firstMeasure, QStringLiteral("1 节"));
        QCOMPARE(worstClass, QStringLiteral("一（1）班 班级一天中间的空堂 1 节"));
        QCOMPARE(worstTeacher, QStringLiteral("王芳"));
        QVERIFY(QApplication::clipboard()->text().startsWith(
            QStringLiteral("班级一天中间的空堂：1 节\n")));
    }

    void recountFollowsTheTimetableAndSaysWhyItCannotRead() {
        TestDb t;
        fillSchool(t);
        TestContext c(t);
        frmTimetableQuality w(c.ctx);
        QCOMPARE(w.lstClasses->topLevelItemCount(), 1);
        // 数学 to Tuesday's first lesson: no hole, and 王芳 one lesson a day.
        c.exec("update LessonListtb set Day=2, LessonNo=1 where LessonNo=3");
        w.cmdRecount->click();
        QCOMPARE(w.lstClasses->topLevelItemCount(), 0);
        QCOMPARE(w.lstTeachers->topLevelItemCount(), 0);
        QVERIFY(w.lblResult->text().startsWith(QStringLiteral("没有空堂")));
        QCOMPARE(w.lstMeasures->topLevelItemCount(), rules::kMeasureCount);

        // A double lesson planned and laid: one more row, after the measures.
        c.exec("update ClassPlantb set Count=2 where CourseCode='1'");
        c.exec("insert into LessonListtb (ClassCode, Day, LessonNo, CourseCode, TeacherCode, "
               "SetFlag) values ('11', 1, 2, '1', 'T1', 1)");
        c.exec("insert into PlanDoubletb values ('11', '1', 'T1', 1)");
        w.cmdRecount->click();
        QCOMPARE(w.lstMeasures->topLevelItemCount(), rules::kMeasureCount + 1);
        const QTreeWidgetItem* kept = w.lstMeasures->topLevelItem(rules::kMeasureCount);
        QCOMPARE(kept->text(0) + '|' + kept->text(1),
                 QStringLiteral("连堂与合班|连堂：排成 1 个，计划 1 个"));

        AppContext closed; // nothing open
        frmTimetableQuality none(closed);
        QVERIFY(none.lblResult->text().startsWith(QStringLiteral("读取课表数据失败：")));
        QCOMPARE(none.lstMeasures->topLevelItemCount(), 0);
    }
};

QTEST_MAIN(TestTimetableQuality)
#include "test_timetable_quality.moc"
