#pragma once
// "自动补排": places the lessons still missing when it is first shown, says
// how many are left meanwhile, can be cancelled (the timetable then stays as
// it was), reports the outcome and closes.
#include "core/generation/CompleteTimetable.h"

#include <QDialog>

struct AppContext;
class QGroupBox;
class QLabel;
class QPushButton;

class frmAutoComplete : public QDialog {
    Q_OBJECT
public:
    explicit frmAutoComplete(AppContext& ctx, QWidget* parent = nullptr);

    QGroupBox* Frame1;
    QLabel* Label1;
    QLabel* lblStatus;
    QPushButton* cmdCancel;

    // What the run did; read after the window closed.
    CompletionReport report;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void cmdCancel_Click();
    void RunCompletion();

    AppContext& m_ctx;
    bool m_started = false;
    bool m_running = false;
    bool m_cancel = false;
};
