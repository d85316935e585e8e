#pragma once
#include <QString>

// Writes a new, empty timetable database with the eight tables. Refuses to touch
// an existing file. Returns false on any failure (and leaves no file behind),
// with the reason in *why when given.
[[nodiscard]] bool CreateTimetableFile(const QString& path, QString* why = nullptr);
