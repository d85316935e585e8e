#include "gui/generation/frmAutoComplete.h"

#include "core/generation/BuildRandom.h"
#include "core/generation/BuildTimetable.h"
#include "core/store/CompletionStore.h"
#include "gui/widgets/AppContext.h"
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

namespace {
const QString kCaption = QStringLiteral("自动补排");
} // namespace

frmAutoComplete::frmAutoComplete(AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName("frmAutoComplete");
    setWindowTitle(kCaption);
    setFont(SongTi(10));
    setFixedSize(Twips(5400), Twips(2400));
    Frame1 = new QGroupBox(this);
    Label1 = new QLabel(QStringLiteral("正在自动补排 ..."), Frame1);
    lblStatus = new QLabel(Frame1);
    cmdCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    Frame1->setObjectName("Frame1");
    Label1->setObjectName("Label1");
    lblStatus->setObjectName("lblStatus");
    cmdCancel->setObjectName("cmdCancel");
    Label1->setFont(SongTi(12));

    auto* inner = new QVBoxLayout(Frame1);
    inner->addWidget(Label1);
    inner->addWidget(lblStatus);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);
    connect(cmdCancel, &QPushButton::clicked, this, &frmAutoComplete::cmdCancel_Click);
}

void frmAutoComplete::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    QTimer::singleShot(0, this, [this] {
        if (!m_started) {
            m_started = true;
            RunCompletion();
        }
    });
}

void frmAutoComplete::closeEvent(QCloseEvent* e) {
    // Closing the window while it works is a cancel; it closes when done.
    if (m_running) {
        m_cancel = true;
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void frmAutoComplete::reject() {
    if (m_running)
        m_cancel = true;
    else
        QDialog::reject();
}

void frmAutoComplete::cmdCancel_Click() {
    m_cancel = true;
    cmdCancel->setEnabled(false);
    lblStatus->setText(QStringLiteral("正在取消 ..."));
}

void frmAutoComplete::RunCompletion() {
    m_running = true;
    CompletionRun run;
    run.lessonsPerDay = m_ctx.lessonsPerDay;
    run.seed = kDefaultBuildSeed;
    run.progress = [this](int missing) {
        if (!m_cancel)
            lblStatus->setText(QStringLiteral("还有 %1 节未排").arg(missing));
        QApplication::processEvents();
        return !m_cancel;
    };
    report = CompleteTimetable(m_ctx.db, run);
    m_running = false;
    if (report.cancelled) {
        ShowInfo(this, kCaption, QStringLiteral("已取消自动补排，课表没有改动。"));
    } else if (!report.ok) {
        ShowError(this, kCaption, QStringLiteral("自动补排失败！") + report.error);
    } else {
        QString text = QStringLiteral("自动补排：补排 %1 节，仍未排 %2 节")
                           .arg(report.placed)
                           .arg(report.remaining);
        try {
            int rate = 0;
            if (!tryCompletionRate(m_ctx.db, &rate))
                rate = -1; // a plan of nothing has no rate; the line shows −1 then
            text += '\n' + CompletionRateText(rate, MissingLessons(m_ctx.db));
        } catch (const std::exception&) {
        }
        if (report.remaining > 0)
            text += QStringLiteral("\n未排的课和排不进的原因见“手工调整课表”。");
        // Completion fills; the timetable may still have empty periods to close.
        text += QStringLiteral("\n用“自动排课 → 课表优化”可以减少班级和老师的空堂。");
        ShowInfo(this, kCaption, text);
    }
    accept();
}
