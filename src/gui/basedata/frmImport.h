#pragma once
// "从Excel导入": reads the school's classes, courses, teachers and teaching plan
// from a workbook (or CSV file), shows what would be added, what would be
// changed, what is there already and which rows are wrong, and writes it all
// in one step when the user confirms. "导出导入模板" writes the workbook layout it reads, with the
// current data.
#include "core/formats/SchoolImport.h"

#include <QDialog>

struct AppContext;
class QLabel;
class QPushButton;
class QTreeWidget;

class frmImport : public QDialog {
    Q_OBJECT
public:
    explicit frmImport(AppContext& ctx, QWidget* parent = nullptr);

    QPushButton* cmdOpen;
    QPushButton* cmdTemplate;
    QPushButton* cmdImport;
    QPushButton* cmdOK;
    QLabel* lblFile;
    QLabel* lblSummary;
    QTreeWidget* lstPreview;

    // Reads the file and shows its preview; false when it could not be read.
    bool LoadFile(const QString& fileName);

private:
    void cmdOpen_Click();
    void cmdTemplate_Click();
    void cmdImport_Click();

    void ShowPreview();

    AppContext& m_ctx;
    ImportPreview m_preview;
    bool m_loaded = false;
};
