#include "gui/shell/frmSchoolName.h"
#include "core/model/TextRules.h"

#include "core/config/AppConfig.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmSchoolName::frmSchoolName(QWidget* parent) : QDialog(parent) {
    setObjectName("frmSchoolName");
    setWindowTitle(QStringLiteral("学校名称设置"));
    setFont(SongTi(11));
    txtName = new QLineEdit(GetSchoolName(), this);
    txtName->setObjectName("txtName");
    txtName->setMaxLength(40);
    txtName->setMinimumWidth(Twips(4500));
    cmdOK = new QPushButton(QStringLiteral("确定(&O)"), this);
    cmdCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    cmdOK->setObjectName("cmdOK");
    cmdCancel->setObjectName("cmdCancel");
    cmdOK->setDefault(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("学校名称"), txtName);
    auto* hint = new QLabel(
        QStringLiteral("学校名称显示在窗口标题和打印、导出的课表上，下次启动时生效。"), this);
    hint->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &frmSchoolName::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmSchoolName::cmdOK_Click() {
    if (HasControlCharacter(txtName->text())) {
        ShowWarning(this, windowTitle(), ControlCharacterMessage(txtName->text()));
        txtName->setFocus();
        return;
    }
    if (!WriteSchoolName(txtName->text())) {
        ShowError(this, windowTitle(), QStringLiteral("保存学校名称失败！"));
        return;
    }
    accept();
}
