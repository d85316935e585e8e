#pragma once
// The import template: a workbook with the sheets 班级, 课程, 老师, 教学计划
// and 不排时间 in the layout that the import reads, filled with the database's
// current lists, plan and settings, so an exported template can be edited and
// imported again.
// The template of an empty school shows one example row on each sheet, marked
// so that the import passes over it.
#include <QString>

class TimetableDb;

// An existing file is replaced only once the new workbook is complete. Throws
// WorkbookFailure (ScheduleWorkbook.h) when the file cannot be created or
// written, and the database's own exception when it cannot be read.
void WriteImportTemplate(TimetableDb& db, const QString& fileName);

// The text beside each example row; a row holding it is not imported.
QString ImportExampleMark();
