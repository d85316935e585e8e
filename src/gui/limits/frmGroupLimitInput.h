#pragma once
// "教研组上课时间限制": the lesson times of one subject group; its "不排"
// periods (the group's meeting) hold for each of its teachers.
#include "gui/limits/frmLimitInput.h"

class frmGroupLimitInput : public frmLimitInput {
    Q_OBJECT
public:
    explicit frmGroupLimitInput(AppContext& ctx, QWidget* parent = nullptr)
        : frmLimitInput(LimitKind::Group, ctx, parent), CmbGroup(cmbObject), lblGroup(lblObject),
          CmdPrev(cmdPrevObject), CmdNext(cmdNextObject) {}

    QComboBox* const CmbGroup;
    QLabel* const lblGroup;
    QPushButton* const CmdPrev;
    QPushButton* const CmdNext;
};
