#pragma once
// "课程上课时间限制": the lesson times of one course, the limits that generation reads.
#include "gui/limits/frmLimitInput.h"

class frmCourseLimitInput : public frmLimitInput {
    Q_OBJECT
public:
    explicit frmCourseLimitInput(AppContext& ctx, QWidget* parent = nullptr)
        : frmLimitInput(LimitKind::Course, ctx, parent), CmbCourse(cmbObject), lblClass(lblObject),
          CmdPrev(cmdPrevObject), CmdNext(cmdNextObject) {}

    QComboBox* const CmbCourse;
    QLabel* const lblClass;
    QPushButton* const CmdPrev;
    QPushButton* const CmdNext;
};
