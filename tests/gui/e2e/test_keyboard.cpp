// The grids driven from the keyboard alone end where the mouse ends: the same
// rows in the database after the same steps in the limit, pre-set and
// adjustment windows.
#include "FakeDialogs.h"
#include "GridCells.h"
#include "GuiTest.h"
#include "TestContext.h"
#include "TestDb.h"
#include "core/config/AppPaths.h"
#include "core/generation/BuildRandom.h"
#include "core/model/DemoSchool.h"
#include "core/store/Lookups.h"
#include "core/store/SchoolWriter.h"
#include "gui/limits/frmCourseLimitInput.h"
#include "gui/manual/frmManualSetLesson.h"
#include "gui/manual/frmSetLesson.h"
#include "gui/output/frmExport.h"
#include "gui/output/frmPrint.h"
#include "gui/shell/StartUp.h"
#include "gui/shell/frmConfirm.h"
#include "gui/shell/frmMain.h"
#include "gui/widgets/TimetableGrid.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <tuple>

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
// `left` and `right` act on a cell, `put` moves the selected lesson to a
// yellow cell, `pick` chooses a row of the unplaced list.
struct Hand {
    std::function<void(QTableWidget*, int, int)> left, right, put;
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
    hand.put(w.MSFlexGrid1, GridRowOfLesson(yellow.first().section('-', 1, 1).toInt()),
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
    void tabLeavesEveryGrid();
    void aTermsJobByKeyboardAlone();
    void altLettersReachTheirControls();
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
    mouse.put = mouse.right;
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
    // Delete never moves a lesson; Enter puts the selected one on a yellow cell.
    keys.put = keys.left;
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

namespace {

// Opens a menu with Alt and its letter, then chooses the entry by its letter.
void menuKeys(QWidget* main, Qt::Key menu, Qt::Key entry) {
    QTest::keyClick(main, menu, Qt::AltModifier);
    auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY2(open, "no menu opened");
    QTest::keyClick(open, entry);
}

void activate(QWidget* w) {
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    // Offscreen, the application learns of the activation later than the
    // window; focus is only given inside the application's active window.
    QApplication::setActiveWindow(w);
}

// Runs fn on the next modal window and closes it afterwards even when fn
// stopped at a failed check, so a failure never leaves the test waiting.
void OnNextWindow(const std::function<void(QWidget*)>& fn) {
    OnNextModal([fn](QWidget* w) {
        fn(w);
        if (w->isVisible())
            w->close();
    });
}

// Tab until `target` has the focus; fails after a round of the window.
void tabTo(QWidget* window, QWidget* target) {
    for (int i = 0; i < 30 && !target->hasFocus(); ++i)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window,
                        Qt::Key_Tab);
    QVERIFY2(target->hasFocus(), qPrintable(target->objectName()));
}

// Arrow keys only, from the top left corner.
void arrowTo(QTableWidget* grid, int row, int col) {
    QVERIFY(grid->hasFocus());
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(grid, Qt::Key_Up);
        QTest::keyClick(grid, Qt::Key_Home);
    }
    for (int r = 1; r < LessonOfGridRow(row); ++r)
        QTest::keyClick(grid, Qt::Key_Down);
    for (int c = 1; c < col; ++c)
        QTest::keyClick(grid, Qt::Key_Right);
    QCOMPARE(grid->currentRow(), row);
    QCOMPARE(grid->currentColumn(), col);
}

} // namespace

void TestKeyboard::tabLeavesEveryGrid() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    const auto leaves = [](QTableWidget* grid) {
        QWidget* window = grid->window();
        window->show();
        activate(window);
        for (const Qt::KeyboardModifier modifier : {Qt::NoModifier, Qt::ShiftModifier}) {
            grid->setFocus();
            QVERIFY(grid->hasFocus());
            const int row = grid->currentRow();
            const int col = grid->currentColumn();
            QTest::keyClick(grid, Qt::Key_Tab, modifier);
            QVERIFY2(!grid->hasFocus(), qPrintable(window->objectName()));
            QVERIFY(window->isAncestorOf(QApplication::focusWidget()));
            // The cursor stayed where it was.
            QCOMPARE(grid->currentRow(), row);
            QCOMPARE(grid->currentColumn(), col);
        }
        window->hide();
    };
    {
        frmCourseLimitInput limits(c.ctx);
        limits.cmbObject->setCurrentIndex(1);
        leaves(limits.MSFlexGrid1);
    }
    {
        frmSetLesson preset(c.ctx);
        leaves(preset.MSFlexGrid1);
    }
    frmManualSetLesson adjust(c.ctx);
    leaves(adjust.MSFlexGrid1);
    leaves(adjust.grdTeacher);
}

// Open the school, generate, move a lesson and undo it, print from the
// preview, export: every step by keys, the mouse never touched.
void TestKeyboard::aTermsJobByKeyboardAlone() {
    QTemporaryDir home;
    qputenv("KBXT_HOME", home.path().toUtf8());
    FakeDialogs dialogs;
    SeedBuildRandom();
    const QString school = home.filePath("school.db");
    QCOMPARE(MakeSchoolFile(school, DemoSchool(DemoSize::Small, kDefaultBuildSeed)), QString());
    AppContext ctx;
    std::unique_ptr<frmMain> main = Main(ctx);
    QVERIFY(main);
    main->show();
    activate(main.get());

    dialogs.fileNames << school;
    QTest::keyClick(main.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(ctx.db.path(), school);

    // 自动生成课表: the confirmation typed; the main window has the keys again.
    OnNextWindow([](QWidget* w) {
        auto* confirm = qobject_cast<frmConfirm*>(w);
        QVERIFY(confirm);
        QTest::keyClicks(confirm->Text1, "OK");
        QTest::keyClick(confirm->Text1, Qt::Key_Return);
    });
    menuKeys(main.get(), Qt::Key_A, Qt::Key_G);
    QVERIFY(HasTimetable(ctx.db));
    QTRY_COMPARE(QApplication::activeWindow(), main.get());
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus && (focus == main.get() || main->isAncestorOf(focus)));

    // 手工调整课表: a lesson moved to a yellow period and the move undone.
    QString before;
    QString moved;
    OnNextWindow([&](QWidget* w) {
        auto* adjust = qobject_cast<frmManualSetLesson*>(w);
        QVERIFY(adjust);
        activate(adjust);
        QTableWidget* grid = adjust->MSFlexGrid1;
        tabTo(adjust, grid);
        int row = 0;
        int col = 0;
        for (int r = 1; r < grid->rowCount() && row == 0; ++r)
            for (int d = 1; d <= kDays && row == 0; ++d)
                if (LessonOfGridRow(r) != 0 && !GridCellText(grid, r, d).isEmpty())
                    std::tie(row, col) = std::pair{r, d};
        arrowTo(grid, row, col);
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(GridCellColour(grid, row, col), CellColour::Selected);
        const QStringList yellow = CellsOfColour(grid, CellColour::Swappable);
        QVERIFY(!yellow.isEmpty());
        const int toDay = yellow.first().section('-', 0, 0).toInt();
        const int toRow = GridRowOfLesson(yellow.first().section('-', 1, 1).toInt());
        before = GridCellText(grid, row, col) + "|" + GridCellText(grid, toRow, toDay);
        arrowTo(grid, toRow, toDay);
        QTest::keyClick(grid, Qt::Key_Return);
        moved = GridCellText(grid, toRow, toDay) + "|" + GridCellText(grid, row, col);
        QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(GridCellText(grid, row, col) + "|" + GridCellText(grid, toRow, toDay), before);
        // The cursor is on a period the change touched, where keys act.
        const QPair<int, int> at{grid->currentRow(), grid->currentColumn()};
        QVERIFY(at == qMakePair(row, col) || at == qMakePair(toRow, toDay));
        // Out of the grids to the unplaced list, and out of the window.
        tabTo(adjust, adjust->lstCourse);
        QTest::keyClick(adjust->lstCourse, Qt::Key_Escape);
    });
    activate(main.get());
    menuKeys(main.get(), Qt::Key_T, Qt::Key_M);
    QCOMPARE(moved, before);

    // 打印课表: the class's preview, and from it the print dialog by Ctrl+P.
    QString printDialog;
    QStringList seen;
    OnNextWindow([&](QWidget* w) {
        seen << w->objectName();
        auto* print = qobject_cast<frmPrint*>(w);
        QVERIFY(print);
        activate(print);
        OnNextWindow([&](QWidget* preview) {
            seen << preview->objectName();
            QVERIFY(qobject_cast<QPrintPreviewDialog*>(preview));
            activate(preview);
            OnNextWindow([&](QWidget* ask) {
                printDialog = ask->metaObject()->className();
                QTest::keyClick(ask, Qt::Key_Escape);
            });
            QTest::keyClick(preview, Qt::Key_P, Qt::ControlModifier);
            QTest::keyClick(preview, Qt::Key_Escape);
        });
        tabTo(print, print->cmdPrintClass);
        QTest::keyClick(print->cmdPrintClass, Qt::Key_Space);
        QTest::keyClick(print, Qt::Key_Escape);
    });
    activate(main.get());
    QTest::keyClick(main.get(), Qt::Key_P, Qt::ControlModifier);
    QVERIFY2(printDialog == QStringLiteral("QPrintDialog"), qPrintable(seen.join(' ')));

    // 导出课表到Excel: the whole-school table under the name it is offered.
    dialogs.fileNames << home.filePath("全校总课表.xlsx");
    OnNextWindow([](QWidget* w) {
        auto* exporter = qobject_cast<frmExport*>(w);
        QVERIFY(exporter);
        activate(exporter);
        tabTo(exporter, exporter->CmdExportTotal);
        QTest::keyClick(exporter->CmdExportTotal, Qt::Key_Space);
        QTest::keyClick(exporter, Qt::Key_Escape);
    });
    activate(main.get());
    menuKeys(main.get(), Qt::Key_T, Qt::Key_E);
    QVERIFY(dialogs.fileDialogDirs.last().endsWith(QStringLiteral("全校总课表.xlsx")));
    QVERIFY(QFile::exists(home.filePath("全校总课表.xlsx")));
    QCOMPARE(dialogs.shown.last().buttons, UiDialogs::Buttons::OkOpenFolder);
    QVERIFY(dialogs.shown.last().text.contains(home.filePath("全校总课表.xlsx")));
    main.reset();
}

namespace {

// Presses Alt and the letter of every button of the window. Each must reach
// its own button (a letter given twice only moves the focus between them): a
// check box toggles, a button is pressed, with its work cut off so that no
// printing or saving starts. Returns the letters found.
QString pressEveryAltLetter(QWidget* w) {
    activate(w);
    QString letters;
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
        const QString text = b->text();
        const qsizetype amp = text.indexOf(QLatin1Char('&'));
        if (amp < 0 || amp + 1 >= text.size())
            continue;
        const QChar letter = text[amp + 1].toUpper();
        letters += letter;
        if (!b->isEnabled())
            continue;
        QObject::disconnect(b, &QAbstractButton::clicked, nullptr, nullptr);
        QSignalSpy clicked(b, &QAbstractButton::clicked);
        const bool was = b->isChecked();
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : w;
        QTest::keyClick(target, Qt::Key(letter.unicode()), Qt::AltModifier);
        if (!QTest::qWaitFor([&] { return clicked.count() == 1; }, 2000)) {
            QTest::qFail(
                qPrintable(
                    QStringLiteral("Alt+%1 did not press %2").arg(letter).arg(b->objectName())),
                __FILE__, __LINE__);
            return letters;
        }
        if (b->isCheckable() && b->isChecked() == was) {
            QTest::qFail(qPrintable(b->objectName() + QStringLiteral(" did not toggle")), __FILE__,
                         __LINE__);
            return letters;
        }
    }
    return letters;
}

} // namespace

void TestKeyboard::altLettersReachTheirControls() {
    TestDb t;
    fillSchool(t);
    TestContext c(t);
    {
        frmPrint print(c.ctx);
        print.show();
        const QString letters = pressEveryAltLetter(&print);
        if (QTest::currentTestFailed())
            return;
        // The choice steppers, the five kinds, the lesson times and the exit.
        QCOMPARE(letters.size(), 11);
    }
    frmExport exporter(c.ctx);
    exporter.show();
    const QString letters = pressEveryAltLetter(&exporter);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(letters.size(), 11);
}

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
