#pragma once
// "班级上课时间限制": the lesson times of one class.
#include "gui/limits/frmLimitInput.h"

class frmClassLimitInput : public frmLimitInput {
    Q_OBJECT
public:
    explicit frmClassLimitInput(AppContext& ctx, QWidget* parent = nullptr)
        : frmLimitInput(LimitKind::Class, ctx, parent), CmbClass(cmbObject), lblClass(lblObject),
          CmdPrevClass(cmdPrevObject), CmdNextClass(cmdNextObject) {}

    QComboBox* const CmbClass;
    QLabel* const lblClass;
    QPushButton* const CmdPrevClass;
    QPushButton* const CmdNextClass;
};
