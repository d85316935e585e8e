#pragma once
// The database side of importing the school's lists from a spreadsheet: the
// whole plan for the preview and the template, and writing what the preview
// accepted. Every function throws on a database failure.
#include "core/model/CourseRules.h"
#include "core/store/CodeRecords.h"
#include "core/store/PlanStore.h"

#include <QList>

class TimetableDb;

struct NewPlanRow {
    QString classCode;
    QString courseCode;
    QString teacherCode;
    int count = 0;
};

// 合班: the first class's row and the further classes that take its lessons.
struct NewJointRow {
    QString classCode;
    QString courseCode;
    QString teacherCode;
    QStringList others;
};

// A plan row of the class and course taken over by another teacher and/or
// given another count.
struct ChangedPlanRow {
    QString classCode;
    QString courseCode;
    QString oldTeacherCode;
    QString teacherCode;
    int count = 0;
};

struct ImportAdditions {
    QList<QPair<CodeTable, CodeRecord>> records; // written in this order
    QList<NewPlanRow> planRows;
    QList<NewJointRow> joints; // after the plan rows, which hold every class's row
    QList<QPair<CodeTable, CodeRecord>> renamed; // the new names of existing codes
    QList<ChangedPlanRow> changedPlanRows;
    QList<QPair<QString, CourseRule>> courseRules; // by course code, the whole rule to store
    bool isEmpty() const {
        return records.isEmpty() && planRows.isEmpty() && joints.isEmpty() && renamed.isEmpty() &&
               changedPlanRows.isEmpty() && courseRules.isEmpty();
    }
};

// Every plan row, the classes in the order they were entered, each class's rows
// in the order they were stored.
QList<PlanRow> ReadAllPlanRows(TimetableDb& db);

// Writes the new records, the new names and the new and changed plan rows in
// one transaction: all or nothing. A new or changed plan row counts the lessons
// the timetable already holds for it.
void WriteImport(TimetableDb& db, const ImportAdditions& additions);
