#pragma once
// Keeping the timetable as a version before a window replaces it (see
// core/store/TimetableVersions.h). When the version cannot be kept the user
// decides whether to go on without it.
#include <QString>

class QWidget;
class TimetableDb;

// True when the version was kept, or the user chose to go on anyway.
bool KeepVersionOrAsk(QWidget* parent, TimetableDb& db, const QString& cause);
