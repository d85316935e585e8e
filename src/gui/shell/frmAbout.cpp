#include "gui/shell/frmAbout.h"

#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiMetrics.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

QString VersionText() {
    return QStringLiteral("Ver %1.%2.%3")
        .arg(KBXT_VERSION_MAJOR)
        .arg(KBXT_VERSION_MINOR)
        .arg(KBXT_VERSION_PATCH);
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle(QStringLiteral("关于"));
    setFont(SongTi(10));
    Label1 = new QLabel(QString::fromUtf8(kProductName), this);
    lblVersion = new QLabel(VersionText(), this);
    Image1 = new QLabel(this);
    lblRights = new QLabel(QStringLiteral("本软件为自由软件，学校可自由安装、使用和复制。"), this);
    lblMail = new QLabel(QStringLiteral("联系邮箱：") + QStringLiteral(KBXT_EMAIL), this);
    lblWebsite = new QLabel(QStringLiteral("网站：") + QStringLiteral(KBXT_WEBSITE), this);
    // A build given no address shows no line rather than a made-up one.
    lblMail->setVisible(!QStringLiteral(KBXT_EMAIL).isEmpty());
    lblWebsite->setVisible(!QStringLiteral(KBXT_WEBSITE).isEmpty());
    Label1->setObjectName("Label1");
    lblVersion->setObjectName("lblVersion");
    lblRights->setObjectName("lblRights");
    lblMail->setObjectName("lblMail");
    lblWebsite->setObjectName("lblWebsite");
    Image1->setObjectName("Image1");
    Label1->setFont(SongTi(16));
    Image1->setPixmap(windowIcon().pixmap(48, 48).isNull()
                          ? style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48)
                          : windowIcon().pixmap(48, 48));

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName("cmdOK");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(Image1);
    auto* names = new QVBoxLayout;
    names->addWidget(Label1);
    names->addWidget(lblVersion);
    top->addLayout(names, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lblRights);
    layout->addWidget(lblMail);
    layout->addWidget(lblWebsite);
    layout->addWidget(ok, 0, Qt::AlignRight);
}
