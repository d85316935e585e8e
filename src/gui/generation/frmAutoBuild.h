#pragma once
// "自动生成课表": runs one generation when it first becomes active, shows a
// growing row of dots meanwhile, reports the completion rate and closes.
#include <QDialog>

struct AppContext;
class QGroupBox;
class QLabel;
class QTimer;

class frmAutoBuild : public QDialog {
    Q_OBJECT
public:
    explicit frmAutoBuild(AppContext& ctx, QWidget* parent = nullptr);

    QGroupBox* Frame1;
    QLabel* Label1;
    QLabel* lblStatus;
    QTimer* Timer1;

    // How often the window has become active; only the first time runs.
    int mintActivateCount = 0;
    // Lessons were left over and the user wants them placed by 自动补排.
    bool mblnComplete = false;

public slots:
    void reject() override;

protected:
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void Form_Activate();
    void Timer1_Timer();
    void RunBuild();

    AppContext& m_ctx;
    bool m_running = false;
};
