#include "gui/shell/frmConfirm.h"

#include "gui/widgets/UiMetrics.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

frmConfirm::frmConfirm(QWidget* parent) : QDialog(parent) {
    setObjectName("frmConfirm");
    setWindowTitle(QStringLiteral("请确认"));
    setFont(SongTi(10));
    lblTitle = new QLabel(QStringLiteral("自动生成课表将会清除您以前排好的课表！"), this);
    Label1 = new QLabel(QStringLiteral("请在右边框中输入OK，然后按<确认>按钮"), this);
    Text1 = new QLineEdit(this);
    lblPlanCheck = new QLabel(this);
    txtPlanCheck = new QPlainTextEdit(this);
    cmdOK = new QPushButton(QStringLiteral("确认(&Y)"), this);
    cmdCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    lblTitle->setObjectName("lblTitle");
    Label1->setObjectName("Label1");
    Text1->setObjectName("Text1");
    lblPlanCheck->setObjectName("lblPlanCheck");
    txtPlanCheck->setObjectName("txtPlanCheck");
    txtPlanCheck->setReadOnly(true);
    txtPlanCheck->setFixedHeight(Twips(1500));
    lblPlanCheck->hide();
    txtPlanCheck->hide();
    cmdOK->setObjectName("cmdOK");
    cmdCancel->setObjectName("cmdCancel");
    lblTitle->setWordWrap(true);
    lblTitle->setStyleSheet("color: rgb(192,0,0)");
    Text1->setMaxLength(2);
    Text1->setFixedWidth(60);
    cmdOK->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(lblTitle, 0, 0, 1, 3);
    layout->addWidget(lblPlanCheck, 1, 0, 1, 3);
    layout->addWidget(txtPlanCheck, 2, 0, 1, 3);
    layout->addWidget(Label1, 3, 0, 1, 2);
    layout->addWidget(Text1, 3, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons, 4, 0, 1, 3);

    connect(cmdOK, &QPushButton::clicked, this, &frmConfirm::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmConfirm::cmdCancel_Click);
}

void frmConfirm::setWarning(const QString& warning) {
    lblTitle->setText(warning + QStringLiteral("\r\n您最好先保存现在的课表数据。\r\n"
                                               "菜单“文件”->“数据库另存为”"));
}

void frmConfirm::setPlanProblems(const QStringList& lines) {
    lblPlanCheck->setText(
        QStringLiteral("教学计划中有 %1 项排不下，生成后这些课会留在未排中：").arg(lines.size()));
    lblPlanCheck->setStyleSheet("color: rgb(192,0,0)");
    txtPlanCheck->setPlainText(lines.join('\n'));
    lblPlanCheck->setVisible(!lines.isEmpty());
    txtPlanCheck->setVisible(!lines.isEmpty());
}

void frmConfirm::showEvent(QShowEvent* e) {
    // Closing from the title bar counts as cancel: only a confirmation in this
    // showing sets the flag.
    mblnCheckFlag = false;
    Text1->clear();
    Text1->setFocus();
    QDialog::showEvent(e);
}

void frmConfirm::cmdOK_Click() {
    if (Text1->text().trimmed().toUpper() == QStringLiteral("OK")) {
        mblnCheckFlag = true;
        accept();
        return;
    }
    Text1->selectAll();
    Text1->setFocus();
}

void frmConfirm::cmdCancel_Click() {
    mblnCheckFlag = false;
    reject();
}

bool ConfirmCommand(QWidget* parent, const QString& warning, const QStringList& planProblems) {
    frmConfirm dlg(parent);
    dlg.setWarning(warning);
    dlg.setPlanProblems(planProblems);
    dlg.exec();
    return dlg.mblnCheckFlag;
}
