#pragma once
// What the export window and kbxt-cli export share: the lessons of a selection
// read from the timetable, handed to the matching workbook writer.
#include "core/output/ScheduleWorkbook.h"
#include "core/store/ScheduleRecords.h"

// Reads the selection and writes its workbook: kExportNoData when it holds no
// lesson (nothing is written then), else the writer's result. Throws when the
// database fails. reason as with the writers.
short ExportSchedule(TimetableDb& db, ScheduleKind kind, const QString& selectedName,
                     const QString& fileName, int lessonsPerDay, const QString& schoolName,
                     QString* reason = nullptr);
