#pragma once
// The code lists (classes, courses, teachers, classrooms, subject groups):
// each row is a code with a name, a full name and a short name. Reading, adding, renaming and
// deleting them, with the rows of other tables that a deleted code leaves behind.
#include <QList>
#include <QString>

class TimetableDb;

// Group (教研组, TeacherGrouptb) is newer: a database without the table reads
// as no groups, and the first group added makes it.
enum class CodeTable { Class, Course, Teacher, ClassRoom, Group };

struct CodeRecord {
    QString code;
    QString name;
    QString fullName;
    QString shortName;
};

// Appends the table's rows to out in the order they were stored. Returns false
// when reading failed, with the reason in *why when given; the rows read before
// the failure stay in out.
[[nodiscard]] bool LoadCodeRecords(TimetableDb& db, CodeTable table, QList<CodeRecord>& out,
                                   QString* why = nullptr);

// The functions below throw on a database failure.
bool CodeExists(TimetableDb& db, CodeTable table, const QString& code);
void InsertCodeRecord(TimetableDb& db, CodeTable table, const CodeRecord& record);
// Rewrites the three names of the record with record.code; returns the rows changed.
int UpdateCodeRecord(TimetableDb& db, CodeTable table, const CodeRecord& record);
// Deletes the record together with its lessons, plan rows and time limits, all
// in one transaction (classrooms: the record alone; a group: its time limits
// and its teachers' membership, and a teacher: their limits as well). Returns the number of
// records of the table deleted.
int DeleteCodeRecord(TimetableDb& db, CodeTable table, const QString& code);
