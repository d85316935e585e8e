#include "gui/manual/UndoControls.h"

#include "gui/widgets/UiDialogs.h"

#include <QAction>
#include <QPushButton>
#include <QWidget>

UndoControls::UndoControls(QWidget* window, TimetableDb& db,
                           std::function<void(const QString&)> refresh,
                           std::function<void(const QString&)> report)
    : QObject(window), m_window(window), m_db(db), m_refresh(std::move(refresh)),
      m_report(std::move(report)) {
    cmdUndo = new QPushButton(QStringLiteral("撤销(&Z)"), window);
    cmdRedo = new QPushButton(QStringLiteral("重做(&Y)"), window);
    cmdUndo->setObjectName("cmdUndo");
    cmdRedo->setObjectName("cmdRedo");
    cmdUndo->setToolTip(QStringLiteral("撤销上一次改动 (Ctrl+Z)"));
    cmdRedo->setToolTip(QStringLiteral("重做撤销了的改动 (Ctrl+Y)"));
    for (QPushButton* b : {cmdUndo, cmdRedo})
        b->setAutoDefault(false);
    auto* undoKey = new QAction(window);
    undoKey->setShortcuts(QKeySequence::Undo);
    auto* redoKey = new QAction(window);
    // Ctrl+Y as office programs have it, and the desktop's own redo key; a key
    // listed twice would be ambiguous and do nothing.
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    if (!redoKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Y)))
        redoKeys.prepend(QKeySequence(Qt::CTRL | Qt::Key_Y));
    redoKey->setShortcuts(redoKeys);
    window->addAction(undoKey);
    window->addAction(redoKey);
    connect(undoKey, &QAction::triggered, this, &UndoControls::undo);
    connect(redoKey, &QAction::triggered, this, &UndoControls::redo);
    connect(cmdUndo, &QPushButton::clicked, this, &UndoControls::undo);
    connect(cmdRedo, &QPushButton::clicked, this, &UndoControls::redo);
    updateButtons();
}

bool UndoControls::record(const QString& classCode, const Outcome& report,
                          const std::function<void()>& change) {
    // A timetable that cannot be read now cannot be changed either; the
    // change then reports its own failure and nothing is recorded.
    bool recording = true;
    try {
        m_history.beforeChange(m_db);
    } catch (const Failure&) {
        recording = false;
    }
    QString why;
    bool made = true;
    try {
        change();
    } catch (const Failure& e) {
        made = false;
        why = e.message();
    }
    if (recording) {
        try {
            if (made)
                m_history.afterChange(m_db, classCode);
            else
                m_history.cancelChange();
        } catch (const Failure&) {
            m_history.cancelChange();
        }
    }
    updateButtons();
    if (made) {
        m_report(report.made);
        return true;
    }
    m_report(report.failed + QStringLiteral("：") + why);
    ShowError(m_window, m_window->windowTitle(), report.failed + QStringLiteral("！\n") + why);
    return false;
}

void UndoControls::undo() {
    step(false);
}

void UndoControls::redo() {
    step(true);
}

void UndoControls::step(bool forward) {
    if (forward ? !m_history.canRedo() : !m_history.canUndo())
        return;
    QString classCode;
    try {
        classCode = forward ? m_history.redo(m_db) : m_history.undo(m_db);
    } catch (const Failure& e) {
        ShowError(m_window, m_window->windowTitle(),
                  (forward ? QStringLiteral("重做失败！") : QStringLiteral("撤销失败！")) +
                      e.message());
        return;
    }
    updateButtons();
    m_refresh(classCode);
    m_report(forward ? QStringLiteral("重做成功") : QStringLiteral("撤销成功"));
}

void UndoControls::updateButtons() {
    cmdUndo->setEnabled(m_history.canUndo());
    cmdRedo->setEnabled(m_history.canRedo());
}
