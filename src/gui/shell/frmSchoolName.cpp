#include "gui/shell/frmSchoolName.h"
#include "core/model/TextRules.h"

#include "core/config/AppConfig.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QComboBox>
#include <QDate>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

frmSchoolName::frmSchoolName(QWidget* parent) : QDialog(parent) {
    setObjectName("frmSchoolName");
    setWindowTitle(QStringLiteral("学校名称设置"));
    setFont(SongTi(11));
    txtName = new QLineEdit(GetSchoolName(), this);
    txtName->setObjectName("txtName");
    txtName->setMaxLength(40);
    txtName->setMinimumWidth(Twips(4500));
    // The school years around today's, and the one kept if it is older.
    cmbYear = new QComboBox(this);
    cmbYear->setObjectName("cmbYear");
    cmbYear->addItem(QStringLiteral("未设置"), 0);
    const int thisYear = QDate::currentDate().year();
    const int kept = GetSchoolYear();
    for (int year = std::min(thisYear - 2, kept > 0 ? kept : thisYear); year <= thisYear + 2;
         ++year)
        cmbYear->addItem(QStringLiteral("%1—%2").arg(year).arg(year + 1), year);
    cmbYear->setCurrentIndex(std::max(0, cmbYear->findData(kept)));
    cmbTerm = new QComboBox(this);
    cmbTerm->setObjectName("cmbTerm");
    cmbTerm->addItem(QStringLiteral("未设置"), 0);
    cmbTerm->addItem(QStringLiteral("第一学期"), 1);
    cmbTerm->addItem(QStringLiteral("第二学期"), 2);
    cmbTerm->setCurrentIndex(std::max(0, cmbTerm->findData(GetSchoolTerm())));
    cmdOK = new QPushButton(QStringLiteral("确定(&O)"), this);
    cmdCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    cmdOK->setObjectName("cmdOK");
    cmdCancel->setObjectName("cmdCancel");
    cmdOK->setDefault(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("学校名称(&N)"), txtName);
    form->addRow(QStringLiteral("学年(&Y)"), cmbYear);
    form->addRow(QStringLiteral("学期(&T)"), cmbTerm);
    auto* hint =
        new QLabel(QStringLiteral("学校名称显示在窗口标题（下次启动时生效）和打印、导出的课表上；"
                                  "学年和学期写在打印、导出的课表标题中，每学期开始时改一次。"),
                   this);
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
    const int year = cmbYear->currentData().toInt();
    const int term = cmbTerm->currentData().toInt();
    if ((year == 0) != (term == 0)) {
        ShowWarning(this, windowTitle(), QStringLiteral("学年和学期要一起设置（或者都不设置）。"));
        (year == 0 ? cmbYear : cmbTerm)->setFocus();
        return;
    }
    if (!WriteSchoolName(txtName->text())) {
        ShowError(this, windowTitle(), QStringLiteral("保存学校名称失败！"));
        return;
    }
    if (!WriteSchoolTerm(year, term)) {
        ShowError(this, windowTitle(),
                  QStringLiteral("保存学年和学期失败！无法写入 %1").arg(IniFilePath()));
        return;
    }
    accept();
}
