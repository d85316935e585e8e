#pragma once
// Importing the school's classes, courses, teachers and teaching plan from a
// spreadsheet. Sheets are recognised by their column headings (and by their
// names), so the template's layout and another program's layout of the same
// columns both read. Every row is checked against the database and the rest of
// the file first; the preview says what would be added, what is there already
// (matched by code, else by name), what it would change (a new name for a
// code, a plan row's count or teacher) and which rows are wrong. Nothing is
// written until WriteImport is called with preview.additions.
#include "core/formats/SheetReader.h"
#include "core/store/ImportStore.h"

#include <QList>
#include <QString>
#include <QStringList>

class TimetableDb;

// One cause of refusal: every row of a sheet with the same reason is one problem.
struct ImportProblem {
    QString sheet;
    int row = 0; // spreadsheet row, from 1: the first of rows
    QString reason;
    QList<int> rows; // every row with this reason, ascending; empty for the whole sheet
};

struct ImportLine {
    QString list; // 班级, 课程, 老师 or 教学计划
    QString text;
};

struct ImportPreview {
    QList<ImportLine> added;
    QList<ImportLine> changed; // renamed entries, changed counts, a plan row's new teacher
    QList<ImportLine> existing;
    QList<ImportProblem> problems;
    QStringList notes; // sheets that were not read, and why
    ImportAdditions additions;
    bool hasProblems() const { return !problems.isEmpty(); }
};

// Checks the sheets against the database. Throws on a database failure.
ImportPreview PrepareImport(TimetableDb& db, const QList<SheetTable>& sheets);

// Where a problem is: "工作表「老师」第 3–5、9 行".
QString ProblemPlace(const ImportProblem& problem);

// The question before writing and the line after it: "确定要添加 3 项、修改 1 项吗？".
QString ConfirmText(const ImportPreview& preview);
QString DoneText(const ImportPreview& preview);

// The preview as lines of text, for the command-line tool.
QStringList PreviewText(const ImportPreview& preview);
