#include "GridCells.h"
#include "GuiTest.h"
#include "TestContext.h"
#include "TestDb.h"
#include "TimetableInvariants.h"
#include "core/store/ManualLessons.h"
#include "gui/manual/frmManualSetLesson.h"
#include "gui/shell/frmMain.h"
#include "gui/widgets/StatusPanels.h"
#include "gui/widgets/TimetableGrid.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
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

// Every lesson period of the week except the given ones.
QStringList allPeriodsBut(const QStringList& except, int lessonsPerDay = 6) {
    QStringList cells;
    for (int lessonNo = 1; lessonNo <= lessonsPerDay; ++lessonNo)
        for (int day = 1; day <= kDays; ++day) {
            const QString p = QStringLiteral("%1-%2").arg(day).arg(lessonNo);
            if (!except.contains(p))
                cells << p;
        }
    return cells;
}

QStringList sorted(QStringList l) {
    l.sort();
    return l;
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
    void teacherGridLeadsToTheClass();
    void failedMoveLeavesBothPeriods();
    void placeLessonRefusesBusyPeriods_data();
    void placeLessonRefusesBusyPeriods();
    void longSequenceKeepsTimetableSound();
    void mainMenuOpensBothWindows();
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
    // without 语文 yet (3 a week: one a day).
    QStringList taken{"3-4"};
    for (int n = 1; n <= 6; ++n)
        taken << QStringLiteral("1-%1").arg(n) << QStringLiteral("2-%1").arg(n);
    QCOMPARE(sorted(CellsOfColour(w.MSFlexGrid1, CellColour::Free)), sorted(allPeriodsBut(taken)));
    QCOMPARE(w.staMsg->panelText(1),
             QStringLiteral("鼠标左键单击青色课时－安排选择欲的未排课时    鼠标右键－删除课时"));

    ClickCell(w.MSFlexGrid1, gridRow(3), 4);
    QCOMPARE(lessonAt(c, "11", 4, 3), QStringLiteral("1T12"));
    QCOMPARE(c.count("select BuildCount from ClassPlantb where ClassCode='11' and CourseCode='1'"),
             3LL);
    QCOMPARE(w.staMsg->panelText(3), QStringLiteral("写入成功"));
    QCOMPARE(GridCellText(w.MSFlexGrid1, gridRow(3), 4), QStringLiteral("语文"));
    QVERIFY(CellsOfColour(w.MSFlexGrid1, CellColour::Free).isEmpty());
    QCOMPARE(unplacedRows(w.lstCourse), QStringList{"一（2）班 音乐 -1"});
    QCOMPARE(w.mstrCourseCode, QStringLiteral("1")); // stays chosen
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
             QStringLiteral("鼠标左键－选择欲交换的课时    鼠标右键单击黄色课时－交换课时    "
                            "鼠标右键单击白色课时－删除课时"));
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
    QCOMPARE(w.staMsg->panelText(3), QStringLiteral("换课成功"));
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
    QCOMPARE(w.staMsg->panelText(3), QStringLiteral("换课成功"));
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
    ClickCell(w.MSFlexGrid1, 1, 1, Qt::RightButton); // the red cell
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
    frmManualSetLesson w(c.ctx);
    ClickCell(w.MSFlexGrid1, 2, 1);
    ClickCell(w.MSFlexGrid1, 4, 4, Qt::RightButton);
    QCOMPARE(w.staMsg->panelText(3), QStringLiteral("换课失败"));
    QCOMPARE(lessonAt(c, "11", 1, 2), QStringLiteral("2T21"));
    QVERIFY(lessonAt(c, "11", 4, 4).isEmpty());
    QCOMPARE(GridCellText(w.MSFlexGrid1, 2, 1), QStringLiteral("数学"));
    QVERIFY(GridCellText(w.MSFlexGrid1, 4, 4).isEmpty());
    QCOMPARE(w.ClassSlots.at(1, 2).CourseCode, QStringLiteral("2"));

    ClickCell(w.MSFlexGrid1, 2, 1, Qt::RightButton);
    QCOMPARE(w.staMsg->panelText(3), QStringLiteral("删除失败"));
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
    QCOMPARE(PlaceLesson(t.db, "11", "1", "T1", day, lessonNo), placed);
    QCOMPARE(t.count("select count(*) from LessonListtb"), placed ? 10LL : 9LL);
    VERIFY_TIMETABLE_SOUND(t.db);
}

void TestManualSetLesson::longSequenceKeepsTimetableSound() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    frmManualSetLesson w(c.ctx);
    auto step = [&](int row, int col, Qt::MouseButton button) {
        ClickCell(w.MSFlexGrid1, row, col, button);
        VERIFY_TIMETABLE_SOUND(c.ctx.db);
    };
    clickUnplaced(w.lstCourse, 0);
    step(gridRow(5), 5, Qt::LeftButton);  // place 语文 on Friday 5
    step(gridRow(5), 5, Qt::LeftButton);  // select it
    step(1, 1, Qt::RightButton);          // same course stays white: deleted
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
    step(gridRow(1), 3, Qt::LeftButton); // Wednesday 1: a day without 语文
    QVERIFY(unplacedRows(w.lstCourse).isEmpty());
    QCOMPARE(c.count("select count(*) from LessonListtb where ClassCode='11'"), 5LL);
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

QTEST_MAIN(TestManualSetLesson)
#include "test_manual_set_lesson.moc"
