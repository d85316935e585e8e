#pragma once
// Fixing chosen lessons of a class at chosen periods before generation. One
// class at a time: its pre-set lessons in the grid and the courses that still
// have lessons left to pre-set.
#include <QDialog>

struct AppContext;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;
class StatusPanels;
class UndoControls;

class frmSetLesson : public QDialog {
    Q_OBJECT
public:
    explicit frmSetLesson(AppContext& ctx, QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* lblClass;
    QComboBox* CmbClass;
    QPushButton* CmdPrevClass;
    QPushButton* CmdNextClass;
    QGroupBox* fraCourse;
    QListWidget* lstCourse;
    QTableWidget* MSFlexGrid1;
    StatusPanels* staMsg;
    QPushButton* cmdUndo;
    QPushButton* cmdRedo;
    QPushButton* cmdOK;

    QString mstrClassCode;
    QString mstrCourseCode; // empty while no course is selected
    QString mstrTeacherCode;

private:
    void Form_Load();
    void CmbClass_Click();
    void CmdPrevClass_Click();
    void CmdNextClass_Click();
    void lstCourse_Click();
    void MSFlexGrid1_MouseUp(Qt::MouseButton button, int row, int col);
    void cmdOK_Click();

    void FillClassList();
    void InitGrid();
    void LoadPresetGrid();
    void RefreshCourseList();
    void SelectCourse(int index);
    void PaintFreeSlots();
    void MarkPresetBreaches();
    void ClearColors();
    bool WritePresetLesson();
    bool DeletePresetLesson();
    void ShowAfterUndo(const QString& classCode);
    int lessonRows() const;

    AppContext& m_ctx;
    UndoControls* m_undo;
};
