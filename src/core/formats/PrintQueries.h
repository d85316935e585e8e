#pragma once
// What the print window and kbxt-cli print share besides the record queries:
// the document writer and the page template of each selection.
#include "core/formats/PrintDocument.h"
#include "core/formats/TimetableTitle.h"
#include "core/store/ScheduleRecords.h"

#include <QStringList>

// The kind's writer: the whole-school document or the class/teacher one.
// Throws Failure with the reason, leaving an earlier file as it was.
// With lessonTimes, the times shown beside the lesson numbers (WithLessonTimes).
void SavePrintDocument(ScheduleKind kind, const QString& path, const ScheduleRecords& records,
                       int lessonsPerDay, const TimetableTitle& title,
                       const QStringList& lessonTimes = {});
// ClassSchd6.xml … TeacherSchd7.xml, TotalSchd6A3.xml, TotalSchd7A3.xml.
QString PrintTemplateFileName(ScheduleKind kind, int lessonsPerDay);
