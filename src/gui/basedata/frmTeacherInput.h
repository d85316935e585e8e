#pragma once
// "老师名单": the code list editor of the teacher table.
#include "gui/basedata/frmCodeListInput.h"

class frmTeacherInput : public frmCodeListInput {
    Q_OBJECT
public:
    explicit frmTeacherInput(AppContext& ctx, QWidget* parent = nullptr)
        : frmCodeListInput(kTeacherEditorKind, ctx, parent) {}
};
