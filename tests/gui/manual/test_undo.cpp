// Undo and redo of the hand-placing windows: after each kind of change and
// after a sequence the database is exactly as before (lessons with their place
// in the table, plan counters); redo gives the changed state back; a step whose
// rows were changed meanwhile is refused; the windows' keys and buttons.
#include "GuiTest.h"
#include "TestContext.h"
#include "TestDb.h"

#include "core/store/ManualLessons.h"
#include "core/store/PresetLessons.h"
#include "core/store/TimetableEdits.h"
#include "gui/manual/frmManualSetLesson.h"
#include "gui/manual/frmSetLesson.h"
#include "gui/widgets/TimetableGrid.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

namespace {

// Class 11: 语文 (T1) Monday 1 and Tuesday 1 of 3, 数学 (T2) Monday 2, 英语
// (T3) pre-set on Monday 3. Class 12: 数学 (T2) Tuesday 2, 英语 (T3) Monday 1.
void fillSchool(TestDb& t) {
    t.addClass("11", "一（1）班");
    t.addClass("12", "一（2）班");
    t.addCourse("1", "语文");
    t.addCourse("2", "数学");
    t.addCourse("3", "英语");
    t.addTeacher("T1", "张老师");
    t.addTeacher("T2", "李老师");
    t.addTeacher("T3", "王老师");
    t.addPlan("11", "1", "T1", 3, 2, 1);
    t.addPlan("11", "2", "T2", 1, 1, 1);
    t.addPlan("11", "3", "T3", 1, 1, 1);
    t.addPlan("12", "2", "T2", 2, 1, 1);
    t.addPlan("12", "3", "T3", 1, 1, 1);
    t.addLesson("11", 1, 1, "1", "T1", 1);
    t.addLesson("11", 2, 1, "1", "T1", 1);
    t.addLesson("11", 1, 2, "2", "T2", 1);
    t.addLesson("11", 1, 3, "3", "T3", 0);
    t.addLesson("12", 2, 2, "2", "T2", 1);
    t.addLesson("12", 1, 1, "3", "T3", 1);
}

// Lessons with their rowid and the plan counters: what undo must give back.
QString State(TimetableDb& db) {
    QStringList lines;
    for (const char* q : {"select rowid||':'||ClassCode||'/'||Day||'/'||LessonNo||'/'||CourseCode"
                          "||'/'||TeacherCode||'/'||SetFlag from LessonListtb order by rowid",
                          "select rowid||':'||BuildCount||'/'||IsAutoBuild from ClassPlantb "
                          "order by rowid"}) {
        SQLite::Statement st(db.sql(), q);
        while (st.executeStep())
            lines << QString::fromStdString(st.getColumn(0).getString());
    }
    return lines.join(' ');
}

} // namespace

class TestUndo : public QObject {
    Q_OBJECT

private slots:
    void eachKindOfChangeAndASequence() {
        TestDb t;
        fillSchool(t);
        EditHistory history;
        QStringList states{State(t.db)};
        auto change = [&](const std::function<bool()>& op) {
            history.beforeChange(t.db);
            QVERIFY(op());
            history.afterChange(t.db, "11");
            states << State(t.db);
            QVERIFY(states.last() != states[states.size() - 2]);
        };
        LessonSlots cells;
        cells.resize(6);
        auto loadCells = [&] { QVERIFY(LoadClassSlots(t.db, "11", cells)); };
        change([&] { return PlaceLesson(t.db, "11", "1", "T1", 3, 1); }); // place
        loadCells();
        change([&] { return SwapLessons(t.db, "11", cells, {1, 2}, {4, 2}); }); // move
        loadCells();
        change([&] { return SwapLessons(t.db, "11", cells, {1, 1}, {4, 2}); }); // swap
        change([&] { return DeleteLesson(t.db, "11", 2, 1); });                 // delete
        // Pre-set 数学 of class 12 where T2 now teaches class 11: both the class's
        // own lesson and T2's lesson in class 11 make way.
        change([&] { return WritePresetLesson(t.db, "12", "2", "T2", 1, 1); }); // pre-set
        change([&] { return DeletePresetLesson(t.db, "11", 1, 3); });           // pre-set off
        QCOMPARE(history.steps(), 6);

        for (qsizetype i = states.size() - 2; i >= 0; --i) {
            history.undo(t.db);
            QCOMPARE(State(t.db), states[i]);
        }
        QVERIFY(!history.canUndo());
        for (int i = 1; i < states.size(); ++i) {
            history.redo(t.db);
            QCOMPARE(State(t.db), states[i]);
        }
        QVERIFY(!history.canRedo());

        // A new change after an undo drops what could have been redone.
        history.undo(t.db);
        change([&] { return DeleteLesson(t.db, "12", 2, 2); });
        QVERIFY(!history.canRedo());

        // Rows changed behind the history's back: the step is refused whole.
        t.exec("update LessonListtb set SetFlag=1 where ClassCode='12' and Day=1 and LessonNo=1");
        const QString changed = State(t.db);
        history.undo(t.db); // the delete of 12's Tuesday 2 touched other rows: still fine
        QVERIFY_THROWS_EXCEPTION(Failure, history.undo(t.db));
        QVERIFY(State(t.db) != changed);
        QVERIFY(history.canUndo());
    }

    void manualWindowUndoesWithKeysAndButtons() {
        TestDb t;
        fillSchool(t);
        TestContext c(t);
        const QString before = State(c.ctx.db);
        frmManualSetLesson w(c.ctx);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w)); // the keys act in the active window
        QVERIFY(!w.cmdUndo->isEnabled());
        ClickCell(w.MSFlexGrid1, GridRowOfLesson(2), 1, Qt::RightButton); // delete 数学
        const QString deleted = State(c.ctx.db);
        QVERIFY(deleted != before);
        QVERIFY(GridCellText(w.MSFlexGrid1, GridRowOfLesson(2), 1).isEmpty());
        QCOMPARE(w.lstCourse->topLevelItemCount(), 3); // now with 11 数学

        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(State(c.ctx.db), before);
        QCOMPARE(GridCellText(w.MSFlexGrid1, GridRowOfLesson(2), 1), QString("数学"));
        QCOMPARE(w.lstCourse->topLevelItemCount(), 2);
        QVERIFY(w.cmdRedo->isEnabled());

        // Redo while another class is shown brings that class's view back.
        w.CmbClass->setCurrentIndex(1);
        QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(State(c.ctx.db), deleted);
        QCOMPARE(w.CmbClass->currentIndex(), 0);
        QVERIFY(GridCellText(w.MSFlexGrid1, GridRowOfLesson(2), 1).isEmpty());
        w.cmdUndo->click();
        QCOMPARE(State(c.ctx.db), before);
    }

    void presetWindowUndoes() {
        TestDb t;
        fillSchool(t);
        TestContext c(t);
        const QString before = State(c.ctx.db);
        frmSetLesson w(c.ctx);
        w.show();
        ClickCell(w.MSFlexGrid1, GridRowOfLesson(3), 1, Qt::RightButton); // 英语 off
        QVERIFY(State(c.ctx.db) != before);
        QVERIFY(GridCellText(w.MSFlexGrid1, GridRowOfLesson(3), 1).isEmpty());
        w.cmdUndo->click();
        QCOMPARE(State(c.ctx.db), before);
        QCOMPARE(GridCellText(w.MSFlexGrid1, GridRowOfLesson(3), 1), QString("英语"));
        QVERIFY(!w.cmdUndo->isEnabled());
    }
};

QTEST_MAIN(TestUndo)
#include "test_undo.moc"
