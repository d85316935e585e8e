#pragma once
// "自动补排": places the lessons still missing when it is first shown, says
// how many are left meanwhile, can be cancelled (the timetable then stays as
// it was), reports the outcome and closes.
#include "core/generation/CompleteTimetable.h"
#include "gui/generation/RunDialog.h"

class frmAutoComplete : public RunDialog {
    Q_OBJECT
public:
    explicit frmAutoComplete(AppContext& ctx, QWidget* parent = nullptr);

    QLabel* lblStatus;

    // What the run did; read after the window closed.
    CompletionReport report;

protected:
    void Run() override;

private:
    QString Summary() const;
};
