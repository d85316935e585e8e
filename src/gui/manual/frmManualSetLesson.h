#pragma once
// Correcting the timetable after generation: swapping, moving and deleting the
// lessons of a class and placing what generation left unplaced, with the
// timetable of the teacher concerned beside it.
#include "core/model/LessonSlots.h"

#include <QDialog>
#include <QStringList>
#include <optional>

struct AppContext;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;
class StatusPanels;
class UndoControls;

class frmManualSetLesson : public QDialog {
    Q_OBJECT
public:
    explicit frmManualSetLesson(AppContext& ctx, QWidget* parent = nullptr);

    QLabel* lblClass;
    QComboBox* CmbClass;
    QPushButton* CmdPrevClass;
    QPushButton* CmdNextClass;
    QTableWidget* MSFlexGrid1;
    QLabel* Label2;
    QComboBox* CmbTeacher;
    QTableWidget* grdTeacher;
    QLabel* Label1;
    QTreeWidget* lstCourse;
    // Where the chosen unplaced lesson may still go or, when nowhere, why not;
    // each class-grid cell tells its own reasons on hover.
    QLabel* lblWhy;
    StatusPanels* staMsg;
    QPushButton* cmdUndo;
    QPushButton* cmdRedo;
    // The lessons still missing, grouped by root cause with a change for each
    // (the same lines as kbxt-cli check); on demand, as trying the changes
    // takes a moment on a large school.
    QPushButton* cmdCauses;
    QPushButton* cmdOK;

    LessonSlots ClassSlots;
    LessonSlots TeacherSlots;

    QString mstrClassCode;
    QString mstrCourseCode; // the chosen unplaced lesson; empty until one is chosen
    QString mstrTeacherCode;
    int mintRemainCount = 0;
    int mintSelDay = 0;
    int mintSelLesson = 0;

private:
    void Form_Load();
    void CmbClass_Click();
    void CmdPrevClass_Click();
    void CmdNextClass_Click();
    void CmbTeacher_Click();
    void lstCourse_ItemClick(QTreeWidgetItem* item);
    void MSFlexGrid1_MouseUp(Qt::MouseButton button, int row, int col);
    bool MSFlexGrid1_Key(int key, int row, int col);
    void grdTeacher_MouseUp(int row, int col);
    void cmdOK_Click();
    void cmdCauses_Click();

    void FillUnplacedList();
    void FillClassList();
    void SelectClass(int index);
    void FillTeacherList();
    void InitGrid();
    void InitClassGrid();
    void InitTeacherGrid();
    void LoadClassGrid();
    void LoadTeacherGrid(const QString& teacherCode);
    void ResetColors();
    void PaintPlaceable();
    void FollowChosen();
    void MarkBreaches();
    void ClearWhy();
    void PaintSwappable(int day, int lessonNo);
    bool SwapLessons(int day, int lessonNo);
    std::optional<bool> MoveDoubleLesson(Period selected, Period target);
    std::optional<Period> DoublePartnerAt(Period period);
    QStringList SwapObjections(Period selected, Period target, QString* effect);
    bool PlaceLesson();
    bool DeleteLesson();
    void ShowTeacherOf(int day, int lessonNo);
    void ShowClassCell(int day, int lessonNo);
    void ShowAfterUndo(const QString& classCode);
    int lessonRows() const;
    // A lesson is selected (red) and waits for the period it goes to.
    bool MovePending() const { return mintSelDay > 0; }

    AppContext& m_ctx;
    UndoControls* m_undo;
    QString m_chosenClass;  // the class of the chosen unplaced lesson
    QString m_teacherShown; // the teacher of the teacher grid
};
