#pragma once
// "课表优化": improves the finished timetable when it is first shown (fewer
// empty periods inside class days, fewer teacher gaps), shows how far it is,
// can be cancelled (the timetable then stays as it was), reports what
// changed and closes.
#include "core/generation/ImproveTimetable.h"
#include "gui/generation/RunDialog.h"

class QProgressBar;

class frmImproveTimetable : public RunDialog {
    Q_OBJECT
public:
    explicit frmImproveTimetable(AppContext& ctx, QWidget* parent = nullptr);

    QProgressBar* barProgress;

    // What the run did; read after the window closed.
    ImproveReport report;

    // The outcome in a few lines: the measures that changed, before → after.
    static QString Summary(const ImproveReport& r);

protected:
    void Run() override;
};
