#pragma once
// "班级名单": the list of classes. A class is chosen by grade and class number;
// its code and names are formed from them.
#include "basedata/CodeRecords.h"

#include <QDialog>

struct AppContext;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTreeWidget;
class RecordList;

class frmClassInput : public QDialog {
    Q_OBJECT
public:
    explicit frmClassInput(AppContext& ctx, QWidget* parent = nullptr);

    QFrame* fraData;
    QLabel* lblCode;
    QComboBox* cmbGrade;
    QComboBox* cmbClass;
    QLabel* Label1;
    QLabel* lblName;
    QLabel* lblFullName;
    QLabel* lblShortName;
    QLineEdit* txtName;
    QLineEdit* txtFullName;
    QLineEdit* txtShortName;
    QFrame* fraOp;
    QPushButton* cmdAppend;
    QPushButton* cmdDelete;
    QPushButton* cmdModify;
    QPushButton* cmdOK;
    QTreeWidget* lstAllRecord;
    QStatusBar* staMsg;
    QLabel* staMsgPanel1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool txtName_KeyDown(int key);
    bool txtFullName_KeyDown(int key);
    bool txtShortName_KeyDown(int key);
    void Form_Load();

    void FillClassNames();
    bool CheckInput();
    void ClearInput();
    bool AppendRecord();
    bool DeleteRecord();
    bool ModifyRecord();
    void ShowSelectedRecord();

    void BuildControls();
    QString InputCode() const;
    CodeRecord InputRecord() const;
    bool RefuseWithoutSelection(const QString& operation);

    AppContext& m_ctx;
    RecordList* m_records = nullptr;
};
