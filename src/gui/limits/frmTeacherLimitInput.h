#pragma once
// "老师上课时间限制": the lesson times of one teacher.
#include "gui/limits/frmLimitInput.h"

class frmTeacherLimitInput : public frmLimitInput {
    Q_OBJECT
public:
    explicit frmTeacherLimitInput(AppContext& ctx, QWidget* parent = nullptr)
        : frmLimitInput(LimitKind::Teacher, ctx, parent), CmbTeacher(cmbObject),
          lblTeacher(lblObject), CmdPrev(cmdPrevObject), CmdNext(cmdNextObject) {}

    QComboBox* const CmbTeacher;
    QLabel* const lblTeacher;
    QPushButton* const CmdPrev;
    QPushButton* const CmdNext;
};
