#pragma once
// The print component: prints a print document through a page template.
// It reads both files, lays the pages out (A4 portrait per class or teacher,
// A3 landscape for the whole school, as the template says) and either shows the
// print preview with the print dialog or writes the pages straight to a PDF
// file when a PDF target is set.
#include <QString>

// Result codes besides 0. The callers report any non-zero code as a failure
// with its number, so each cause keeps its own value.
enum PrintResult : int {
    kPrintDone = 0,
    kPrintCancelled = 1,      // the user closed the preview or the print dialog
    kPrintBadDocument = 2,    // missing or unreadable print document
    kPrintBadTemplate = 3,    // missing or unusable template
    kPrintOutputFailed = 4,   // the printer or the PDF file could not be written
    kPrintNothingToPrint = 5, // the document holds no timetable
};

// The call of the print library this component stands in for. The second and
// seventh texts, the three numbers and the mode byte are accepted and unused.
int PrintOneCustomXml(const QString& documentPath, const QString& reserved1,
                      const QString& templatePath, int& reserved2, int& reserved3, int& reserved4,
                      const QString& reserved5, char mode);

// As PrintOneCustomXml, the job named docName: the print dialog offers
// docName.pdf, in the folder printed to last, as the file to print to. When the
// pages went to a PDF file, pdfFile (when given) receives its path.
int PrintWithPreview(const QString& documentPath, const QString& templatePath,
                     const QString& docName, QString* pdfFile = nullptr);

// Prints straight to pdfPath without any dialog. An existing file is replaced
// only by a complete PDF; on kPrintOutputFailed, error (when given) receives
// the Chinese reason naming the file.
int PrintCustomXmlToPdf(const QString& documentPath, const QString& templatePath,
                        const QString& pdfPath, QString* error = nullptr);

// Where PrintOneCustomXml sends its pages: the print preview (the default) or
// a PDF file, for tests and for the command-line tool.
class PrintTarget {
public:
    static void usePrintDialog();
    static void usePdfFile(const QString& path);
    static bool printsToPdf();
    static QString pdfFile();
};

// Sends every print job to a PDF file while it lives.
class PrintToPdfScope {
public:
    explicit PrintToPdfScope(const QString& path) { PrintTarget::usePdfFile(path); }
    ~PrintToPdfScope() { PrintTarget::usePrintDialog(); }
    PrintToPdfScope(const PrintToPdfScope&) = delete;
    PrintToPdfScope& operator=(const PrintToPdfScope&) = delete;
};
