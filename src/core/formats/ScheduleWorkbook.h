#pragma once
// Timetables written as .xlsx workbooks: a block of rows per class or teacher,
// or the whole-school overview with one row per class.
#include "core/formats/TimetableTitle.h"
#include "core/model/Failure.h"
#include "core/store/ScheduleRecords.h"

#include <QStringList>

// A workbook that was not written; a file of the same name that was there
// stays as it was. The stage tells a file that could not be created at all
// from a failure while filling or saving it. The reason is empty when the
// spreadsheet library gave none.
class WorkbookFailure : public Failure {
public:
    enum class Stage { Create, Write };
    explicit WorkbookFailure(Stage stage) : Failure(QString()), m_stage(stage) {}
    WorkbookFailure(Stage stage, const Failure& cause)
        : Failure(cause.reason(), cause.file(), cause.advice()), m_stage(stage) {}
    Stage stage() const { return m_stage; }

private:
    Stage m_stage;
};

// The writers take the records ordered by group, LessonNo, Day, as the export
// queries return them. An existing file of the same name is replaced only once
// the new workbook has been written completely. They return false, writing
// nothing, when there are no records, and throw WorkbookFailure when the file
// cannot be created or written.
// With lessonTimes ("08:00-08:40" per lesson), the class and teacher blocks
// show each lesson's time under its number.
[[nodiscard]] bool WriteClassWorkbook(const QString& fileName, const ScheduleRecords& records,
                                      int lessonsPerDay, const TimetableTitle& title,
                                      const QStringList& lessonTimes = {});
[[nodiscard]] bool WriteTeacherWorkbook(const QString& fileName, const ScheduleRecords& records,
                                        int lessonsPerDay, const TimetableTitle& title,
                                        const QStringList& lessonTimes = {});
[[nodiscard]] bool WriteTotalWorkbook(const QString& fileName, const ScheduleRecords& records,
                                      int lessonsPerDay, const TimetableTitle& title);
