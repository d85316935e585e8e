#pragma once
// "老师名单": the code list editor of the teacher table, with each teacher's
// lessons a day and in a row at most and their subject group (教研组); the
// two limits can be given to every teacher in one step.
#include "gui/basedata/frmCodeListInput.h"

class QComboBox;
class QFrame;
class QSpinBox;

class frmTeacherInput : public frmCodeListInput {
    Q_OBJECT
public:
    explicit frmTeacherInput(AppContext& ctx, QWidget* parent = nullptr);

    QFrame* fraRule;
    QLabel* lblMaxPerDay;
    QSpinBox* spnMaxPerDay;
    QLabel* lblMaxInRow;
    QSpinBox* spnMaxInRow;
    QLabel* lblGroup;
    QComboBox* cboGroup;
    QPushButton* cmdApplyAll;

protected:
    bool SaveExtras(const QString& code) override;
    void ShowExtras(const QString& code) override;
    void ClearExtras() override;

private:
    void LoadGroups();
    void ApplyToAll();
};
