#pragma once
// Reads the cells of a spreadsheet as text: every worksheet of an .xlsx
// workbook, or the one table of a .csv file in UTF-8 or GB18030 (what Excel on
// a Chinese system saves). Formats, formulas and styles are ignored; a formula
// cell reads as its last computed value.
#include "core/model/Failure.h"

#include <QList>
#include <QString>
#include <QStringList>

struct SheetTable {
    QString name;            // the worksheet's name; for a .csv the file's base name
    QList<QStringList> rows; // rows[i] is spreadsheet row i + 1, cells from column A
};

// Chooses the reader by the file's extension (.xlsx or .csv). Throws Failure.
QList<SheetTable> ReadSheets(const QString& fileName);
QList<SheetTable> ReadXlsxSheets(const QString& fileName);
SheetTable ReadCsvSheet(const QString& fileName);

// Text of a CSV file: UTF-8 (with or without a byte-order mark) when the bytes
// are valid UTF-8, GB18030 otherwise. Throws Failure when neither fits.
QString DecodeCsvText(const QByteArray& bytes);
// Splits CSV text into rows of cells: quoted cells may hold separators, quotes
// ("") and line breaks; the separator is a comma, or a tab when the first line
// has tabs and no commas.
QList<QStringList> ParseCsv(const QString& text);
