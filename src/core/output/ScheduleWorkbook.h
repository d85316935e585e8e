#pragma once
// Timetables written as .xlsx workbooks: a block of rows per class or teacher,
// or the whole-school overview with one row per class.
#include "core/store/ScheduleRecords.h"

// Result codes of the writers and of ExportSchedule.
enum ExportResult : short {
    kExportSaved = 0,
    kExportFailed = -1,         // a failure while filling or saving
    kExportCannotCreate = -101, // the workbook file cannot be created
    kExportNoData = -102,       // no lessons for the selection
};

// The writers take the records ordered by group, LessonNo, Day, as the export
// queries return them. An existing file of the same name is replaced only once
// the new workbook has been written completely. reason, when given, receives the
// Chinese reason (naming the file) when the file cannot be created or saved.
short WriteClassWorkbook(const QString& fileName, const ScheduleRecords& records, int lessonsPerDay,
                         const QString& schoolName, QString* reason = nullptr);
short WriteTeacherWorkbook(const QString& fileName, const ScheduleRecords& records,
                           int lessonsPerDay, const QString& schoolName, QString* reason = nullptr);
short WriteTotalWorkbook(const QString& fileName, const ScheduleRecords& records, int lessonsPerDay,
                         const QString& schoolName, QString* reason = nullptr);
