#pragma once
// The frame shared by the windows that run one long job when first shown
// (自动补排, 课表优化): a caption line, the window's own progress control
// below it and a cancel button. Closing or Esc while the job runs is a
// cancel; the window closes itself once the outcome has been told.
#include <QDialog>

#include <functional>

struct AppContext;
class QGroupBox;
class QLabel;
class QPushButton;

class RunDialog : public QDialog {
    Q_OBJECT
public:
    QGroupBox* Frame1;
    QLabel* Label1;
    QPushButton* cmdCancel;

public slots:
    void reject() override;

protected:
    // `working` is the caption line shown while the job runs.
    RunDialog(AppContext& ctx, const QString& name, const QString& caption, const QString& working,
              QWidget* parent);

    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

    // Puts the window's progress control under the caption line; a label
    // given as `cancelNote` says "正在取消" once the user cancels.
    void addProgress(QWidget* w, QLabel* cancelNote = nullptr);

    // The job itself; runs once, after the window is first shown, and ends
    // by calling Finish.
    virtual void Run() = 0;

    // The job's progress callback: shows the step unless cancelled, lets the
    // user click, and says whether to go on.
    bool Carry(const std::function<void()>& show);

    // Tells the outcome (`summary` only asked for on success) and closes.
    void Finish(bool cancelled, bool ok, const QString& error,
                const std::function<QString()>& summary);

    AppContext& m_ctx;

private:
    void cmdCancel_Click();

    QString m_caption;
    QLabel* m_cancelNote;
    bool m_started = false;
    bool m_running = false;
    bool m_cancel = false;
};
