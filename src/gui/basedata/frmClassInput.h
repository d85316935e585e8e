#pragma once
// "班级名单": the list of classes. A class is chosen by grade and class number;
// its code and names are formed from them.
#include "gui/widgets/RecordEditor.h"

class QComboBox;
class QLabel;
class QLineEdit;

class frmClassInput : public RecordEditor {
    Q_OBJECT
public:
    explicit frmClassInput(AppContext& ctx, QWidget* parent = nullptr);

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool txtName_KeyDown(int key);
    bool txtFullName_KeyDown(int key);
    bool txtShortName_KeyDown(int key);
    void Form_Load();

    void FillClassNames();
    bool CheckInput();
    void ClearInput();
    bool AppendRecord() override;
    bool DeleteRecord() override;
    bool ModifyRecord() override;
    void ShowSelectedRecord() override;

    void BuildControls();
    QString InputCode() const;
    CodeRecord InputRecord() const;
};
