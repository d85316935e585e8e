#pragma once
// "课程名单": the code list editor of the course table.
#include "gui/basedata/frmCodeListInput.h"

class frmCourseInput : public frmCodeListInput {
    Q_OBJECT
public:
    explicit frmCourseInput(AppContext& ctx, QWidget* parent = nullptr)
        : frmCodeListInput(kCourseEditorKind, ctx, parent) {}
};
