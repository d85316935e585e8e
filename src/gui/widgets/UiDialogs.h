#pragma once
// Every message box and file dialog of the program goes through this interface,
// so tests can answer them without showing anything.
#include <QString>

class QWidget;

class UiDialogs {
public:
    enum class Icon { None, Information, Warning, Error, Question };
    // OkOpenFolder: 确定 and 打开文件夹, answered Ok or Yes (open the folder).
    enum class Buttons { Ok, OkCancel, YesNo, OkOpenFolder };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~UiDialogs() = default;

    virtual Answer message(QWidget* parent, const QString& title, const QString& text, Icon icon,
                           Buttons buttons) = 0;
    // The chosen file name, or the empty text when the user cancelled. The
    // dialog starts in dir (a folder, or a file to propose); empty: documents.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& dir = QString()) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& dir = QString()) = 0;

    // The program's implementation until a test installs its own.
    static UiDialogs& instance();
    // Installs d (not owned); nullptr restores the real dialogs.
    static void setInstance(UiDialogs* d);
};

// The user's documents folder (the home folder when there is none): where
// exports start.
QString DocumentsFolder();
// The folder holding a file: where the database dialogs start.
QString FolderOf(const QString& file);

// Shorthands for the common cases.
void ShowInfo(QWidget* parent, const QString& title, const QString& text);
void ShowError(QWidget* parent, const QString& title, const QString& text);
void ShowWarning(QWidget* parent, const QString& title, const QString& text);
// After a file was written: the text, where the file is, and a button that
// opens its folder in the desktop's file manager.
void ShowSaved(QWidget* parent, const QString& title, const QString& text, const QString& file);
bool AskOkCancel(QWidget* parent, const QString& title, const QString& text,
                 UiDialogs::Icon icon = UiDialogs::Icon::Question);
bool AskYesNo(QWidget* parent, const QString& title, const QString& text,
              UiDialogs::Icon icon = UiDialogs::Icon::Question);
