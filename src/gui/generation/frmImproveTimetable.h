#pragma once
// "课表优化": improves the finished timetable when it is first shown (fewer
// empty periods inside class days, fewer teacher gaps), shows how far it is,
// can be cancelled (the timetable then stays as it was), reports what
// changed and closes.
#include "core/generation/ImproveTimetable.h"

#include <QDialog>

struct AppContext;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

class frmImproveTimetable : public QDialog {
    Q_OBJECT
public:
    explicit frmImproveTimetable(AppContext& ctx, QWidget* parent = nullptr);

    QGroupBox* Frame1;
    QLabel* Label1;
    QProgressBar* barProgress;
    QPushButton* cmdCancel;

    // What the run did; read after the window closed.
    ImproveReport report;

    // The outcome in a few lines: the measures that changed, before → after.
    static QString Summary(const ImproveReport& r);

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void cmdCancel_Click();
    void RunImprovement();

    AppContext& m_ctx;
    bool m_started = false;
    bool m_running = false;
    bool m_cancel = false;
};
