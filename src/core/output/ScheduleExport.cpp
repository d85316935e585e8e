#include "core/output/ScheduleExport.h"

short ExportSchedule(TimetableDb& db, ScheduleKind kind, const QString& selectedName,
                     const QString& fileName, int lessonsPerDay, const QString& schoolName) {
    const ScheduleRecords records = QueryScheduleRecords(db, kind, selectedName);
    if (records.empty())
        return kExportNoData;
    switch (kind) {
    case ScheduleKind::Class:
    case ScheduleKind::AllClasses:
        return WriteClassWorkbook(fileName, records, lessonsPerDay, schoolName);
    case ScheduleKind::Teacher:
    case ScheduleKind::AllTeachers:
        return WriteTeacherWorkbook(fileName, records, lessonsPerDay, schoolName);
    case ScheduleKind::Total:
        return WriteTotalWorkbook(fileName, records, lessonsPerDay, schoolName);
    }
    return kExportFailed;
}
