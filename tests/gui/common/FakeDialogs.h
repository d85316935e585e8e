#pragma once
// Answers message boxes and file dialogs in tests and records what was shown.
#include "gui/widgets/UiDialogs.h"

#include <QList>
#include <QQueue>
#include <QString>

class FakeDialogs : public UiDialogs {
public:
    struct Shown {
        QString title;
        QString text;
        Icon icon;
        Buttons buttons;
    };

    FakeDialogs() { UiDialogs::setInstance(this); }
    ~FakeDialogs() override {
        if (&UiDialogs::instance() == this)
            UiDialogs::setInstance(nullptr);
    }

    // Answers given in turn to questions (OkCancel / YesNo); Ok boxes need none.
    QQueue<Answer> answers;
    QQueue<QString> fileNames; // empty text = the user cancelled
    QList<Shown> shown;
    QStringList fileDialogTitles;
    QStringList fileDialogFilters;
    QStringList fileDialogDirs;

    Answer message(QWidget*, const QString& title, const QString& text, Icon icon,
                   Buttons buttons) override {
        shown.append({title, text, icon, buttons});
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        if (!answers.isEmpty())
            return answers.dequeue();
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
    QString openFileName(QWidget*, const QString& title, const QString& filter,
                         const QString& dir) override {
        fileDialogTitles << title;
        fileDialogFilters << filter;
        fileDialogDirs << dir;
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }
    QString saveFileName(QWidget*, const QString& title, const QString& filter,
                         const QString& dir) override {
        return openFileName(nullptr, title, filter, dir);
    }

    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }
    QString lastTitle() const { return shown.isEmpty() ? QString() : shown.last().title; }
    void clear() { shown.clear(); }
};
