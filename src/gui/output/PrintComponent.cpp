#include "gui/output/PrintComponent.h"

#include "core/config/AppConfig.h"
#include "core/config/SafeFile.h"
#include "core/formats/PrintDocument.h"
#include "gui/output/PrintPages.h"
#include "gui/widgets/ScreenFit.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

namespace {

QString g_pdfFile;

int LoadJob(const QString& documentPath, const QString& templatePath, PrintJob& job) {
    PrintTemplate tpl;
    if (!ReadPrintTemplate(templatePath, tpl))
        return kPrintBadTemplate;
    PrintDocumentData doc;
    if (!ReadPrintDocument(documentPath, doc))
        return kPrintBadDocument;
    if (!MakePrintJob(doc, tpl, job))
        return kPrintBadTemplate;
    return job.pageCount() > 0 ? kPrintDone : kPrintNothingToPrint;
}

// A PDF is complete only when its trailer was written; a full disk or a write
// error cuts it short without the PDF writer saying so.
bool PdfIsComplete(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 64)
        return false;
    file.seek(file.size() - 32);
    return file.read(32).contains("%%EOF");
}

// Throws Failure; the target is replaced only by a complete PDF.
void PrintJobToPdf(const PrintJob& job, const QString& pdfPath) {
    SafeFile safe(pdfPath);
    {
        QPdfWriter writer(safe.tempPath());
        writer.setResolution(300);
        writer.setPageLayout(PageLayoutOf(job.tpl));
        writer.setTitle(QString::fromUtf8(kPrintDocName));
        writer.setCreator(QStringLiteral("kbxt"));
        QPainter painter;
        if (!painter.begin(&writer))
            throw safe.writeFailure();
        PaintPrintJob(job, painter, writer);
        if (!painter.end())
            throw safe.writeFailure();
    }
    if (!PdfIsComplete(safe.tempPath()))
        throw safe.writeFailure();
    safe.commit();
}

// The print dialog offers its PDF file in the working folder (when inside
// the home folder): the folder printed to last, for as long as it is open.
class WorkingFolderScope {
public:
    explicit WorkingFolderScope(const QString& folder) : m_old(QDir::currentPath()) {
        if (!folder.isEmpty())
            QDir::setCurrent(folder);
    }
    ~WorkingFolderScope() { QDir::setCurrent(m_old); }
    WorkingFolderScope(const WorkingFolderScope&) = delete;
    WorkingFolderScope& operator=(const WorkingFolderScope&) = delete;

private:
    QString m_old;
};

int PrintJobWithDialog(const PrintJob& job, const QString& docName, QString* pdfFile) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageLayout(PageLayoutOf(job.tpl));
    printer.setDocName(docName);
    const WorkingFolderScope folder(GetOutputFolder());

    QPrintPreviewDialog dialog(&printer, QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("dlgPrintPreview"));
    // Large enough to read a page; never larger than the screen.
    dialog.resize(RoomOnScreen(&dialog).boundedTo(QSize(1000, 860)));
    bool painted = false;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* p) {
        QPainter painter;
        painted = painter.begin(p);
        if (painted) {
            PaintPrintJob(job, painter, *p);
            painted = painter.end();
        }
    });
    // The preview's own print button sits on a tool bar the keyboard never
    // reaches; Ctrl+P does what it does: the print dialog, then the pages.
    dialog.setWindowTitle(QStringLiteral("打印预览（Ctrl+P 打印，Esc 关闭）"));
    auto* printKey = new QAction(QStringLiteral("打印(&P)"), &dialog);
    printKey->setObjectName(QStringLiteral("actPrint"));
    printKey->setShortcut(QKeySequence::Print);
    dialog.addAction(printKey);
    QObject::connect(printKey, &QAction::triggered, &dialog, [&dialog, &printer] {
        auto* preview = dialog.findChild<QPrintPreviewWidget*>();
        QPrintDialog ask(&printer, &dialog);
        ask.setObjectName(QStringLiteral("dlgPrint"));
        if (!preview || ask.exec() != QDialog::Accepted)
            return;
        preview->print();
        dialog.accept();
    });
    // The caller shows the hourglass while it works; the dialog needs the arrow.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = dialog.exec();
    QApplication::restoreOverrideCursor();
    if (answer != QDialog::Accepted)
        return kPrintCancelled;
    // The preview is accepted once it has printed; the last paint was the print.
    if (!painted)
        return kPrintOutputFailed;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        WriteOutputFolder(QFileInfo(printer.outputFileName()).absolutePath());
        if (pdfFile)
            *pdfFile = printer.outputFileName();
    }
    return kPrintDone;
}

} // namespace

int PrintOneCustomXml(const QString& documentPath, const QString& reserved1,
                      const QString& templatePath, int& reserved2, int& reserved3, int& reserved4,
                      const QString& reserved5, char mode) {
    Q_UNUSED(reserved1);
    Q_UNUSED(reserved2);
    Q_UNUSED(reserved3);
    Q_UNUSED(reserved4);
    Q_UNUSED(reserved5);
    Q_UNUSED(mode);
    return PrintWithPreview(documentPath, templatePath, QString::fromUtf8(kPrintDocName));
}

int PrintWithPreview(const QString& documentPath, const QString& templatePath,
                     const QString& docName, QString* pdfFile) {
    if (PrintTarget::printsToPdf())
        return PrintCustomXmlToPdf(documentPath, templatePath, PrintTarget::pdfFile());
    PrintJob job;
    const int loaded = LoadJob(documentPath, templatePath, job);
    return loaded == kPrintDone ? PrintJobWithDialog(job, docName, pdfFile) : loaded;
}

int PrintCustomXmlToPdf(const QString& documentPath, const QString& templatePath,
                        const QString& pdfPath, QString* error) {
    PrintJob job;
    const int loaded = LoadJob(documentPath, templatePath, job);
    if (loaded != kPrintDone)
        return loaded;
    try {
        PrintJobToPdf(job, pdfPath);
        return kPrintDone;
    } catch (const std::exception& e) {
        if (error)
            *error = FailureMessage(e, QStringLiteral("写入文件出错"), pdfPath);
        return kPrintOutputFailed;
    }
}

void PrintTarget::usePrintDialog() {
    g_pdfFile.clear();
}
void PrintTarget::usePdfFile(const QString& path) {
    g_pdfFile = path;
}
bool PrintTarget::printsToPdf() {
    return !g_pdfFile.isEmpty();
}
QString PrintTarget::pdfFile() {
    return g_pdfFile;
}
