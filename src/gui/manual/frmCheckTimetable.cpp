#include "gui/manual/frmCheckTimetable.h"
#include "core/model/Failure.h"

#include "core/store/TimetableCheckStore.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiMetrics.h"
#include "gui/widgets/WaitCursor.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmCheckTimetable::frmCheckTimetable(AppContext& ctx, QWidget* parent)
    : QDialog(parent), m_ctx(ctx) {
    setObjectName("frmCheckTimetable");
    setWindowTitle(QStringLiteral("检查课表"));
    setFont(SongTi(10));
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    lblResult = new QLabel(this);
    txtReport = new QPlainTextEdit(this);
    cmdRecheck = new QPushButton(QStringLiteral("重新检查(&R)"), this);
    cmdCopy = new QPushButton(QStringLiteral("复制全部(&C)"), this);
    cmdOK = new QPushButton(QStringLiteral("关闭(&Q)"), this);
    lblResult->setObjectName("lblResult");
    txtReport->setObjectName("txtReport");
    cmdRecheck->setObjectName("cmdRecheck");
    cmdCopy->setObjectName("cmdCopy");
    cmdOK->setObjectName("cmdOK");

    lblResult->setWordWrap(true);
    // Read-only but selectable with the mouse and the keyboard, so any line
    // can be copied into a note to a colleague.
    txtReport->setReadOnly(true);
    txtReport->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtReport->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtReport->setMinimumSize(Twips(9000), Twips(6000));
    lblResult->setBuddy(txtReport);
    cmdOK->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdRecheck);
    buttons->addWidget(cmdCopy);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblResult);
    layout->addWidget(txtReport, 1);
    layout->addLayout(buttons);

    connect(cmdRecheck, &QPushButton::clicked, this, &frmCheckTimetable::CheckTimetable);
    connect(cmdCopy, &QPushButton::clicked, this, &frmCheckTimetable::cmdCopy_Click);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::close);

    CheckTimetable();
    txtReport->setFocus();
}

void frmCheckTimetable::CheckTimetable() {
    TimetableCheck check;
    try {
        const WaitCursor wait;
        check = ::CheckTimetable(m_ctx.db, m_ctx.lessonsPerDay);
    } catch (const Failure& f) {
        lblResult->setText(QStringLiteral("读取课表数据失败：") + f.message());
        txtReport->clear();
        return;
    }
    lblResult->setText(check.ok() ? QStringLiteral("课表没有违反排课规则的地方。")
                                  : QStringLiteral("课表有违反排课规则的地方，见下面的清单。"));
    txtReport->setPlainText(check.report().join('\n'));
}

void frmCheckTimetable::cmdCopy_Click() {
    QGuiApplication::clipboard()->setText(txtReport->toPlainText());
}
