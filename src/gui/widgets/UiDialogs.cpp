#include "gui/widgets/UiDialogs.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QStandardPaths>
#include <QStyle>
#include <QTreeView>
#include <QUrl>

namespace {

class RealDialogs final : public UiDialogs {
public:
    Answer message(QWidget* parent, const QString& title, const QString& text, Icon icon,
                   Buttons buttons) override {
        QMessageBox box(parent);
        box.setWindowTitle(title);
        box.setText(text);
        switch (icon) {
        case Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case Icon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case Icon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case Icon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case Icon::None:
            break;
        }
        switch (buttons) {
        case Buttons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case Buttons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
            box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
            break;
        case Buttons::OkOpenFolder:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Yes);
            box.button(QMessageBox::Yes)->setText(QStringLiteral("打开文件夹(&F)"));
            box.setDefaultButton(QMessageBox::Ok);
            break;
        case Buttons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
            box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
            break;
        }
        if (buttons == Buttons::Ok || buttons == Buttons::OkOpenFolder)
            box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
        KeepTitleWhole(box);
        switch (box.exec()) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
        }
    }

    QString openFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& dir) override {
        return AskFile(parent, title, filter, dir, QFileDialog::AcceptOpen);
    }

    QString saveFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& dir) override {
        return AskFile(parent, title, filter, dir, QFileDialog::AcceptSave);
    }

private:
    static QString AskFile(QWidget* parent, const QString& title, const QString& filter,
                           const QString& dir, QFileDialog::AcceptMode mode) {
        QFileDialog dialog(parent, title, StartIn(dir), filter);
        dialog.setObjectName(QStringLiteral("dlgFile"));
        dialog.setAcceptMode(mode);
        dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                           : QFileDialog::AnyFile);
        // Qt's own dialog (where the desktop offers none) opens too narrow for
        // its size, type and date columns, which then show only dots.
        dialog.resize(760, 480);
        if (auto* files = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
            files->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
            files->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    }

    static QString StartIn(const QString& dir) { return dir.isEmpty() ? DocumentsFolder() : dir; }

    // A message box is only as wide as its text; a short text under a long
    // title (the school's name and 排课软件系统) would have the title cut off.
    static void KeepTitleWhole(QMessageBox& box) {
        auto* grid = qobject_cast<QGridLayout*>(box.layout());
        if (!grid)
            return;
        // The frame's buttons and margins take room beside the title text.
        const int decoration = 4 * box.style()->pixelMetric(QStyle::PM_TitleBarHeight);
        const int wanted = box.fontMetrics().horizontalAdvance(box.windowTitle()) + decoration;
        grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
};

RealDialogs g_real;
UiDialogs* g_current = &g_real;

} // namespace

UiDialogs& UiDialogs::instance() {
    return *g_current;
}
void UiDialogs::setInstance(UiDialogs* d) {
    g_current = d ? d : &g_real;
}

QString DocumentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

QString FolderOf(const QString& file) {
    const QString folder = QFileInfo(file).absolutePath();
    return !file.isEmpty() && QDir(folder).exists() ? folder : DocumentsFolder();
}

void ShowInfo(QWidget* parent, const QString& title, const QString& text) {
    UiDialogs::instance().message(parent, title, text, UiDialogs::Icon::Information,
                                  UiDialogs::Buttons::Ok);
}
void ShowError(QWidget* parent, const QString& title, const QString& text) {
    UiDialogs::instance().message(parent, title, text, UiDialogs::Icon::Error,
                                  UiDialogs::Buttons::Ok);
}
void ShowWarning(QWidget* parent, const QString& title, const QString& text) {
    UiDialogs::instance().message(parent, title, text, UiDialogs::Icon::Warning,
                                  UiDialogs::Buttons::Ok);
}
void ShowSaved(QWidget* parent, const QString& title, const QString& text, const QString& file) {
    const QString shown = QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
    if (UiDialogs::instance().message(parent, title, text + QStringLiteral("\n\n保存在：") + shown,
                                      UiDialogs::Icon::Information,
                                      UiDialogs::Buttons::OkOpenFolder) == UiDialogs::Answer::Yes)
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file).absolutePath()));
}

bool AskOkCancel(QWidget* parent, const QString& title, const QString& text, UiDialogs::Icon icon) {
    return UiDialogs::instance().message(parent, title, text, icon, UiDialogs::Buttons::OkCancel) ==
           UiDialogs::Answer::Ok;
}
bool AskYesNo(QWidget* parent, const QString& title, const QString& text, UiDialogs::Icon icon) {
    return UiDialogs::instance().message(parent, title, text, icon, UiDialogs::Buttons::YesNo) ==
           UiDialogs::Answer::Yes;
}
