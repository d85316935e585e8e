#pragma once
// Versions of the timetable: before an operation replaces the timetable, its
// lessons and plan counters are kept in a file beside the database
// ("{database}.versions", SQLite), so the operation can be undone later. The
// database itself keeps its eight tables, so older copies of the program and
// other tools still read it. The newest kVersionsKept versions are kept.
//
// Call KeepVersion (or tryKeepVersion) first thing in every operation that
// replaces or clears the timetable as a whole: generation, completion,
// deleting the timetable, the year upgrade. Restoring keeps the current
// timetable itself.
#include "core/model/Failure.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class TimetableDb;

constexpr int kVersionsKept = 20;

// Causes, as the versions window shows them.
namespace VersionCause {
inline const QString Generation = QStringLiteral("自动生成课表之前");
inline const QString Completion = QStringLiteral("自动补排之前");
inline const QString DeleteTimetable = QStringLiteral("删除课表数据之前");
inline const QString YearUpgrade = QStringLiteral("课表学年升级之前");
inline const QString Restore = QStringLiteral("恢复版本之前");
inline const QString Improve = QStringLiteral("课表优化之前");
} // namespace VersionCause

struct TimetableVersion {
    int number = 0; // stable: a restore or a new version never renumbers the others
    QDateTime time;
    QString cause;
    int lessons = 0;
};

QString VersionsFileName(const QString& databasePath);

// Keeps the current timetable with the time and cause. A timetable equal to
// the newest version is not kept twice. Throws Failure.
void KeepVersion(TimetableDb& db, const QString& cause);
// The same; true when kept (or already kept), false with the reason in *why.
[[nodiscard]] bool tryKeepVersion(TimetableDb& db, const QString& cause, QString* why = nullptr);

// Newest first; empty when no version was ever kept. Throws Failure.
QList<TimetableVersion> ListVersions(TimetableDb& db);

struct RestoreResult {
    int lessons = 0;   // lessons restored
    int skipped = 0;   // lessons left out, for one of the reasons below
    int deleted = 0;   // of those: their class, course or teacher was deleted since
    int notInPlan = 0; // generated or placed by hand, and no plan row has them now
    int overCount = 0; // beyond their plan row's count as it is now
    // What was left out and why, one line each; empty when nothing was.
    QStringList skippedLines() const;
};
// Replaces the timetable with version `number`, after keeping the current one,
// in one transaction. Only lessons that fit the plan as it is now come back:
// a generated or hand-placed lesson needs a plan row of its class, course and
// teacher, and no row gets more lessons than its count (pre-set lessons come
// first, and may lie outside the plan). Every counter is counted anew from
// the restored lessons; IsAutoBuild comes from the version. Throws Failure.
RestoreResult RestoreVersion(TimetableDb& db, int number);
