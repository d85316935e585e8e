#include "core/formats/ScheduleExport.h"

bool ExportSchedule(TimetableDb& db, ScheduleKind kind, const QString& selectedName,
                    const QString& fileName, int lessonsPerDay, const TimetableTitle& title,
                    const QStringList& lessonTimes) {
    const ScheduleRecords records = QueryScheduleRecords(db, kind, selectedName);
    switch (kind) {
    case ScheduleKind::Class:
    case ScheduleKind::AllClasses:
        return WriteClassWorkbook(fileName, records, lessonsPerDay, title, lessonTimes);
    case ScheduleKind::Teacher:
    case ScheduleKind::AllTeachers:
        return WriteTeacherWorkbook(fileName, records, lessonsPerDay, title, lessonTimes);
    case ScheduleKind::Total:
        return WriteTotalWorkbook(fileName, records, lessonsPerDay, title);
    }
    throw WorkbookFailure(WorkbookFailure::Stage::Write);
}
