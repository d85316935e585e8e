#include "core/output/PrintQueries.h"

int WritePrintDocument(ScheduleKind kind, const QString& path, const ScheduleRecords& records,
                       int lessonsPerDay, const QString& schoolName) {
    return kind == ScheduleKind::Total ? WriteTotalXml(path, records, lessonsPerDay, schoolName)
                                       : WriteScheduleXml(path, records, lessonsPerDay, schoolName);
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
