#pragma once
// "公共教室上课时间限制": the lesson times of one shared classroom.
#include "gui/limits/frmLimitInput.h"

class frmClassRoomLimitInput : public frmLimitInput {
    Q_OBJECT
public:
    explicit frmClassRoomLimitInput(AppContext& ctx, QWidget* parent = nullptr)
        : frmLimitInput(LimitKind::ClassRoom, ctx, parent), CmbClassRoom(cmbObject),
          lblClassRoom(lblObject), CmdPrev(cmdPrevObject), CmdNext(cmdNextObject) {}

    QComboBox* const CmbClassRoom;
    QLabel* const lblClassRoom;
    QPushButton* const CmdPrev;
    QPushButton* const CmdNext;
};
