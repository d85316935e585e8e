#include "gui/generation/frmVersions.h"

#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("课表版本");

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setMinimumWidth(Twips(1500));
    return b;
}
} // namespace

frmVersions::frmVersions(AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName("frmVersions");
    setWindowTitle(kTitle);
    setFont(SongTi(10));
    resize(Twips(9000), Twips(6000));

    lblHint =
        new QLabel(QStringLiteral("自动生成、自动补排、删除课表和学年升级之前，程序都把当时的课表"
                                  "保留为一个版本（最近 %1 个）。选中一个版本，按“恢复”即可"
                                  "回到那时的课表；现在的课表会先保留为一个版本。")
                       .arg(kVersionsKept),
                   this);
    lblHint->setObjectName("lblHint");
    lblHint->setWordWrap(true);
    lstVersions = new QTreeWidget(this);
    lstVersions->setObjectName("lstVersions");
    lstVersions->setRootIsDecorated(false);
    lstVersions->setHeaderLabels({QStringLiteral("编号"), QStringLiteral("时间"),
                                  QStringLiteral("原因"), QStringLiteral("已排课数")});
    lstVersions->header()->resizeSection(0, Twips(900));
    lstVersions->header()->resizeSection(1, Twips(2700));
    lstVersions->header()->resizeSection(2, Twips(3600));
    cmdRestore = Button(this, "cmdRestore", "恢复(&R)");
    cmdOK = Button(this, "cmdOK", "退出(&Q)");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdRestore);
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblHint);
    layout->addWidget(lstVersions, 1);
    layout->addLayout(buttons);

    connect(cmdRestore, &QPushButton::clicked, this, &frmVersions::cmdRestore_Click);
    connect(lstVersions, &QTreeWidget::itemDoubleClicked, this, &frmVersions::cmdRestore_Click);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    Form_Load();
}

// ---- event handlers ---------------------------------------------------------

void frmVersions::Form_Load() {
    LoadVersions();
}

void frmVersions::cmdRestore_Click() {
    QTreeWidgetItem* item = lstVersions->currentItem();
    if (!item) {
        ShowInfo(this, kTitle, QStringLiteral("请先选择要恢复的课表版本。"));
        return;
    }
    const int number = item->data(0, Qt::UserRole).toInt();
    if (!AskYesNo(this, kTitle,
                  QStringLiteral("确定要恢复第 %1 号版本（%2，%3）的课表吗？\n"
                                 "现在的课表会先保留为一个版本，可以再恢复回来。")
                      .arg(number)
                      .arg(item->text(1), item->text(2))))
        return;
    try {
        const RestoreResult r = RestoreVersion(m_ctx.db, number);
        LoadVersions();
        QString text = QStringLiteral("课表已恢复：%1 节课。").arg(r.lessons);
        for (const QString& line : r.skippedLines())
            text += QStringLiteral("\n其中 ") + line;
        ShowInfo(this, kTitle, text);
    } catch (const Failure& e) {
        ShowError(this, kTitle, QStringLiteral("恢复课表失败！") + e.message());
    }
}

// ---- procedures -------------------------------------------------------------

void frmVersions::LoadVersions() {
    lstVersions->clear();
    QList<TimetableVersion> versions;
    try {
        versions = ListVersions(m_ctx.db);
    } catch (const Failure& e) {
        ShowError(this, kTitle, e.message());
    }
    for (const TimetableVersion& v : versions) {
        auto* item = new QTreeWidgetItem(lstVersions,
                                         {QString::number(v.number),
                                          v.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                          v.cause, QString::number(v.lessons)});
        item->setData(0, Qt::UserRole, v.number);
    }
    if (lstVersions->topLevelItemCount() > 0)
        lstVersions->setCurrentItem(lstVersions->topLevelItem(0));
    cmdRestore->setEnabled(!versions.isEmpty());
}
