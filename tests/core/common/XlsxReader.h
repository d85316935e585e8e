#pragma once
// Reads a workbook back through openpyxl (tests/core/common/xlsx_dump.py run by the
// system Python), so the tests see the file as a spreadsheet program does.
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

struct XlsxSheet {
    QString title;
    double defaultRowHeight = 0;
    QMap<int, double> widths;  // column (from 1) -> width
    QMap<int, double> heights; // row (from 1) -> height in points, set rows only
    QStringList merged;        // "A1:AE1", ...
    QString page;              // "paper=9 portrait fit=1x0 breaks=11,22"
    QJsonObject cells;         // "B3" -> {value, left, right, top, bottom, horizontal, ...}

    bool has(const QString& ref) const { return cells.contains(ref); }
    QString text(const QString& ref) const;
    QString border(const QString& ref, const char* side) const;
    bool boxed(const QString& ref) const; // thin or double line on all four edges
    bool wrap(const QString& ref) const;
    bool centred(const QString& ref) const;
};

// Cell reference of (row, column), both from 1: (3, 2) -> "B3".
QString CellRef(int row, int col);

// Whether the system Python can read workbooks; the reason when it cannot.
bool XlsxReaderAvailable(QString* why);
// The sheets of the workbook; empty and `error` set when it cannot be read.
QList<XlsxSheet> ReadXlsx(const QString& path, QString* error);
