#pragma once
#include <QString>

// Writes a new, empty timetable database with the eight tables. Refuses to touch
// an existing file. Returns false on any failure (and leaves no file behind).
[[nodiscard]] bool CreateTimetableFile(const QString& path);
