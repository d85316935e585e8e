#include "gui/generation/RunDialog.h"

#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

RunDialog::RunDialog(AppContext& ctx, const QString& name, const QString& caption,
                     const QString& working, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_caption(caption) {
    setObjectName(name);
    setWindowTitle(caption);
    setFont(SongTi(10));
    setFixedSize(Twips(5400), Twips(2400));
    Frame1 = new QGroupBox(this);
    Label1 = new QLabel(working, Frame1);
    cmdCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    Frame1->setObjectName("Frame1");
    Label1->setObjectName("Label1");
    cmdCancel->setObjectName("cmdCancel");
    Label1->setFont(SongTi(12));
    m_cancelNote = Label1;

    auto* inner = new QVBoxLayout(Frame1);
    inner->addWidget(Label1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);
    connect(cmdCancel, &QPushButton::clicked, this, &RunDialog::cmdCancel_Click);
}

void RunDialog::addProgress(QWidget* w, QLabel* cancelNote) {
    Frame1->layout()->addWidget(w);
    if (cancelNote)
        m_cancelNote = cancelNote;
}

void RunDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    QTimer::singleShot(0, this, [this] {
        if (!m_started) {
            m_started = true;
            m_running = true;
            Run();
        }
    });
}

void RunDialog::closeEvent(QCloseEvent* e) {
    // Closing the window while it works is a cancel; it closes when done.
    if (m_running) {
        m_cancel = true;
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void RunDialog::reject() {
    if (m_running)
        m_cancel = true;
    else
        QDialog::reject();
}

void RunDialog::cmdCancel_Click() {
    m_cancel = true;
    cmdCancel->setEnabled(false);
    m_cancelNote->setText(QStringLiteral("正在取消 ..."));
}

bool RunDialog::Carry(const std::function<void()>& show) {
    if (!m_cancel)
        show();
    QApplication::processEvents();
    return !m_cancel;
}

void RunDialog::Finish(bool cancelled, bool ok, const QString& error,
                       const std::function<QString()>& summary) {
    // Not running any more: the message box may close the window.
    m_running = false;
    if (cancelled)
        ShowInfo(this, m_caption, QStringLiteral("已取消%1，课表没有改动。").arg(m_caption));
    else if (!ok)
        ShowError(this, m_caption, m_caption + QStringLiteral("失败！") + error);
    else
        ShowInfo(this, m_caption, summary());
    accept();
}
