#include "core/output/ScheduleExport.h"

short ExportSchedule(TimetableDb& db, ScheduleKind kind, const QString& selectedName,
                     const QString& fileName, int lessonsPerDay, const QString& schoolName,
                     QString* reason) {
    const ScheduleRecords records = QueryScheduleRecords(db, kind, selectedName);
    if (records.empty())
        return kExportNoData;
    switch (kind) {
    case ScheduleKind::Class:
    case ScheduleKind::AllClasses:
        return WriteClassWorkbook(fileName, records, lessonsPerDay, schoolName, reason);
    case ScheduleKind::Teacher:
    case ScheduleKind::AllTeachers:
        return WriteTeacherWorkbook(fileName, records, lessonsPerDay, schoolName, reason);
    case ScheduleKind::Total:
        return WriteTotalWorkbook(fileName, records, lessonsPerDay, schoolName, reason);
    }
    return kExportFailed;
}
