#pragma once
// Undo and redo for the windows that change the timetable by hand. Each change
// is recorded as the rows it changed — the lessons it removed, added or
// rewrote, and the plan counters it moved — read before and after the window's
// own operation. Undoing writes those rows back as they were, redoing as they
// became, each step in one transaction, so lessons (with their SetFlag and
// place in the table) and counters come back exactly, whatever else the
// operation touched (a pre-set lesson also takes its teacher out of another
// class's lesson).
#include "core/model/Failure.h"
#include "core/model/Week.h"

#include <QList>
#include <QMap>
#include <QString>
#include <optional>

class TimetableDb;

class EditHistory {
public:
    // Reads the timetable before a change. Throws Failure.
    void beforeChange(TimetableDb& db);
    // Reads it after the change and keeps the difference as one step (none
    // when nothing changed); classCode is the class the change was made in,
    // shown again when the step is undone or redone. Throws Failure.
    void afterChange(TimetableDb& db, const QString& classCode);
    // Forgets a change begun with beforeChange that did not happen.
    void cancelChange() { m_before.reset(); }

    bool canUndo() const { return !m_done.isEmpty(); }
    bool canRedo() const { return !m_undone.isEmpty(); }
    int steps() const { return static_cast<int>(m_done.size()); }

    // Undo or redo one step; answers the class the step was made in. Refused,
    // changing nothing, when the rows are no longer as the step left them.
    // Throws Failure.
    QString undo(TimetableDb& db);
    QString redo(TimetableDb& db);
    // The periods of that class which the last undo or redo changed, in week
    // order, so a window can put its cursor where the change shows.
    QList<Period> lastPeriods() const { return m_lastPeriods; }

    struct Lesson {
        QString classCode;
        int day = 0;
        int lessonNo = 0;
        QString courseCode;
        QString teacherCode;
        int setFlag = 0;
        bool operator==(const Lesson&) const = default;
    };
    struct Counter {
        long long buildCount = 0;
        long long autoBuild = 0;
        bool operator==(const Counter&) const = default;
    };
    // Rows by rowid.
    struct Rows {
        QMap<long long, Lesson> lessons;
        QMap<long long, Counter> counters;
    };

private:
    struct Step {
        QString classCode;
        Rows before; // the rows the change touched, as they were (a missing lesson: added)
        Rows after;  // the same rows as they became (a missing lesson: removed)
    };
    static void apply(TimetableDb& db, const Rows& from, const Rows& to);
    static QList<Period> periodsOf(const Step& step);

    std::optional<Rows> m_before;
    QList<Step> m_done;
    QList<Step> m_undone;
    QList<Period> m_lastPeriods;
};
