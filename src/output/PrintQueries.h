#pragma once
// The record queries of the print jobs. Each throws (SQLite::Exception,
// DatabaseClosed) when the database fails; an unknown name yields no records.
#include "output/PrintDocument.h"

#include <vector>

class TimetableDb;

// The class shown under className; course names, no class value.
std::vector<PrintRecord> QueryClassPrintRecords(TimetableDb& db, const QString& className);
// Every class with lessons, in class-code order.
std::vector<PrintRecord> QueryAllClassesPrintRecords(TimetableDb& db);
// The teacher shown under teacherName; course names over class short names.
std::vector<PrintRecord> QueryTeacherPrintRecords(TimetableDb& db, const QString& teacherName);
// Every teacher with lessons, in teacher-code order.
std::vector<PrintRecord> QueryAllTeachersPrintRecords(TimetableDb& db);
// The whole school: class short name as group, course short name, teacher name.
std::vector<PrintRecord> QueryTotalPrintRecords(TimetableDb& db);

// The five print jobs of the print window and the command-line tool.
enum class PrintKind { Class, AllClasses, Teacher, AllTeachers, Total };

// name: the class or teacher shown in the list (unused for the other kinds).
std::vector<PrintRecord> QueryPrintRecords(TimetableDb& db, PrintKind kind, const QString& name);
// The kind's writer: the whole-school document or the class/teacher one.
int WritePrintDocument(PrintKind kind, const QString& path, const std::vector<PrintRecord>& records,
                       int lessonsPerDay, const QString& schoolName);
// ClassSchd6.xml … TeacherSchd7.xml, TotalSchd6A3.xml, TotalSchd7A3.xml.
QString PrintTemplateFileName(PrintKind kind, int lessonsPerDay);
