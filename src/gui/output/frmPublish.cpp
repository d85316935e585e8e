#include "gui/output/frmPublish.h"

#include "core/config/AppConfig.h"
#include "core/formats/PublishFolder.h"
#include "gui/output/PublishPictures.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

frmPublish::frmPublish(AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName("frmPublish");
    setWindowTitle(QStringLiteral("发布课表"));
    setFont(SongTi(10));
    title = CurrentTimetableTitle();
    openFolder = [](const QString& folder) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    };

    lblFolder = new QLabel(QStringLiteral("发布到文件夹(&F)："), this);
    txtFolder = new QLineEdit(this);
    cmdBrowse = new QPushButton(QStringLiteral("浏览(&B)…"), this);
    chkPictures = new QCheckBox(QStringLiteral("课表图片（PNG，可发到班级群）(&P)"), this);
    chkCalendars = new QCheckBox(QStringLiteral("手机日历（.ics，每节课每周重复）(&C)"), this);
    lblResult = new QLabel(this);
    cmdPublish = new QPushButton(QStringLiteral("发布(&S)"), this);
    cmdClose = new QPushButton(QStringLiteral("关闭"), this);
    lblFolder->setObjectName("lblFolder");
    txtFolder->setObjectName("txtFolder");
    cmdBrowse->setObjectName("cmdBrowse");
    chkPictures->setObjectName("chkPictures");
    chkCalendars->setObjectName("chkCalendars");
    lblResult->setObjectName("lblResult");
    cmdPublish->setObjectName("cmdPublish");
    cmdClose->setObjectName("cmdClose");
    lblFolder->setBuddy(txtFolder);
    lblResult->setWordWrap(true);
    lblResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cmdPublish->setDefault(true);
    chkPictures->setChecked(true);
    chkCalendars->setChecked(true);

    // Beside the database, where the office keeps the school's files.
    const QString db = m_ctx.db.isOpen() ? m_ctx.db.path() : QString();
    txtFolder->setText(QDir::toNativeSeparators(
        QDir(db.isEmpty() ? DocumentsFolder() : QFileInfo(db).absolutePath())
            .filePath(QStringLiteral("课表网页"))));
    txtFolder->setMinimumWidth(Twips(6000));

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(lblFolder);
    folderRow->addWidget(txtFolder, 1);
    folderRow->addWidget(cmdBrowse);
    auto* note =
        new QLabel(QStringLiteral("写出 index.html 和每个班级、每位老师、全校总课表各一个网页，"
                                  "手机和电脑都能看，也能打印。"
                                  "文件夹里原有的、本程序发布的课表会被整个替换。"),
                   this);
    note->setObjectName("lblNote");
    note->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdPublish);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(folderRow);
    layout->addWidget(note);
    layout->addWidget(chkPictures);
    layout->addWidget(chkCalendars);
    layout->addWidget(lblResult);
    layout->addLayout(buttons);

    connect(cmdBrowse, &QPushButton::clicked, this, &frmPublish::cmdBrowse_Click);
    connect(cmdPublish, &QPushButton::clicked, this, &frmPublish::cmdPublish_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
}

void frmPublish::cmdBrowse_Click() {
    // A save dialog lets the user name a new folder as well as pick one.
    const QString folder = UiDialogs::instance().saveFileName(
        this, QStringLiteral("发布到文件夹"), QStringLiteral("文件夹 (*)"), txtFolder->text());
    if (!folder.isEmpty())
        txtFolder->setText(QDir::toNativeSeparators(folder));
}

void frmPublish::cmdPublish_Click() {
    const QString folder = QDir::fromNativeSeparators(txtFolder->text().trimmed());
    PublishOptions options;
    options.extras.pictures = chkPictures->isChecked();
    options.extras.calendars = chkCalendars->isChecked();
    options.databasePath = m_ctx.db.isOpen() ? m_ctx.db.path() : QString();
    if (const QString problem = PublishFolderProblem(folder, false, options.databasePath);
        !problem.isEmpty()) {
        ShowWarning(this, windowTitle(), problem);
        return;
    }
    PublishReport report;
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const PublishSchool set = ReadPublishSchool(m_ctx.db, m_ctx.lessonsPerDay, title);
        if (set.classes.empty()) {
            QApplication::restoreOverrideCursor();
            ShowWarning(this, windowTitle(), QStringLiteral("没有课表数据，请先排出课表。"));
            return;
        }
        report = WritePublishSet(set, folder, options, WritePublishPictures);
        QApplication::restoreOverrideCursor();
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        ShowError(this, windowTitle(),
                  QStringLiteral("发布失败！\n") +
                      FailureMessage(e, QStringLiteral("写入文件出错"), folder));
        return;
    }
    const QString text = PublishReportText(report);
    lblResult->setText(text);
    if (!openFolder || !openFolder(report.folder))
        ShowInfo(this, windowTitle(),
                 text + QStringLiteral("\n\n用浏览器打开其中的 index.html 即可查看。"));
}
