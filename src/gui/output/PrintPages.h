#pragma once
// Page layout of the print component: draws a print document's timetables
// with QPainter on any paged device (a printer, its preview, a PDF writer).
#include "core/formats/PrintTemplate.h"

#include <QPageLayout>

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
// Paints every page; the painter is active on device.
void PaintPrintJob(const PrintJob& job, QPainter& painter, QPagedPaintDevice& device);
