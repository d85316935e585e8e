#include "gui/generation/frmAutoBuild.h"

#include "core/generation/BuildTimetable.h"
#include "core/store/CompletionStore.h"
#include "core/store/DoubleLessons.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString kCaption = QStringLiteral("自动生成课表");
// The dot row starts again once it would run out of the window.
constexpr int kMaxDots = 40;
} // namespace

frmAutoBuild::frmAutoBuild(AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName("frmAutoBuild");
    setWindowTitle(kCaption);
    setFont(SongTi(10));
    setFixedSize(Twips(5400), Twips(2100));
    Frame1 = new QGroupBox(this);
    Label1 = new QLabel(QStringLiteral("正在自动生成课表 ..."), Frame1);
    lblStatus = new QLabel(Frame1);
    Timer1 = new QTimer(this);
    Frame1->setObjectName("Frame1");
    Label1->setObjectName("Label1");
    lblStatus->setObjectName("lblStatus");
    Timer1->setObjectName("Timer1");
    Label1->setFont(SongTi(12));
    lblStatus->setFont(SongTi(12));

    auto* inner = new QVBoxLayout(Frame1);
    inner->addWidget(Label1);
    inner->addWidget(lblStatus);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);

    connect(Timer1, &QTimer::timeout, this, &frmAutoBuild::Timer1_Timer);
    Timer1->setInterval(500);
    Timer1->start();
    lblStatus->setText(QString());
}

// ---- events ------------------------------------------------------------------

void frmAutoBuild::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void frmAutoBuild::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // Where no window manager hands out activation, being shown counts as the
    // first activation; the counter keeps it to one run either way.
    QTimer::singleShot(0, this, [this] {
        if (mintActivateCount == 0)
            Form_Activate();
    });
}

void frmAutoBuild::closeEvent(QCloseEvent* e) {
    // A run cannot stop half-way: the window closes itself when it is done.
    if (m_running) {
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void frmAutoBuild::reject() {
    if (!m_running)
        QDialog::reject();
}

void frmAutoBuild::Form_Activate() {
    if (mintActivateCount++ != 0)
        return;
    RunBuild();
}

void frmAutoBuild::Timer1_Timer() {
    QString dots = lblStatus->text();
    if (dots.size() >= kMaxDots)
        dots.clear();
    lblStatus->setText(dots + '.');
}

// ---- procedures --------------------------------------------------------------

void frmAutoBuild::RunBuild() {
    m_running = true;
    int rate = 0;
    QString why;
    const bool built = tryBuildTimetable(m_ctx.db, Week::ofLessons(m_ctx.lessonsPerDay), &rate,
                                         &why, [] { QApplication::processEvents(); });
    m_running = false;
    if (!built) {
        ShowError(this, kCaption, QStringLiteral("生成课表失败！\n") + why);
        accept();
        return;
    }
    int missing = 0, doubles = 0;
    try {
        missing = MissingLessons(m_ctx.db);
        doubles = MissingDoubleRowLessons(m_ctx.db);
    } catch (const std::exception&) {
    }
    QString text = CompletionRateText(rate, missing);
    if (doubles > 0)
        text += '\n' + DoublesLeftText(doubles);
    if (missing > 0)
        mblnComplete = AskYesNo(
            this, kCaption,
            text + QStringLiteral("\n\n是否自动补排？自动补排会调动已排的课（预先固定的课不动），"
                                  "把未排的课排进课表。"));
    else
        ShowInfo(this, kCaption, text);
    accept();
}
