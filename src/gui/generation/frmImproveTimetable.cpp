#include "gui/generation/frmImproveTimetable.h"

#include "core/generation/BuildRandom.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString kCaption = QStringLiteral("课表优化");
} // namespace

frmImproveTimetable::frmImproveTimetable(AppContext& ctx, QWidget* parent)
    : QDialog(parent), m_ctx(ctx) {
    setObjectName("frmImproveTimetable");
    setWindowTitle(kCaption);
    setFont(SongTi(10));
    setFixedSize(Twips(5400), Twips(2400));
    Frame1 = new QGroupBox(this);
    Label1 = new QLabel(QStringLiteral("正在优化课表 ..."), Frame1);
    barProgress = new QProgressBar(Frame1);
    cmdCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    Frame1->setObjectName("Frame1");
    Label1->setObjectName("Label1");
    barProgress->setObjectName("barProgress");
    cmdCancel->setObjectName("cmdCancel");
    Label1->setFont(SongTi(12));
    barProgress->setRange(0, 100);

    auto* inner = new QVBoxLayout(Frame1);
    inner->addWidget(Label1);
    inner->addWidget(barProgress);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);
    connect(cmdCancel, &QPushButton::clicked, this, &frmImproveTimetable::cmdCancel_Click);
}

void frmImproveTimetable::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    QTimer::singleShot(0, this, [this] {
        if (!m_started) {
            m_started = true;
            RunImprovement();
        }
    });
}

void frmImproveTimetable::closeEvent(QCloseEvent* e) {
    // Closing the window while it works is a cancel; it closes when done.
    if (m_running) {
        m_cancel = true;
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void frmImproveTimetable::reject() {
    if (m_running)
        m_cancel = true;
    else
        QDialog::reject();
}

void frmImproveTimetable::cmdCancel_Click() {
    m_cancel = true;
    cmdCancel->setEnabled(false);
    Label1->setText(QStringLiteral("正在取消 ..."));
}

QString frmImproveTimetable::Summary(const ImproveReport& r) {
    if (r.moved == 0)
        return QStringLiteral("课表已经没有可以改进的地方，没有调动任何课。");
    QStringList lines{QStringLiteral("课表优化：调动了 %1 节课。").arg(r.moved)};
    for (int i = 0; i < rules::kMeasureCount; ++i) {
        const auto m = static_cast<rules::Measure>(i);
        const long long a = rules::at(r.before, m), b = rules::at(r.after, m);
        if (a != b)
            lines << QStringLiteral("%1：%2 → %3 %4")
                         .arg(rules::measureName(m))
                         .arg(a)
                         .arg(b)
                         .arg(rules::measureUnit(m));
    }
    if (r.timedOut)
        lines << QStringLiteral("到了时间限制，优化提前结束。");
    return lines.join('\n');
}

void frmImproveTimetable::RunImprovement() {
    m_running = true;
    ImproveRun run;
    run.lessonsPerDay = m_ctx.lessonsPerDay;
    run.seed = kDefaultBuildSeed;
    run.progress = [this](int percent) {
        if (!m_cancel)
            barProgress->setValue(percent);
        QApplication::processEvents();
        return !m_cancel;
    };
    report = ImproveTimetable(m_ctx.db, run);
    m_running = false;
    if (report.cancelled)
        ShowInfo(this, kCaption, QStringLiteral("已取消课表优化，课表没有改动。"));
    else if (!report.ok)
        ShowError(this, kCaption, QStringLiteral("课表优化失败！") + report.error);
    else
        ShowInfo(this, kCaption, Summary(report));
    accept();
}
