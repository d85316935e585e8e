#pragma once
// What the export window and kbxt-cli export share: the lessons of a selection
// read from the timetable, handed to the matching workbook writer.
#include "output/ScheduleWorkbook.h"

#include <QString>

class TimetableDb;

enum class ExportKind { Class, AllClasses, Teacher, AllTeachers, Total };

// The lessons of the selection, ordered by group, LessonNo, Day. selectedName
// is the class or teacher name for ExportKind::Class and ExportKind::Teacher and
// ignored otherwise. Throws when the database fails.
ScheduleRecords ReadExportRecords(TimetableDb& db, ExportKind kind, const QString& selectedName);

// Reads the selection and writes its workbook: kExportNoData when it holds no
// lesson (nothing is written then), else the writer's result. Throws when the
// database fails.
short ExportSchedule(TimetableDb& db, ExportKind kind, const QString& selectedName,
                     const QString& fileName, int lessonsPerDay, const QString& schoolName);
