#pragma once
// The undo and redo of the timetable windows: two buttons, Ctrl+Z and Ctrl+Y,
// and the record of the changes made since the window opened. The window
// routes each change through record() and redraws itself in `refresh`.
#include "core/store/TimetableEdits.h"

#include <QObject>
#include <QString>
#include <functional>

class QPushButton;
class QWidget;
class TimetableDb;

class UndoControls : public QObject {
    Q_OBJECT
public:
    // refresh(classCode): show the class the undone or redone change was made
    // in, with everything it changed; report(text): the window's status line.
    UndoControls(QWidget* window, TimetableDb& db,
                 std::function<void(const QString& classCode)> refresh,
                 std::function<void(const QString& text)> report);

    QPushButton* cmdUndo;
    QPushButton* cmdRedo;

    // The kind of change, as the status line reports it: "写入成功" / "写入失败".
    struct Outcome {
        QString made;
        QString failed;
    };
    // Runs the change (it throws Failure when it was not made), keeps it as
    // one undoable step and reports the outcome on the status line; a failure
    // is also shown with its reason. True when the change was made.
    bool record(const QString& classCode, const Outcome& report,
                const std::function<void()>& change);
    void undo();
    void redo();
    int steps() const { return m_history.steps(); }
    // The periods of the shown class the last undo or redo changed.
    QList<Period> lastPeriods() const { return m_history.lastPeriods(); }

private:
    void step(bool forward);
    void updateButtons();

    QWidget* m_window;
    TimetableDb& m_db;
    EditHistory m_history;
    std::function<void(const QString&)> m_refresh;
    std::function<void(const QString&)> m_report;
};
