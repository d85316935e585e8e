#pragma once
// What the print window and kbxt-cli print share besides the record queries:
// the document writer and the page template of each selection.
#include "core/output/PrintDocument.h"
#include "core/store/ScheduleRecords.h"

// The kind's writer: the whole-school document or the class/teacher one.
int WritePrintDocument(ScheduleKind kind, const QString& path, const ScheduleRecords& records,
                       int lessonsPerDay, const QString& schoolName);
// The same, throwing Failure with the reason instead of returning -1.
void SavePrintDocument(ScheduleKind kind, const QString& path, const ScheduleRecords& records,
                       int lessonsPerDay, const QString& schoolName);
// ClassSchd6.xml … TeacherSchd7.xml, TotalSchd6A3.xml, TotalSchd7A3.xml.
QString PrintTemplateFileName(ScheduleKind kind, int lessonsPerDay);
