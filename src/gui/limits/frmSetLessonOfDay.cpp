#include "gui/limits/frmSetLessonOfDay.h"

#include "core/config/AppConfig.h"
#include "core/model/Failure.h"
#include "core/store/DoubleLessons.h"
#include "core/store/TimetableDb.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

frmSetLessonOfDay::frmSetLessonOfDay(AppContext& ctx, QWidget* parent)
    : QDialog(parent), m_ctx(ctx) {
    setObjectName("frmSetLessonOfDay");
    setWindowTitle(QStringLiteral("每天课时数设置"));
    setFont(SongTi(10));
    Label1 = new QLabel(QStringLiteral("每天课时数"), this);
    Opt6 = new QRadioButton(QStringLiteral("6节"), this);
    Opt7 = new QRadioButton(QStringLiteral("7节"), this);
    lblMorning = new QLabel(QStringLiteral("上午节数(&M)"), this);
    spnMorning = new QSpinBox(this);
    spnMorning->setRange(MiddayBreak::kMinMorning, MiddayBreak::kMaxMorning);
    spnMorning->setSuffix(QStringLiteral(" 节"));
    spnMorning->setToolTip(QStringLiteral("午休在上午最后一节之后：连堂课不跨午休"));
    lblMorning->setBuddy(spnMorning);
    cmdOK = new QPushButton(QStringLiteral("确定"), this);
    cmdCancel = new QPushButton(QStringLiteral("取消"), this);
    Label1->setObjectName("Label1");
    Opt6->setObjectName("Opt6");
    Opt7->setObjectName("Opt7");
    lblMorning->setObjectName("lblMorning");
    spnMorning->setObjectName("spnMorning");
    cmdOK->setObjectName("cmdOK");
    cmdCancel->setObjectName("cmdCancel");
    cmdOK->setDefault(true);

    auto* options = new QHBoxLayout;
    options->addWidget(Label1);
    options->addSpacing(Twips(300));
    options->addWidget(Opt6);
    options->addWidget(Opt7);
    options->addStretch();
    auto* morning = new QHBoxLayout;
    morning->addWidget(lblMorning);
    morning->addSpacing(Twips(300));
    morning->addWidget(spnMorning);
    morning->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(options);
    layout->addLayout(morning);
    layout->addSpacing(Twips(300));
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &frmSetLessonOfDay::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSetLessonOfDay::cmdCancel_Click);

    // Form_Load
    if (m_ctx.lessonsPerDay == 6)
        Opt6->setChecked(true);
    else
        Opt7->setChecked(true);
    m_morning = MiddayBreak::kDefaultMorning;
    if (m_ctx.db.isOpen()) {
        try {
            m_morning = ReadMiddayBreak(m_ctx.db).morningLessons;
        } catch (const std::exception&) {
            spnMorning->setEnabled(false); // unreadable: nothing to change here
        }
    } else {
        spnMorning->setEnabled(false);
    }
    spnMorning->setValue(m_morning);
}

void frmSetLessonOfDay::cmdOK_Click() {
    if (spnMorning->isEnabled() && spnMorning->value() != m_morning) {
        try {
            WriteMiddayBreak(m_ctx.db, MiddayBreak{spnMorning->value()});
            m_morning = spnMorning->value();
        } catch (const std::exception& e) {
            ShowError(this, windowTitle(),
                      QStringLiteral("上午节数没有保存：") +
                          FailureMessage(e, reason::ioError(), m_ctx.db.path()));
            return;
        }
    }
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
