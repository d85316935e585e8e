#pragma once
// "教室名单": the code list editor of the classroom table.
#include "gui/basedata/frmCodeListInput.h"

class frmClassRoomInput : public frmCodeListInput {
    Q_OBJECT
public:
    explicit frmClassRoomInput(AppContext& ctx, QWidget* parent = nullptr)
        : frmCodeListInput(kClassRoomEditorKind, ctx, parent) {}
};
