#pragma once
// "教研组名单": the code list editor of the subject groups. Which teachers
// belong to a group is set in the teacher list.
#include "gui/basedata/frmCodeListInput.h"

class frmGroupInput : public frmCodeListInput {
    Q_OBJECT
public:
    explicit frmGroupInput(AppContext& ctx, QWidget* parent = nullptr)
        : frmCodeListInput(kGroupEditorKind, ctx, parent) {}
};
