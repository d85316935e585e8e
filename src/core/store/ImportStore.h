#pragma once
// The database side of importing the school's lists from a spreadsheet: the
// whole plan for the preview and the template, and writing what the preview
// accepted. Every function throws on a database failure.
#include "core/model/CourseRules.h"
#include "core/model/Limits.h"
#include "core/model/TeacherRules.h"
#include "core/store/CodeRecords.h"
#include "core/store/PlanStore.h"

#include <QList>

class TimetableDb;

struct NewPlanRow {
    QString classCode;
    QString courseCode;
    QString teacherCode;
    int count = 0;
    int doubles = 0; // 连堂 among the count
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
    int doubles = 0; // the row's double lessons after the change
};

// A period made "不排" for a class, course, teacher or group.
struct TimeOffCell {
    LimitKind kind = LimitKind::Teacher;
    QString code;
    Period period;
};

struct ImportAdditions {
    QList<QPair<CodeTable, CodeRecord>> records; // written in this order
    QList<NewPlanRow> planRows;
    QList<NewJointRow> joints; // after the plan rows, which hold every class's row
    QList<QPair<CodeTable, CodeRecord>> renamed; // the new names of existing codes
    QList<ChangedPlanRow> changedPlanRows;
    QList<QPair<QString, CourseRule>> courseRules; // by course code, the whole rule to store
    // By teacher code, the whole rule to store; groups new to the school come
    // in records first.
    QList<QPair<QString, TeacherRule>> teacherRules;
    // Plan rows kept as stored but for their double lessons.
    QList<NewPlanRow> changedDoubles;
    QList<TimeOffCell> timeOff;
    bool isEmpty() const {
        return records.isEmpty() && planRows.isEmpty() && joints.isEmpty() && renamed.isEmpty() &&
               changedPlanRows.isEmpty() && courseRules.isEmpty() && teacherRules.isEmpty() &&
               changedDoubles.isEmpty() && timeOff.isEmpty();
    }
};

// Every plan row, the classes in the order they were entered, each class's rows
// in the order they were stored.
QList<PlanRow> ReadAllPlanRows(TimetableDb& db);

// Writes the new records, the new names, the new and changed plan rows and
// the settings in one transaction: all or nothing. A new or changed plan row
// counts the lessons the timetable already holds for it. The tables of the
// newer settings are made only when one of them is written.
void WriteImport(TimetableDb& db, const ImportAdditions& additions);
