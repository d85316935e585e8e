#pragma once
// Page layout of the print component: draws a print document's timetables
// with QPainter on any paged device (a printer, its preview, a PDF writer).
#include "core/formats/PrintTemplate.h"

#include <QPageLayout>
#include <QStringList>

class QFont;
class QPaintDevice;
class QPainter;
class QPagedPaintDevice;

struct PrintJob {
    PrintTemplate tpl;
    QList<SchedulePage> schedulePages; // class and teacher layouts
    QList<TotalRow> totalRows;         // whole-school layout
    int rowsPerPage = 0;               // whole school: class rows that fit one page

    int pageCount() const;
};

// False when the template names a paper this component does not know.
bool MakePrintJob(const PrintDocumentData& doc, const PrintTemplate& tpl, PrintJob& job);
// The paper, orientation and zero margins: the template places everything.
QPageLayout PageLayoutOf(const PrintTemplate& tpl);
// How a text is set in a box (millimetres) at up to pt points on a device of
// pxPerMm: one line made smaller until it fits the width; a name of four or
// more characters that would shrink below three quarters of its size is set
// on two lines when that gives larger type ("道德与" over "法治"). Never below
// 5 pt.
struct FittedText {
    QStringList lines;
    double pt = 0;
};
FittedText FitPrintedText(const QFont& base, const QString& text, double widthMm, double heightMm,
                          double pt, const QPaintDevice* device, double pxPerMm);
// Paints every page; the painter is active on device.
void PaintPrintJob(const PrintJob& job, QPainter& painter, QPagedPaintDevice& device);
