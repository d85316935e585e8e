#pragma once
// "班级计划": one class's teaching plan (course, teacher, lessons a week), and
// beside it every plan row of one teacher with the teacher's weekly total.
#include <QDialog>

struct AppContext;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTreeWidget;
class QTreeWidgetItem;

class frmClassPlanInput : public QDialog {
    Q_OBJECT
public:
    explicit frmClassPlanInput(AppContext& ctx, QWidget* parent = nullptr);

    QGroupBox* fraClass;
    QLabel* lblClass;
    QComboBox* CmbClass;
    QPushButton* CmdPrevClass;
    QPushButton* CmdNextClass;
    QGroupBox* fraData;
    QLabel* lblCourse;
    QComboBox* CmbCourse;
    QLabel* lblFullName;
    QComboBox* CmbTeacher;
    QLabel* lblCount;
    QLineEdit* txtCount;
    QLabel* lblDoubles;
    QLineEdit* txtDoubles; // double lessons (连堂) among the count; empty: none
    QGroupBox* fraOp;
    QPushButton* cmdAppend;
    QPushButton* cmdDelete;
    QPushButton* cmdModify;
    QPushButton* cmdOK;
    QTreeWidget* lstAllRecord;
    QGroupBox* fraTeacher;
    QComboBox* CmbTeacher2;
    QLabel* lblTeacherName;
    QTreeWidget* lstTeacherInfo;
    QLabel* lblTeacherSum;
    QStatusBar* staMsg;
    QLabel* staMsgPanel1; // result of the last operation
    QLabel* staMsgPanel2; // class name
    QLabel* staMsgPanel3; // plan rows + " 门"
    QLabel* staMsgPanel4; // lessons a week + " 节"
    // 合班: the other classes that take the chosen row's lessons with this class.
    QLabel* lblJoint;
    QLineEdit* txtJoint;   // their names, read only
    QPushButton* cmdJoint; // choose them (JointChooser)

    // The key of the row last shown: ModifyRecord rewrites the row it names.
    QString classCode() const { return mstrClassCode; }
    QString courseCode() const { return mstrCourseCode; }
    QString teacherCode() const { return mstrTeacherCode; }
    int count() const { return mintCount; }

    // Each returns true when the input is incomplete or the operation failed or
    // was refused, false when it was carried out.
    bool CheckInput();
    bool AppendRecord();
    bool DeleteRecord();
    bool ModifyRecord();
    // After a row was written: warns when the class or the teacher is now
    // planned beyond the periods open to them.
    void WarnIfOverfull(const QString& classCode, const QString& teacherCode);
    // 合班: the chosen row's lessons are given to these classes too (names as
    // the class list shows them; none ends it). Returns true when refused or
    // failed, with the reason shown, as the others.
    bool SetJointClasses(const QStringList& classNames);
    // The dialog that chooses them: every other class, checked where it joins.
    QDialog* JointChooser(const QStringList& chosen);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void CmbClass_Click();
    void CmdPrevClass_Click();
    void CmdNextClass_Click();
    void CmbTeacher2_Click();
    void lstAllRecord_ItemClick();
    void lstAllRecord_ColumnClick(int column);

    void BuildControls();
    void FillClassList();
    void FillCourseList();
    void FillTeacherList();
    void LoadClassPlan();
    void ShowPlanSummary();
    void ShowTeacherPlan(const QString& teacherName);
    void ShowSelectedRecord();
    void ClearInput();
    int doublesTyped() const;
    static QString doublesText(long long doubles);
    void ChooseTeacher2(const QString& teacherName);
    QTreeWidgetItem* SelectedRow() const;
    QTreeWidgetItem* RowOf(const QString& courseCode, const QString& teacherCode) const;
    void cmdJoint_Click();
    // "一（2）班、一（3）班" for a first class's row, "随一（1）班" for a
    // further class's; empty for a row of one class.
    QString JointText(const QString& courseCode, const QString& teacherCode) const;
    QStringList JointNames(const QString& courseCode, const QString& teacherCode) const;

    AppContext& m_ctx;
    QString mstrClassCode;
    QString mstrCourseCode;
    QString mstrTeacherCode;
    int mintCount = 0;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_sorted = false;
};
