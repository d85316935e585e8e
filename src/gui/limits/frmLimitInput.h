#pragma once
// The time-limit editor: one class, course, teacher, classroom or subject
// group at a time as a day × lesson grid; a right click on a lesson cell
// offers the four values and the chosen one is written at once. A click on a
// day's header (or Ctrl+D on a cell) sets the whole day, on a lesson's header
// (or Ctrl+L) that lesson on every day. The four windows differ only in their row
// of LimitFamilyOf(); frmTeacherLimitInput and its siblings name them.
#include "core/store/TimeLimits.h"

#include <QDialog>

struct AppContext;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QTableWidget;

class frmLimitInput : public QDialog {
    Q_OBJECT
public:
    frmLimitInput(LimitKind kind, AppContext& ctx, QWidget* parent = nullptr);

    // The family's drop-down, its label and the previous / next buttons carry
    // the family's object names (CmbTeacher, CmdPrevClass, ...).
    QLabel* lblObject;
    QComboBox* cmbObject;
    QPushButton* cmdPrevObject;
    QPushButton* cmdNextObject;
    QTableWidget* MSFlexGrid1;
    QPushButton* cmdNormalAll;
    QPushButton* cmdOK;
    QStatusBar* staMsg;
    QLabel* staMsgPanel1; // result of the last read or write
    QLabel* staMsgPanel2; // object name + "  限制特征"
    QMenu* PopMenu;
    QAction* mnuZuiJiaWeiZhi;
    QAction* mnuNormal;
    QAction* mnuJinLiangBuPai;
    QAction* mnuBuPai;

    const LimitFamily& family() const { return m_family; }
    int lessonsShown() const { return m_lessons; }
    QString currentCode() const { return m_code; }
    int currentRow() const { return m_row; }
    int currentCol() const { return m_col; }

    // Background of a cell showing the value.
    static QColor CellColour(int attr);

    int FillNameList();
    int InitLimitGrid();
    int LoadLimitGrid();
    int SaveLimitCell();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void cmbObject_Click(int index);
    void cmdPrevObject_Click();
    void cmdNextObject_Click();
    void MSFlexGrid1_MouseUp(Qt::MouseButton button, const QPoint& pos);
    void PopMenuItem_Click(int attr);
    // The popup for a whole day (column col) or a whole lesson (grid row row).
    void PopupForDay(int col, const QPoint& globalPos);
    void PopupForLesson(int row, const QPoint& globalPos);
    bool HeaderKey(int key);
    void cmdNormalAll_Click();

    int NormalAll();
    void PaintAllNormal();
    void PaintCell(int row, int col, int attr);
    bool IsLessonCell(int row, int col) const;

    AppContext& m_ctx;
    const LimitFamily& m_family;
    int m_lessons;
    QString m_code;
    int m_row = 0;
    int m_col = 0;
    // What the popup sets: the current cell, its day or its lesson.
    enum class Scope { Cell, Day, Lesson } m_scope = Scope::Cell;
};
