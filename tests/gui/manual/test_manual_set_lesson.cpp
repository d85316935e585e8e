#include "FakeDialogs.h"
#include "GridCells.h"
#include "GuiTest.h"
#include "TestContext.h"
#include "TestDb.h"
#include "TimetableInvariants.h"
#include "core/generation/BuildTimetable.h"
#include "core/model/DemoSchool.h"
#include "core/store/DoubleLessons.h"
#include "core/store/ManualLessons.h"
#include "core/store/SchoolWriter.h"
#include "gui/manual/frmManualSetLesson.h"
#include "gui/shell/frmMain.h"
#include "gui/widgets/StatusPanels.h"
#include "gui/widgets/TimetableGrid.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

namespace {

const QString kHelpIdle = QStringLiteral("鼠标左键－选择欲交换的课时    鼠标右键－删除课时");

// Class 11: 语文 (张) Monday 1 and Tuesday 1 of 3 planned, 数学 (李) Monday 2,
// 英语 (王) fixed on Monday 3. Class 12: 数学 (李) Tuesday 2, 英语 (王)
// Monday 1, 音乐 (赵) twice though planned once. Class 21: 语文 (张) Wednesday 4.
void fillSchool(TestDb& t) {
    t.addClass("11", "一（1）班", "一年级（1）班", "一1");
    t.addClass("12", "一（2）班", "一年级（2）班", "一2");
    t.addClass("21", "二（1）班", "二年级（1）班", "二1");
    t.addCourse("1", "语文");
    t.addCourse("2", "数学");
    t.addCourse("3", "英语");
    t.addCourse("4", "音乐");
    t.addTeacher("T1", "张老师");
    t.addTeacher("T2", "李老师");
    t.addTeacher("T3", "王老师");
    t.addTeacher("T4", "赵老师");
    t.addTeacher("T6", "周老师");
    t.addPlan("11", "1", "T1", 3, 2, 1);
    t.addPlan("11", "2", "T2", 1, 1, 1);
    t.addPlan("11", "3", "T3", 1, 1, 1);
    t.addPlan("12", "2", "T2", 1, 1, 1);
    t.addPlan("12", "3", "T3", 1, 1, 1);
    t.addPlan("12", "4", "T4", 1, 2, 1);
    t.addPlan("21", "1", "T1", 1, 1, 1);
    t.addLesson("11", 1, 1, "1", "T1", 1);
    t.addLesson("11", 2, 1, "1", "T1", 1);
    t.addLesson("11", 1, 2, "2", "T2", 1);
    t.addLesson("11", 1, 3, "3", "T3", 0);
    t.addLesson("12", 2, 2, "2", "T2", 1);
    t.addLesson("12", 1, 1, "3", "T3", 1);
    t.addLesson("12", 3, 1, "4", "T4", 1);
    t.addLesson("12", 3, 2, "4", "T4", 1);
    t.addLesson("21", 3, 4, "1", "T1", 1);
}

QStringList unplacedRows(const QTreeWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        rows << item->text(0) + " " + item->text(1) + " " + item->text(2);
    }
    return rows;
}

void clickUnplaced(QTreeWidget* list, int index) {
    QTreeWidgetItem* item = list->topLevelItem(index);
    QVERIFY(item);
    list->window()->show();
    QVERIFY(QTest::qWaitForWindowExposed(list->window()));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(item).center());
}

QString lessonAt(TestContext& c, const char* cls, int day, int lessonNo) {
    return c.text(QStringLiteral("select CourseCode||TeacherCode||SetFlag from LessonListtb"
                                 " where ClassCode='%1' and Day=%2 and LessonNo=%3")
                      .arg(cls)
                      .arg(day)
                      .arg(lessonNo));
}

int gridRow(int lessonNo) {
    return GridRowOfLesson(lessonNo);
}

} // namespace

class TestManualSetLesson : public QObject {
    Q_OBJECT
private slots:
    void listsUnplacedAndOverPlacedRows();
    void placingAnUnplacedLesson();
    void placementCountsInTheChosenPlanRow();
    void yellowFollowsTheTeachersOfBothLessons();
    void moveToEmptyPeriodInsertsHandPlacedRow();
    void swapWithPresetPeriodKeepsItsFlag();
    void rightClickOnEmptyWhiteCellChangesNothing();
    void rightClickOnLessonDeletesIt();
    void onlyTheSelectedLessonCanBeDeleted();
    void undoPutsTheCursorOnTheChange();
    void fiveCharacterNamesAreShownWhole();
    void teacherGridLeadsToTheClass();
    void failedMoveLeavesBothPeriods();
    void placeLessonRefusesBusyPeriods_data();
    void placeLessonRefusesBusyPeriods();
    void longSequenceKeepsTimetableSound();
    void moveIntoTimeOffAsksFirst();
    void swapJudgesBothLessonsAtTheirNewPeriods();
    void colourAndHoverComeFromOneAnswer();
    void reasonsFollowEveryChange();
    void writeFailureSaysWhy();
    void mainMenuOpensBothWindows();
    void doubleLessonMovesAndGoesWhole();
};

void TestManualSetLesson::listsUnplacedAndOverPlacedRows() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    frmManualSetLesson w(c.ctx);
    QCOMPARE(w.CmbClass->currentText(), QStringLiteral("一（1）班"));
    QCOMPARE(w.staMsg->panelText(1), kHelpIdle);
    QCOMPARE(w.staMsg->panelText(2), QStringLiteral("一（1）班"));
    QCOMPARE(w.CmbTeacher->currentIndex(), -1);
    QCOMPARE(GridCellText(w.MSFlexGrid1, 3, 1), QStringLiteral("英语"));
    QCOMPARE(unplacedRows(w.lstCourse), (QStringList{"一（1）班 语文 1", "一（2）班 音乐 -1"}));

    // An over-placed row shows its class and colours nothing.
    clickUnplaced(w.lstCourse, 1);
    QCOMPARE(w.CmbClass->currentText(), QStringLiteral("一（2）班"));
    QCOMPARE(w.mintRemainCount, -1);
    QVERIFY(CellsOfColour(w.MSFlexGrid1, CellColour::Free).isEmpty());
    QCOMPARE(w.staMsg->panelText(1), kHelpIdle);
}

void TestManualSetLesson::placingAnUnplacedLesson() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    frmManualSetLesson w(c.ctx);
    clickUnplaced(w.lstCourse, 0);
    QCOMPARE(w.mstrTeacherCode, QStringLiteral("T1"));
    // Empty periods of the class where 张 teaches nowhere else, on the days
    // without 语文 yet (one a day for 3 a week).
    QStringList closed{"3-4"};
    for (int lessonNo = 1; lessonNo <= 6; ++lessonNo)
        closed << QStringLiteral("1-%1").arg(lessonNo) << QStringLiteral("2-%1").arg(lessonNo);
    QCOMPARE(sorted(CellsOfColour(w.MSFlexGrid1, CellColour::Free)), sorted(allPeriodsBut(closed)));
    QCOMPARE(w.staMsg->panelText(1),
             QStringLiteral("鼠标左键单击青色课时－安排选择欲的未排课时    鼠标右键－删除课时"));

    // The root causes on demand: the missing 语文 fits somewhere now.
    {
        FakeDialogs dialogs;
        w.cmdCauses->click();
        QCOMPARE(dialogs.lastTitle(), QStringLiteral("排不下的根本原因"));
        QVERIFY2(dialogs.lastText().startsWith(QStringLiteral("排不下的根本原因：")) &&
                     dialogs.lastText().contains(QStringLiteral("语文")),
                 qPrintable(dialogs.lastText()));
    }

    ClickCell(w.MSFlexGrid1, gridRow(3), 4);
    QCOMPARE(lessonAt(c, "11", 4, 3), QStringLiteral("1T12"));
    QCOMPARE(c.count("select BuildCount from ClassPlantb where ClassCode='11' and CourseCode='1'"),
             3LL);
    QCOMPARE(w.staMsg->panelText(3), QStringLiteral("写入成功"));
    QCOMPARE(GridCellText(w.MSFlexGrid1, gridRow(3), 4), QStringLiteral("语文"));
    QVERIFY(CellsOfColour(w.MSFlexGrid1, CellColour::Free).isEmpty());
    QCOMPARE(unplacedRows(w.lstCourse), QStringList{"一（2）班 音乐 -1"});
    QCOMPARE(w.mstrCourseCode, QStringLiteral("1")); // stays chosen
    QVERIFY(w.lblWhy->text().isEmpty());             // nothing left to place
    QCOMPARE(w.CmbTeacher->currentText(), QStringLiteral("张老师"));
    QCOMPARE(GridCellText(w.grdTeacher, gridRow(3), 4), QStringLiteral("语文\n一1"));
    QCOMPARE(w.grdTeacher->currentRow(), gridRow(3));
    QCOMPARE(w.grdTeacher->currentColumn(), 4);
    VERIFY_TIMETABLE_SOUND(c.ctx.db);

    // Without cyan cells a left click on an empty period places nothing.
    ClickCell(w.MSFlexGrid1, gridRow(4), 4);
    QCOMPARE(c.count("select count(*) from LessonListtb"), 10LL);
}

void TestManualSetLesson::placementCountsInTheChosenPlanRow() {
    TestDb t;
    fillSchool(t);
    t.addPlan("11", "1", "T6", 1); // 周 teaches one more 语文 lesson of class 11
    TestContext c(t);
    frmManualSetLesson w(c.ctx);
    QCOMPARE(unplacedRows(w.lstCourse),
             (QStringList{"一（1）班 语文 1", "一（1）班 语文 1", "一（2）班 音乐 -1"}));
    clickUnplaced(w.lstCourse, 1);
    QCOMPARE(w.mstrTeacherCode, QStringLiteral("T6"));
    QVERIFY(CellsOfColour(w.MSFlexGrid1, CellColour::Free).contains("3-4")); // 周 is free then
    ClickCell(w.MSFlexGrid1, gridRow(4), 3);
    QCOMPARE(lessonAt(c, "11", 3, 4), QStringLiteral("1T62"));
    QCOMPARE(c.count("select BuildCount from ClassPlantb where TeacherCode='T6'"), 1LL);
    QCOMPARE(unplacedRows(w.lstCourse), (QStringList{"一（1）班 语文 1", "一（2）班 音乐 -1"}));
    VERIFY_TIMETABLE_SOUND(c.ctx.db);
}

void TestManualSetLesson::yellowFollowsTheTeachersOfBothLessons() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    frmManualSetLesson w(c.ctx);

    // 语文 of 张 on Monday 1: never with another 语文 (2-1), not where 张
    // teaches class 21 (3-4), not with 英语 whose 王 teaches class 12 on Monday 1.
    ClickCell(w.MSFlexGrid1, 1, 1);
    QCOMPARE(CellsOfColour(w.MSFlexGrid1, CellColour::Selected), QStringList{"1-1"});
    QCOMPARE(sorted(CellsOfColour(w.MSFlexGrid1, CellColour::Swappable)),
             sorted(allPeriodsBut({"1-1", "2-1", "3-4", "1-3"})));
    QCOMPARE(w.staMsg->panelText(1),
             QStringLiteral(
                 "鼠标左键－选择欲交换的课时    鼠标右键单击黄色课时（或 Enter）－交换课时    "
                 "鼠标右键单击红色课时（或 Delete）－删除选中的课时    Esc－取消选择"));
    QCOMPARE(w.CmbTeacher->currentText(), QStringLiteral("张老师"));

    // The other way round: 英语 of 王 may not go to Monday 1, where 王 is busy.
    ClickCell(w.MSFlexGrid1, 3, 1);
    QCOMPARE(CellsOfColour(w.MSFlexGrid1, CellColour::Selected), QStringList{"1-3"});
    const QStringList yellow = CellsOfColour(w.MSFlexGrid1, CellColour::Swappable);
    QVERIFY(!yellow.contains("1-1"));
    QVERIFY(yellow.contains("1-2"));
    QCOMPARE(yellow.size(), 28);

    // A click on the red cell keeps the selection; one on an empty white
    // cell ends it.
    ClickCell(w.MSFlexGrid1, 3, 1);
    QCOMPARE(CellsOfColour(w.MSFlexGrid1, CellColour::Selected), QStringList{"1-3"});
    ClickCell(w.MSFlexGrid1, gridRow(6), 5);
    QVERIFY(CellsOfColour(w.MSFlexGrid1, CellColour::Selected).isEmpty());
    QVERIFY(CellsOfColour(w.MSFlexGrid1, CellColour::Swappable).isEmpty());
    QCOMPARE(w.staMsg->panelText(1), kHelpIdle);
    QCOMPARE(w.CmbTeacher->currentIndex(), -1);
}

void TestManualSetLesson::moveToEmptyPeriodInsertsHandPlacedRow() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    frmManualSetLesson w(c.ctx);
    ClickCell(w.MSFlexGrid1, 2, 1); // 数学 of 李, Monday 2
    QVERIFY(!CellsOfColour(w.MSFlexGrid1, CellColour::Swappable).contains("2-2")); // 李 in class 12
    ClickCell(w.MSFlexGrid1, 4, 4, Qt::RightButton);
    // Monday keeps lessons 1 and 3, Thursday starts at lesson 4.
    QCOMPARE(w.staMsg->panelText(3), QStringLiteral("换课成功；本班空堂 +1，本班不从第1节开始 +1"));
    QCOMPARE(lessonAt(c, "11", 4, 4), QStringLiteral("2T22"));
    QVERIFY(lessonAt(c, "11", 1, 2).isEmpty());
    QCOMPARE(GridCellText(w.MSFlexGrid1, 4, 4), QStringLiteral("数学"));
    QVERIFY(GridCellText(w.MSFlexGrid1, 2, 1).isEmpty());
    QCOMPARE(w.ClassSlots.at(4, 4).TeacherName, QStringLiteral("李老师"));
    QVERIFY(w.ClassSlots.at(1, 2).isEmpty());
    QCOMPARE(CellsOfColour(w.MSFlexGrid1, CellColour::Normal).size(), 30);
    // The teacher view shows the lesson where it is now.
    QCOMPARE(w.CmbTeacher->currentText(), QStringLiteral("李老师"));
    QCOMPARE(GridCellText(w.grdTeacher, 4, 4), QStringLiteral("数学\n一1"));
    QVERIFY(GridCellText(w.grdTeacher, 2, 1).isEmpty());
    VERIFY_TIMETABLE_SOUND(c.ctx.db);
}

void TestManualSetLesson::swapWithPresetPeriodKeepsItsFlag() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    frmManualSetLesson w(c.ctx);
    ClickCell(w.MSFlexGrid1, 2, 1);                  // generated 数学, Monday 2
    ClickCell(w.MSFlexGrid1, 3, 1, Qt::RightButton); // fixed 英语, Monday 3
    QVERIFY(w.staMsg->panelText(3).startsWith(QStringLiteral("换课成功")));
    QCOMPARE(lessonAt(c, "11", 1, 3), QStringLiteral("2T20"));
    QCOMPARE(lessonAt(c, "11", 1, 2), QStringLiteral("3T31"));
    QCOMPARE(GridCellText(w.MSFlexGrid1, 3, 1), QStringLiteral("数学"));
    QCOMPARE(GridCellText(w.MSFlexGrid1, 2, 1), QStringLiteral("英语"));
    QCOMPARE(c.count("select count(*) from LessonListtb"), 9LL);
    VERIFY_TIMETABLE_SOUND(c.ctx.db);
}

void TestManualSetLesson::rightClickOnEmptyWhiteCellChangesNothing() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    frmManualSetLesson w(c.ctx);
    ClickCell(w.MSFlexGrid1, 1, 1);
    QCOMPARE(w.CmbTeacher->currentText(), QStringLiteral("张老师"));
    const QString status = w.staMsg->panelText(3);
    QCOMPARE(GridCellColour(w.MSFlexGrid1, 4, 3), CellColour::Normal); // 3-4, empty

    ClickCell(w.MSFlexGrid1, 4, 3, Qt::RightButton);
    QCOMPARE(w.CmbTeacher->currentText(), QStringLiteral("张老师"));
    QCOMPARE(CellsOfColour(w.MSFlexGrid1, CellColour::Selected), QStringList{"1-1"});
    QCOMPARE(w.staMsg->panelText(3), status);
    QCOMPARE(c.count("select count(*) from LessonListtb"), 9LL);
}

void TestManualSetLesson::rightClickOnLessonDeletesIt() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    frmManualSetLesson w(c.ctx);
    ClickCell(w.MSFlexGrid1, 1, 2, Qt::RightButton); // 语文, Tuesday 1
    QCOMPARE(w.staMsg->panelText(3), QStringLiteral("删除成功"));
    QVERIFY(lessonAt(c, "11", 2, 1).isEmpty());
    QVERIFY(GridCellText(w.MSFlexGrid1, 1, 2).isEmpty());
    QVERIFY(w.ClassSlots.at(2, 1).isEmpty());
    QCOMPARE(unplacedRows(w.lstCourse), (QStringList{"一（1）班 语文 2", "一（2）班 音乐 -1"}));
    QCOMPARE(w.CmbTeacher->currentIndex(), -1);
    // 张's lesson in class 21 keeps its count.
    QCOMPARE(c.count("select BuildCount from ClassPlantb where ClassCode='21'"), 1LL);
    VERIFY_TIMETABLE_SOUND(c.ctx.db);

    // A fixed lesson goes too.
    ClickCell(w.MSFlexGrid1, 3, 1, Qt::RightButton);
    QVERIFY(lessonAt(c, "11", 1, 3).isEmpty());
    VERIFY_TIMETABLE_SOUND(c.ctx.db);
}

// While a lesson is selected for a move, neither a right click nor Delete on
// a period that cannot take it deletes that period's lesson; Delete on the
// selected lesson deletes it, Enter on a yellow period moves it, Esc lets go.
void TestManualSetLesson::onlyTheSelectedLessonCanBeDeleted() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    frmManualSetLesson w(c.ctx);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTableWidget* grid = w.MSFlexGrid1;
    const auto selectMondayFirst = [&] {
        ClickCell(grid, 1, 1); // 语文 of 张; 语文 on Tuesday 1 stays white
        QCOMPARE(CellsOfColour(grid, CellColour::Selected), QStringList{"1-1"});
        QCOMPARE(GridCellColour(grid, 1, 2), CellColour::Normal);
    };
    selectMondayFirst();
    ClickCell(grid, 1, 2, Qt::RightButton);
    grid->setCurrentCell(1, 2);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(lessonAt(c, "11", 2, 1), QStringLiteral("1T11"));
    QCOMPARE(c.count("select count(*) from LessonListtb"), 9LL);
    QVERIFY(w.staMsg->panelText(3).startsWith(QStringLiteral("选中的课时不能调到这里")));
    QCOMPARE(CellsOfColour(grid, CellColour::Selected), QStringList{"1-1"});

    // Delete on a yellow period neither deletes nor swaps.
    QCOMPARE(GridCellColour(grid, 2, 1), CellColour::Swappable); // 数学, Monday 2
    grid->setCurrentCell(2, 1);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(lessonAt(c, "11", 1, 2), QStringLiteral("2T21"));
    QCOMPARE(lessonAt(c, "11", 1, 1), QStringLiteral("1T11"));

    // Esc lets go of the selection and keeps the window open.
    QTest::keyClick(grid, Qt::Key_Escape);
    QVERIFY(w.isVisible());
    QVERIFY(CellsOfColour(grid, CellColour::Selected).isEmpty());
    QTest::keyClick(grid, Qt::Key_Escape);
    QVERIFY(!w.isVisible());
    w.show();

    // Enter on a yellow period moves the selected lesson there.
    selectMondayFirst();
    grid->setCurrentCell(gridRow(6), 5);
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(lessonAt(c, "11", 5, 6), QStringLiteral("1T12"));
    QVERIFY(lessonAt(c, "11", 1, 1).isEmpty());

    // Delete on the selected lesson, and a right click on it, delete it.
    ClickCell(grid, gridRow(6), 5);
    QTest::keyClick(grid, Qt::Key_Delete);
    QVERIFY(lessonAt(c, "11", 5, 6).isEmpty());
    ClickCell(grid, 1, 2);
    ClickCell(grid, 1, 2, Qt::RightButton);
    QVERIFY(lessonAt(c, "11", 2, 1).isEmpty());
    QCOMPARE(unplacedRows(w.lstCourse), (QStringList{"一（1）班 语文 3", "一（2）班 音乐 -1"}));
    VERIFY_TIMETABLE_SOUND(c.ctx.db);
}

// After undo and redo the cursor stands on the period that changed, where
// the keys act, never on a header cell.
void TestManualSetLesson::undoPutsTheCursorOnTheChange() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    frmManualSetLesson w(c.ctx);
    ClickCell(w.MSFlexGrid1, 2, 1);                  // 数学, Monday 2
    ClickCell(w.MSFlexGrid1, 4, 4, Qt::RightButton); // to Thursday 4
    QCOMPARE(lessonAt(c, "11", 4, 4), QStringLiteral("2T22"));
    w.cmdUndo->click();
    QCOMPARE(lessonAt(c, "11", 1, 2), QStringLiteral("2T21"));
    QCOMPARE(w.MSFlexGrid1->currentRow(), 2);
    QCOMPARE(w.MSFlexGrid1->currentColumn(), 1);
    w.cmdRedo->click();
    QCOMPARE(w.MSFlexGrid1->currentRow(), 2);
    QCOMPARE(w.MSFlexGrid1->currentColumn(), 1);

    // A change in another class: the cursor follows to that class's period.
    w.CmdNextClass->click();
    ClickCell(w.MSFlexGrid1, 1, 3, Qt::RightButton); // 音乐 of 一（2）班, Wednesday 1
    w.CmdPrevClass->click();
    w.MSFlexGrid1->setCurrentCell(0, 0);
    w.cmdUndo->click();
    QCOMPARE(w.CmbClass->currentText(), QStringLiteral("一（2）班"));
    QCOMPARE(w.MSFlexGrid1->currentRow(), 1);
    QCOMPARE(w.MSFlexGrid1->currentColumn(), 3);
}

// "道德与法治" in the narrow day columns of both grids: smaller type, all
// five characters; a two-character name keeps the grid's type.
void TestManualSetLesson::fiveCharacterNamesAreShownWhole() {
    TestDb t;
    fillSchool(t);
    TestContext c(t, 7);
    frmManualSetLesson w(c.ctx);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (QTableWidget* grid : {w.MSFlexGrid1, w.grdTeacher}) {
        const int width = grid->columnWidth(1);
        const QFont whole = CellFontToFit(grid->font(), QStringLiteral("道德与法治"), width);
        QVERIFY(whole.pointSizeF() >= kMinCellPoint);
        QVERIFY2(QFontMetricsF(whole).horizontalAdvance(QStringLiteral("道德与法治")) <= width - 8,
                 qPrintable(QString::number(width)));
        const QFont two = CellFontToFit(grid->font(), QStringLiteral("语文\n一1"), width);
        QCOMPARE(two.pointSizeF(), grid->font().pointSizeF());
    }
}

void TestManualSetLesson::teacherGridLeadsToTheClass() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    frmManualSetLesson w(c.ctx);
    w.CmbTeacher->setCurrentText(QStringLiteral("李老师"));
    QCOMPARE(GridCellText(w.grdTeacher, 2, 1), QStringLiteral("数学\n一1"));
    QCOMPARE(GridCellText(w.grdTeacher, 2, 2), QStringLiteral("数学\n一2"));

    ClickCell(w.grdTeacher, 2, 2);
    QCOMPARE(w.CmbClass->currentText(), QStringLiteral("一（2）班"));
    QCOMPARE(w.mstrClassCode, QStringLiteral("12"));
    QCOMPARE(w.MSFlexGrid1->currentRow(), 2);
    QCOMPARE(w.MSFlexGrid1->currentColumn(), 2);

    for (auto [row, col] : {std::pair{3, 3}, std::pair{kSeparatorRow, 1}, std::pair{0, 1}}) {
        ClickCell(w.grdTeacher, row, col, Qt::RightButton);
        QCOMPARE(w.CmbClass->currentText(), QStringLiteral("一（2）班"));
    }
    ClickCell(w.grdTeacher, 2, 1, Qt::RightButton);
    QCOMPARE(w.CmbClass->currentText(), QStringLiteral("一（1）班"));

    w.CmbTeacher->setCurrentIndex(-1);
    QVERIFY(GridCellText(w.grdTeacher, 2, 1).isEmpty());
    ClickCell(w.grdTeacher, 2, 2); // the cleared view leads nowhere
    QCOMPARE(w.CmbClass->currentText(), QStringLiteral("一（1）班"));
}

void TestManualSetLesson::failedMoveLeavesBothPeriods() {
    TestDb t;
    fillSchool(t);
    t.exec("create trigger failDelete before delete on LessonListtb"
           " begin select raise(abort, 'disk full'); end");
    TestContext c(t);
    FakeDialogs dialogs;
    frmManualSetLesson w(c.ctx);
    ClickCell(w.MSFlexGrid1, 2, 1);
    ClickCell(w.MSFlexGrid1, 4, 4, Qt::RightButton);
    QCOMPARE(w.staMsg->panelText(3),
             QStringLiteral("换课失败：课表数据库操作失败：") + c.ctx.db.path());
    QCOMPARE(lessonAt(c, "11", 1, 2), QStringLiteral("2T21"));
    QVERIFY(lessonAt(c, "11", 4, 4).isEmpty());
    QCOMPARE(GridCellText(w.MSFlexGrid1, 2, 1), QStringLiteral("数学"));
    QVERIFY(GridCellText(w.MSFlexGrid1, 4, 4).isEmpty());
    QCOMPARE(w.ClassSlots.at(1, 2).CourseCode, QStringLiteral("2"));

    ClickCell(w.MSFlexGrid1, 2, 1, Qt::RightButton);
    QVERIFY(w.staMsg->panelText(3).startsWith(QStringLiteral("删除失败：课表数据库操作失败")));
    QCOMPARE(dialogs.shown.size(), 2); // each failure is shown
    QCOMPARE(GridCellText(w.MSFlexGrid1, 2, 1), QStringLiteral("数学"));
    VERIFY_TIMETABLE_SOUND(c.ctx.db);
}

void TestManualSetLesson::placeLessonRefusesBusyPeriods_data() {
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("lessonNo");
    QTest::addColumn<bool>("placed");
    QTest::newRow("class busy") << 1 << 2 << false;
    QTest::newRow("teacher busy in another class") << 3 << 4 << false;
    QTest::newRow("free") << 4 << 4 << true;
}

void TestManualSetLesson::placeLessonRefusesBusyPeriods() {
    QFETCH(int, day);
    QFETCH(int, lessonNo);
    QFETCH(bool, placed);
    TestDb t;
    fillSchool(t);
    QString why;
    QCOMPARE(tryPlaceLesson(t.db, "11", "1", "T1", day, lessonNo, &why), placed);
    QCOMPARE(why, placed ? QString() : QStringLiteral("本班或老师此时已有课"));
    QCOMPARE(t.count("select count(*) from LessonListtb"), placed ? 10LL : 9LL);
    VERIFY_TIMETABLE_SOUND(t.db);
}

void TestManualSetLesson::longSequenceKeepsTimetableSound() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    FakeDialogs dialogs; // no step breaks a rule: any question would be answered No
    frmManualSetLesson w(c.ctx);
    auto step = [&](int row, int col, Qt::MouseButton button) {
        ClickCell(w.MSFlexGrid1, row, col, button);
        VERIFY_TIMETABLE_SOUND(c.ctx.db);
    };
    clickUnplaced(w.lstCourse, 0);
    step(gridRow(5), 5, Qt::LeftButton);  // place 语文 on Friday 5
    step(gridRow(5), 5, Qt::LeftButton);  // select it
    step(1, 1, Qt::RightButton);          // same course stays white: not deleted
    step(1, 1, Qt::LeftButton);           // select 语文 Monday 1 instead
    step(1, 1, Qt::RightButton);          // the selected lesson: deleted
    step(1, 2, Qt::LeftButton);           // select 语文 Tuesday 1
    step(2, 1, Qt::RightButton);          // swap with 数学 Monday 2
    step(3, 1, Qt::LeftButton);           // select 英语
    step(gridRow(6), 2, Qt::RightButton); // move it
    w.CmdNextClass->click();
    step(1, 3, Qt::RightButton); // delete one 音乐 of class 12
    QCOMPARE(unplacedRows(w.lstCourse), QStringList{"一（1）班 语文 1"});
    clickUnplaced(w.lstCourse, 0);
    QCOMPARE(w.CmbClass->currentText(), QStringLiteral("一（1）班"));
    QVERIFY(!CellsOfColour(w.MSFlexGrid1, CellColour::Free).isEmpty());
    QVERIFY(!CellsOfColour(w.MSFlexGrid1, CellColour::Free).contains("1-1")); // 语文 on Monday 2
    step(gridRow(1), 3, Qt::LeftButton);
    QVERIFY(unplacedRows(w.lstCourse).isEmpty());
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(c.count("select count(*) from LessonListtb where ClassCode='11'"), 5LL);
}

// Class 11 also has 体育 of 赵 twice a week, once placed on Monday 4; 体育
// is never on Tuesday 3, 赵 never on Thursday 5.
void addSport(TestDb& t) {
    t.addCourse("6", "体育");
    t.addTeacher("T7", "钱老师");
    t.addPlan("11", "6", "T7", 2, 1, 1);
    t.addLesson("11", 1, 4, "6", "T7", 1);
    t.addLimit(1, "6", 2, 3, 3);
    t.addLimit(2, "T7", 4, 5, 3);
}

void TestManualSetLesson::moveIntoTimeOffAsksFirst() {
    TestDb t;
    fillSchool(t);
    addSport(t);
    TestContext c(t);
    FakeDialogs dialogs;
    frmManualSetLesson w(c.ctx);
    ClickCell(w.MSFlexGrid1, gridRow(4), 1); // 体育, Monday 4
    QCOMPARE(GridCellColour(w.MSFlexGrid1, gridRow(3), 2), CellColour::Swappable);

    // No: nothing changes, nothing to undo.
    dialogs.answers.enqueue(UiDialogs::Answer::No);
    ClickCell(w.MSFlexGrid1, gridRow(3), 2, Qt::RightButton);
    QCOMPARE(dialogs.lastText(), QStringLiteral("周二第3节是体育的“不排”时间，仍要调到这里吗？"));
    QCOMPARE(dialogs.shown.last().buttons, UiDialogs::Buttons::YesNo);
    QCOMPARE(lessonAt(c, "11", 1, 4), QStringLiteral("6T71"));
    QVERIFY(lessonAt(c, "11", 2, 3).isEmpty());
    QCOMPARE(GridCellText(w.MSFlexGrid1, gridRow(4), 1), QStringLiteral("体育"));
    QVERIFY(!w.cmdUndo->isEnabled());

    // Yes: moved as asked.
    ClickCell(w.MSFlexGrid1, gridRow(4), 1);
    dialogs.answers.enqueue(UiDialogs::Answer::Yes);
    ClickCell(w.MSFlexGrid1, gridRow(3), 2, Qt::RightButton);
    QCOMPARE(lessonAt(c, "11", 2, 3), QStringLiteral("6T72"));
    QCOMPARE(GridCellText(w.MSFlexGrid1, gridRow(3), 2), QStringLiteral("体育"));
    QVERIFY(w.staMsg->panelText(3).startsWith(QStringLiteral("换课成功")));
    // It breaks a rule now: a red corner in both grids, naming the rule.
    QVERIFY(GridCellBreach(w.MSFlexGrid1, gridRow(4), 1).isEmpty());
    QCOMPARE(GridCellBreach(w.MSFlexGrid1, gridRow(3), 2),
             QStringLiteral("违反排课规则：不排时间上课"));
    QCOMPARE(w.CmbTeacher->currentText(), QStringLiteral("钱老师"));
    QCOMPARE(GridCellBreach(w.grdTeacher, gridRow(3), 2),
             QStringLiteral("违反排课规则：不排时间上课"));

    // The teacher's time-off is named as the teacher's.
    ClickCell(w.MSFlexGrid1, gridRow(3), 2);
    ClickCell(w.MSFlexGrid1, gridRow(5), 4, Qt::RightButton);
    QCOMPARE(dialogs.lastText(),
             QStringLiteral("周四第5节是老师 钱老师的“不排”时间，仍要调到这里吗？"));
    QVERIFY(lessonAt(c, "11", 4, 5).isEmpty());

    // A move that breaks nothing asks nothing.
    const qsizetype asked = dialogs.shown.size();
    ClickCell(w.MSFlexGrid1, gridRow(3), 2);
    ClickCell(w.MSFlexGrid1, gridRow(6), 3, Qt::RightButton);
    QCOMPARE(dialogs.shown.size(), asked);
    QCOMPARE(lessonAt(c, "11", 3, 6), QStringLiteral("6T72"));
    // Out of the "不排" period, the mark goes with it.
    QVERIFY(GridCellBreach(w.MSFlexGrid1, gridRow(3), 2).isEmpty());
    QVERIFY(GridCellBreach(w.MSFlexGrid1, gridRow(6), 3).isEmpty());
    VERIFY_TIMETABLE_SOUND(c.ctx.db);
}

void TestManualSetLesson::swapJudgesBothLessonsAtTheirNewPeriods() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    FakeDialogs dialogs;
    frmManualSetLesson w(c.ctx);
    // 语文 Tuesday 1 ↔ 数学 Monday 2: Monday already has its one 语文.
    ClickCell(w.MSFlexGrid1, gridRow(1), 2);
    ClickCell(w.MSFlexGrid1, gridRow(2), 1, Qt::RightButton);
    QCOMPARE(dialogs.lastText(),
             QStringLiteral("语文调到周一第2节：本班当天的语文课已排满（每天最多1节），"
                            "仍要调到这里吗？"));
    QCOMPARE(lessonAt(c, "11", 1, 2), QStringLiteral("2T21"));

    // 语文 Monday 1 ↔ 数学 Monday 2 stays on Monday: both taken out first,
    // nothing is over its share.
    const qsizetype asked = dialogs.shown.size();
    ClickCell(w.MSFlexGrid1, gridRow(1), 1);
    ClickCell(w.MSFlexGrid1, gridRow(2), 1, Qt::RightButton);
    QCOMPARE(dialogs.shown.size(), asked);
    QCOMPARE(lessonAt(c, "11", 1, 2), QStringLiteral("1T11"));
    QCOMPARE(lessonAt(c, "11", 1, 1), QStringLiteral("2T21"));
}

// Over a generated school with lessons taken out again: for every unplaced
// lesson, a cyan period is exactly one whose hover says it may go there, and
// the sentence is titled "排不下的原因" exactly when no period is cyan.
void TestManualSetLesson::colourAndHoverComeFromOneAnswer() {
    TestDb t;
    WriteSchool(t.db, DemoSchool(DemoSize::Small, 7));
    int rate = 0;
    QVERIFY(tryBuildTimetable(t.db, Week::ofLessons(6), &rate));
    t.exec("delete from LessonListtb where SetFlag<>0 and rowid % 9 = 0");
    t.exec("update ClassPlantb set BuildCount=(select count(*) from LessonListtb l where"
           " l.ClassCode=ClassPlantb.ClassCode and l.CourseCode=ClassPlantb.CourseCode and"
           " l.TeacherCode=ClassPlantb.TeacherCode)");
    TestContext c(t);
    FakeDialogs dialogs;
    frmManualSetLesson w(c.ctx);
    const int rows = w.lstCourse->topLevelItemCount();
    QVERIFY(rows >= 5);
    int closedSomewhere = 0;
    for (int i = 0; i < rows; ++i) {
        clickUnplaced(w.lstCourse, i);
        if (w.mintRemainCount <= 0)
            continue;
        int cyan = 0;
        for (int row = 1; row < w.MSFlexGrid1->rowCount(); ++row)
            for (int day = 1; day <= kDays; ++day) {
                if (row == kSeparatorRow)
                    continue;
                const QString tip = w.MSFlexGrid1->item(row, day)->toolTip();
                const bool free = GridCellColour(w.MSFlexGrid1, row, day) == CellColour::Free;
                QVERIFY2(free == (tip == QStringLiteral("可以排在这里")),
                         qPrintable(QStringLiteral("%1 %2-%3: %4")
                                        .arg(w.lstCourse->topLevelItem(i)->text(1))
                                        .arg(day)
                                        .arg(LessonOfGridRow(row))
                                        .arg(tip)));
                QVERIFY(!tip.isEmpty());
                cyan += free ? 1 : 0;
                closedSomewhere += tip.contains(QStringLiteral("每天最多")) ? 1 : 0;
            }
        QCOMPARE(w.lblWhy->text().startsWith(QStringLiteral("排不下的原因：")), cyan == 0);
    }
    QVERIFY(closedSomewhere > 0); // the daily share was met on the way
    QVERIFY(dialogs.shown.isEmpty());
}

void TestManualSetLesson::reasonsFollowEveryChange() {
    TestDb t;
    fillSchool(t);
    t.addPlan("11", "4", "T6", 1); // 音乐 of 周, not placed yet
    TestContext c(t);
    FakeDialogs dialogs;
    frmManualSetLesson w(c.ctx);
    QCOMPARE(unplacedRows(w.lstCourse),
             (QStringList{"一（1）班 语文 1", "一（1）班 音乐 1", "一（2）班 音乐 -1"}));
    clickUnplaced(w.lstCourse, 1);
    QCOMPARE(w.lblWhy->text(), QStringLiteral("音乐 还可以排在青色的 26 个时间"));

    // Placing 音乐 takes the last one: no sentence, no cyan.
    ClickCell(w.MSFlexGrid1, gridRow(1), 5);
    QVERIFY(w.lblWhy->text().isEmpty());
    QVERIFY(CellsOfColour(w.MSFlexGrid1, CellColour::Free).isEmpty());
    QCOMPARE(w.MSFlexGrid1->item(gridRow(2), 5)->toolTip(), QString());

    // Undo brings the lesson back to the list and the sentence with it.
    w.cmdUndo->click();
    QCOMPARE(w.lblWhy->text(), QStringLiteral("音乐 还可以排在青色的 26 个时间"));
    QCOMPARE(GridCellColour(w.MSFlexGrid1, gridRow(1), 5), CellColour::Free);

    // 语文: one a day, Monday and Tuesday have theirs. Deleting Tuesday's
    // opens Tuesday, and the sentence counts it.
    clickUnplaced(w.lstCourse, 0);
    QCOMPARE(w.lblWhy->text(), QStringLiteral("语文 还可以排在青色的 17 个时间"));
    QVERIFY(w.MSFlexGrid1->item(gridRow(3), 2)->toolTip().contains(QStringLiteral("每天最多1节")));
    ClickCell(w.MSFlexGrid1, gridRow(1), 2, Qt::RightButton);
    QCOMPARE(unplacedRows(w.lstCourse).first(), QStringLiteral("一（1）班 语文 2"));
    QCOMPARE(w.lblWhy->text(), QStringLiteral("语文 还可以排在青色的 23 个时间"));
    QCOMPARE(w.MSFlexGrid1->item(gridRow(3), 2)->toolTip(), QStringLiteral("可以排在这里"));
    QCOMPARE(GridCellColour(w.MSFlexGrid1, gridRow(3), 2), CellColour::Free);
}

void TestManualSetLesson::writeFailureSaysWhy() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    FakeDialogs dialogs;
    frmManualSetLesson w(c.ctx);
    c.exec("PRAGMA query_only=ON"); // every write is refused as to a read-only file
    clickUnplaced(w.lstCourse, 0);
    ClickCell(w.MSFlexGrid1, gridRow(3), 4);
    QVERIFY2(w.staMsg->panelText(3).startsWith(QStringLiteral("写入失败：文件只读")),
             qPrintable(w.staMsg->panelText(3)));
    QVERIFY(dialogs.lastText().startsWith(QStringLiteral("写入失败！\n文件只读")));
    QVERIFY(dialogs.lastText().contains(c.ctx.db.path()));
    QVERIFY(GridCellText(w.MSFlexGrid1, gridRow(3), 4).isEmpty());
    QCOMPARE(unplacedRows(w.lstCourse).first(), QStringLiteral("一（1）班 语文 1"));
}

void TestManualSetLesson::mainMenuOpensBothWindows() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    frmMain main(c.ctx);
    for (QAction* entry : {main.mnuPrepairBuild, main.mnuManualBuild}) {
        QVERIFY(entry->isEnabled());
        QString opened;
        OnNextModal([&opened](QWidget* w) {
            opened = w->objectName();
            static_cast<QDialog*>(w)->close();
        });
        entry->trigger();
        QCOMPARE(opened, entry == main.mnuPrepairBuild ? QStringLiteral("frmSetLesson")
                                                       : QStringLiteral("frmManualSetLesson"));
    }
}

// 美术 twice a week as one double lesson, on Monday 1 and 2 of class 11.
void TestManualSetLesson::doubleLessonMovesAndGoesWhole() {
    TestDb t;
    fillSchool(t);
    t.addCourse("5", "美术");
    t.addTeacher("T5", "孙老师");
    t.exec("delete from LessonListtb where ClassCode='11' and Day=1 and LessonNo<3");
    t.exec("update ClassPlantb set BuildCount=BuildCount-1 where ClassCode='11' and "
           "CourseCode in ('1','2')");
    t.addPlan("11", "5", "T5", 2, 2, 1);
    WritePlanDoubles(t.db, "11", "5", "T5", 1);
    t.addLesson("11", 1, 1, "5", "T5", 1);
    t.addLesson("11", 1, 2, "5", "T5", 1);
    TestContext c(t);
    FakeDialogs dialogs;
    frmManualSetLesson w(c.ctx);

    // Chosen by its first half and moved to Wednesday 5: both go, in order.
    ClickCell(w.MSFlexGrid1, gridRow(1), 1);
    QCOMPARE(GridCellColour(w.MSFlexGrid1, gridRow(5), 3), CellColour::Swappable);
    ClickCell(w.MSFlexGrid1, gridRow(5), 3, Qt::RightButton);
    QCOMPARE(w.staMsg->panelText(3), QStringLiteral("连堂课调动成功"));
    QCOMPARE(lessonAt(c, "11", 3, 5), QStringLiteral("5T51"));
    QCOMPARE(lessonAt(c, "11", 3, 6), QStringLiteral("5T51"));
    QVERIFY(lessonAt(c, "11", 1, 1).isEmpty() && lessonAt(c, "11", 1, 2).isEmpty());
    QCOMPARE(GridCellText(w.MSFlexGrid1, gridRow(6), 3), QStringLiteral("美术"));
    QVERIFY(GridCellText(w.MSFlexGrid1, gridRow(2), 1).isEmpty());
    QVERIFY(dialogs.shown.isEmpty());

    // Onto Wednesday 4: the second half would cross the midday break.
    ClickCell(w.MSFlexGrid1, gridRow(5), 3);
    ClickCell(w.MSFlexGrid1, gridRow(4), 3, Qt::RightButton);
    QVERIFY(dialogs.lastText().contains(QStringLiteral("跨过午休")));
    QCOMPARE(lessonAt(c, "11", 3, 5), QStringLiteral("5T51"));

    // Deleting one half asks; No deletes that half only, and undo brings it back.
    ClickCell(w.MSFlexGrid1, gridRow(6), 3, Qt::RightButton);
    QVERIFY2(dialogs.lastText().contains(QStringLiteral("周三第5节是一次连堂课")),
             qPrintable(dialogs.lastText()));
    QVERIFY(lessonAt(c, "11", 3, 6).isEmpty());
    QCOMPARE(lessonAt(c, "11", 3, 5), QStringLiteral("5T51"));
    w.cmdUndo->click();
    QCOMPARE(lessonAt(c, "11", 3, 6), QStringLiteral("5T51"));
    // Yes deletes both.
    dialogs.answers.enqueue(UiDialogs::Answer::Yes);
    ClickCell(w.MSFlexGrid1, gridRow(6), 3, Qt::RightButton);
    QCOMPARE(w.staMsg->panelText(3), QStringLiteral("连堂课删除成功"));
    QVERIFY(lessonAt(c, "11", 3, 5).isEmpty() && lessonAt(c, "11", 3, 6).isEmpty());
    QVERIFY(GridCellText(w.MSFlexGrid1, gridRow(5), 3).isEmpty());
    VERIFY_TIMETABLE_SOUND(c.ctx.db);
}

QTEST_MAIN(TestManualSetLesson)
#include "test_manual_set_lesson.moc"
