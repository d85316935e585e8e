#include "gui/limits/frmSetLessonOfDay.h"

#include "core/config/AppConfig.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

frmSetLessonOfDay::frmSetLessonOfDay(AppContext& ctx, QWidget* parent)
    : QDialog(parent), m_ctx(ctx) {
    setObjectName("frmSetLessonOfDay");
    setWindowTitle(QStringLiteral("每天课时数设置"));
    setFont(SongTi(10));
    Label1 = new QLabel(QStringLiteral("每天课时数"), this);
    Opt6 = new QRadioButton(QStringLiteral("6节"), this);
    Opt7 = new QRadioButton(QStringLiteral("7节"), this);
    cmdOK = new QPushButton(QStringLiteral("确定"), this);
    cmdCancel = new QPushButton(QStringLiteral("取消"), this);
    Label1->setObjectName("Label1");
    Opt6->setObjectName("Opt6");
    Opt7->setObjectName("Opt7");
    cmdOK->setObjectName("cmdOK");
    cmdCancel->setObjectName("cmdCancel");
    cmdOK->setDefault(true);

    auto* options = new QHBoxLayout;
    options->addWidget(Label1);
    options->addSpacing(Twips(300));
    options->addWidget(Opt6);
    options->addWidget(Opt7);
    options->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(options);
    layout->addSpacing(Twips(300));
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &frmSetLessonOfDay::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSetLessonOfDay::cmdCancel_Click);

    // Form_Load
    if (m_ctx.lessonsPerDay == 6)
        Opt6->setChecked(true);
    else
        Opt7->setChecked(true);
}

void frmSetLessonOfDay::cmdOK_Click() {
    const int value = Opt6->isChecked() ? 6 : 7;
    if (!WriteLessonOfDay(value)) {
        ShowError(this, windowTitle(), QStringLiteral("存盘失败！"));
        return;
    }
    m_ctx.lessonsPerDay = LessonsPerDaySetting();
    accept();
}

void frmSetLessonOfDay::cmdCancel_Click() {
    reject();
}
