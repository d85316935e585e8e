#pragma once
// What the export window and kbxt-cli export share: the lessons of a selection
// read from the timetable, handed to the matching workbook writer.
#include "core/formats/ScheduleWorkbook.h"
#include "core/formats/TimetableTitle.h"
#include "core/store/ScheduleRecords.h"

// Reads the selection and writes its workbook. False when it holds no lesson
// (nothing is written then). Throws WorkbookFailure as the writers do, and a
// Failure or SQLite exception when the database fails.
// lessonTimes as the workbook writers take them (the whole school ignores them).
[[nodiscard]] bool ExportSchedule(TimetableDb& db, ScheduleKind kind, const QString& selectedName,
                                  const QString& fileName, int lessonsPerDay,
                                  const TimetableTitle& title, const QStringList& lessonTimes = {});
