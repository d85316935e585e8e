#include "core/formats/PrintQueries.h"

void SavePrintDocument(ScheduleKind kind, const QString& path, const ScheduleRecords& records,
                       int lessonsPerDay, const TimetableTitle& title,
                       const QStringList& lessonTimes) {
    SaveDocumentText(path, WithLessonTimes(kind == ScheduleKind::Total
                                               ? TotalXmlText(records, lessonsPerDay, title)
                                               : ScheduleXmlText(records, lessonsPerDay, title),
                                           lessonTimes));
}

QString PrintTemplateFileName(ScheduleKind kind, int lessonsPerDay) {
    const QString n = QString::number(lessonsPerDay);
    switch (kind) {
    case ScheduleKind::Class:
    case ScheduleKind::AllClasses:
        return "ClassSchd" + n + ".xml";
    case ScheduleKind::Teacher:
    case ScheduleKind::AllTeachers:
        return "TeacherSchd" + n + ".xml";
    case ScheduleKind::Total:
        break;
    }
    return "TotalSchd" + n + "A3.xml";
}
