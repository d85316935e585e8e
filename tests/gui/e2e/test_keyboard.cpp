// The grids driven from the keyboard alone end where the mouse ends: the same
// rows in the database after the same steps in the limit, pre-set and
// adjustment windows.
#include "GridCells.h"
#include "GuiTest.h"
#include "TestContext.h"
#include "TestDb.h"
#include "gui/limits/frmCourseLimitInput.h"
#include "gui/manual/frmManualSetLesson.h"
#include "gui/manual/frmSetLesson.h"
#include "gui/widgets/TimetableGrid.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <functional>

namespace {

// Two classes sharing a 语文 teacher, one 语文 lesson of 一（1）班 unplaced.
void fillSchool(TestDb& t) {
    t.addClass("11", "一（1）班", "一年级（1）班", "一1");
    t.addClass("12", "一（2）班", "一年级（2）班", "一2");
    t.addCourse("1", "语文");
    t.addCourse("2", "数学");
    t.addCourse("3", "音乐");
    t.addTeacher("T1", "张老师");
    t.addTeacher("T2", "李老师");
    t.addTeacher("T3", "赵老师");
    t.addPlan("11", "1", "T1", 3, 2, 1);
    t.addPlan("11", "2", "T2", 2, 2, 1);
    t.addPlan("11", "3", "T3", 1, 0, 0);
    t.addPlan("12", "1", "T1", 1, 1, 1);
    t.addLesson("11", 1, 1, "1", "T1", 1);
    t.addLesson("11", 2, 1, "1", "T1", 1);
    t.addLesson("11", 1, 2, "2", "T2", 1);
    t.addLesson("11", 3, 3, "2", "T2", 0);
    t.addLesson("12", 1, 3, "1", "T1", 1);
}

QString state(TestContext& c) {
    return c.text("select group_concat(r, ' ') from (select ClassCode||':'||Day||'-'||LessonNo||"
                  "':'||CourseCode||TeacherCode||SetFlag as r from LessonListtb order by r)") +
           " | " +
           c.text("select group_concat(r, ' ') from (select ClassCode||CourseCode||TeacherCode||"
                  "':'||Count||'/'||BuildCount||'/'||IsAutoBuild as r from ClassPlantb "
                  "order by r)") +
           " | " +
           c.text("select group_concat(r, ' ') from (select Kind||Code||':'||Day||'-'||LessonNo||"
                  "'='||Attr as r from Limittb order by r)");
}

// Walks the current cell to (row, col) with the arrow keys only, from wherever
// it is: to the top left corner first, then down and right.
void walkTo(QTableWidget* grid, int row, int col) {
    QWidget* window = grid->window();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    grid->setFocus();
    QVERIFY(grid->hasFocus());
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(grid, Qt::Key_Up);
        QTest::keyClick(grid, Qt::Key_Left);
    }
    QCOMPARE(grid->currentRow(), 1);
    QCOMPARE(grid->currentColumn(), 1);
    for (int r = 1; r < LessonOfGridRow(row); ++r)
        QTest::keyClick(grid, Qt::Key_Down);
    for (int c = 1; c < col; ++c)
        QTest::keyClick(grid, Qt::Key_Right);
    QCOMPARE(grid->currentRow(), row);
    QCOMPARE(grid->currentColumn(), col);
}

// One run of the adjustment: place the unplaced 语文 in the first free period,
// swap Monday's first lesson with the first period offered, delete Wednesday 3.
// `left` and `right` act on a cell, `pick` chooses a row of the unplaced list.
struct Hand {
    std::function<void(QTableWidget*, int, int)> left, right;
    std::function<void(QTreeWidget*, int)> pick;
};

QString adjust(const Hand& hand) {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    frmManualSetLesson w(c.ctx);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return "window not shown";
    hand.pick(w.lstCourse, 0);
    const QStringList free = CellsOfColour(w.MSFlexGrid1, CellColour::Free);
    if (free.isEmpty())
        return "nothing offered";
    const int day = free.first().section('-', 0, 0).toInt();
    const int lessonNo = free.first().section('-', 1, 1).toInt();
    hand.left(w.MSFlexGrid1, GridRowOfLesson(lessonNo), day);

    hand.left(w.MSFlexGrid1, GridRowOfLesson(1), 1);
    const QStringList yellow = CellsOfColour(w.MSFlexGrid1, CellColour::Swappable);
    if (yellow.isEmpty())
        return "no swap offered";
    hand.right(w.MSFlexGrid1, GridRowOfLesson(yellow.first().section('-', 1, 1).toInt()),
               yellow.first().section('-', 0, 0).toInt());

    hand.right(w.MSFlexGrid1, GridRowOfLesson(3), 3);
    return state(c);
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
private slots:
    void limitWindowByKeysEqualsByMouse();
    void presetWindowByKeysEqualsByMouse();
    void adjustmentByKeysEqualsByMouse();
    void arrowsStayOnLessonCells();
};

void TestKeyboard::limitWindowByKeysEqualsByMouse() {
    // 数学 best in Tuesday's second lesson, 音乐 never in Friday's fifth.
    auto run = [](bool keys) {
        TestDb t;
        fillSchool(t);
        TestContext c(t);
        frmCourseLimitInput w(c.ctx);
        w.show();
        const struct {
            int course, row, col, attr;
        } steps[] = {{1, GridRowOfLesson(2), 2, 0}, {2, GridRowOfLesson(5), 5, 3}};
        for (const auto& s : steps) {
            w.cmbObject->setCurrentIndex(s.course);
            if (keys) {
                walkTo(w.MSFlexGrid1, s.row, s.col);
                QTest::keyClick(w.MSFlexGrid1, Qt::Key_Menu);
                if (!w.PopMenu->isVisible())
                    return QStringLiteral("no popup");
                for (int i = 0; i <= s.attr; ++i)
                    QTest::keyClick(w.PopMenu, Qt::Key_Down);
                QTest::keyClick(w.PopMenu, Qt::Key_Return);
            } else {
                ClickCell(w.MSFlexGrid1, s.row, s.col, Qt::RightButton);
                QAction* items[] = {w.mnuZuiJiaWeiZhi, w.mnuNormal, w.mnuJinLiangBuPai, w.mnuBuPai};
                items[s.attr]->trigger();
                w.PopMenu->hide();
            }
        }
        return state(c);
    };
    const QString byMouse = run(false);
    QVERIFY(byMouse.contains("12:2-2=0"));
    QVERIFY(byMouse.contains("13:5-5=3"));
    QCOMPARE(run(true), byMouse);
}

void TestKeyboard::presetWindowByKeysEqualsByMouse() {
    // Pre-set 数学 in the first free period of 一（1）班, then take it away again
    // and pre-set it once more in the next one.
    auto run = [](const std::function<void(QTableWidget*, int, int, Qt::MouseButton)>& act) {
        TestDb t;
        fillSchool(t);
        t.exec("delete from LessonListtb");
        t.exec("update ClassPlantb set BuildCount=0, IsAutoBuild=0");
        TestContext c(t);
        frmSetLesson w(c.ctx);
        w.show();
        w.lstCourse->setCurrentRow(1);
        QStringList free = CellsOfColour(w.MSFlexGrid1, CellColour::Free);
        auto cellOf = [](const QString& p) {
            return std::make_pair(GridRowOfLesson(p.section('-', 1, 1).toInt()),
                                  p.section('-', 0, 0).toInt());
        };
        auto [row, col] = cellOf(free.value(0));
        act(w.MSFlexGrid1, row, col, Qt::LeftButton);
        act(w.MSFlexGrid1, row, col, Qt::RightButton);
        w.lstCourse->setCurrentRow(1);
        free = CellsOfColour(w.MSFlexGrid1, CellColour::Free);
        std::tie(row, col) = cellOf(free.value(1));
        act(w.MSFlexGrid1, row, col, Qt::LeftButton);
        return state(c);
    };
    const QString byMouse =
        run([](QTableWidget* g, int r, int col, Qt::MouseButton b) { ClickCell(g, r, col, b); });
    QVERIFY(byMouse.startsWith("11:2-1:2T20 |"));
    QCOMPARE(run([](QTableWidget* g, int r, int col, Qt::MouseButton b) {
                 walkTo(g, r, col);
                 QTest::keyClick(g, b == Qt::LeftButton ? Qt::Key_Return : Qt::Key_Delete);
             }),
             byMouse);
}

void TestKeyboard::adjustmentByKeysEqualsByMouse() {
    Hand mouse;
    mouse.left = [](QTableWidget* g, int r, int c) { ClickCell(g, r, c, Qt::LeftButton); };
    mouse.right = [](QTableWidget* g, int r, int c) { ClickCell(g, r, c, Qt::RightButton); };
    mouse.pick = [](QTreeWidget* list, int index) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(list->topLevelItem(index)).center());
    };
    Hand keys;
    keys.left = [](QTableWidget* g, int r, int c) {
        walkTo(g, r, c);
        QTest::keyClick(g, Qt::Key_Enter);
    };
    keys.right = [](QTableWidget* g, int r, int c) {
        walkTo(g, r, c);
        QTest::keyClick(g, Qt::Key_Delete);
    };
    keys.pick = [](QTreeWidget* list, int index) {
        list->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(list->window()));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
    };
    const QString byMouse = adjust(mouse);
    // The unplaced 语文 went in, Monday's first lesson moved, Wednesday 3 is gone.
    QCOMPARE(byMouse.count(QRegularExpression("11:\\d-\\d:1T1")), 3);
    QVERIFY(!byMouse.contains("11:3-3:"));
    QVERIFY(!byMouse.contains("11:1-1:1T1"));
    QCOMPARE(adjust(keys), byMouse);
}

void TestKeyboard::arrowsStayOnLessonCells() {
    TestDb t;
    fillSchool(t);
    TestContext c(t, 7);
    frmManualSetLesson w(c.ctx);
    w.show();
    QTableWidget* grid = w.MSFlexGrid1;
    walkTo(grid, GridRowOfLesson(4), 5);
    // Down from lesson 4 jumps the separator; the edges hold.
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->currentRow(), GridRowOfLesson(5));
    QTest::keyClick(grid, Qt::Key_Right);
    QCOMPARE(grid->currentColumn(), 5);
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->currentRow(), GridRowOfLesson(7));
    QTest::keyClick(grid, Qt::Key_Home);
    QCOMPARE(grid->currentColumn(), 1);
    QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(grid->currentRow(), GridRowOfLesson(6));
}

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
