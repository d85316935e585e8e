#pragma once
// "导出课表到Excel": saves the timetable of a class, a teacher, all of them, or
// the whole-school overview as a spreadsheet workbook.
#include "core/formats/ScheduleExport.h"

#include <QDialog>

struct AppContext;
class QComboBox;
class QCheckBox;
class QLabel;
class QPushButton;

class frmExport : public QDialog {
    Q_OBJECT
public:
    explicit frmExport(AppContext& ctx, QWidget* parent = nullptr);

    QLabel* lblClass;
    QComboBox* CmbClass;
    QPushButton* CmdPrevClass;
    QPushButton* CmdNextClass;
    QPushButton* cmdExportClass;
    QPushButton* cmdExportAllClass;
    QComboBox* CmbTeacher;
    QPushButton* CmdPrevTeacher;
    QPushButton* CmdNextTeacher;
    QPushButton* cmdExportTeacher;
    QPushButton* cmdExportAllTeacher;
    QPushButton* CmdExportTotal;
    QPushButton* cmdOK;
    QCheckBox* chkTimes; // the 作息时间 under the lesson numbers

    // The save dialog; the chosen name with ".xlsx" added when it has no
    // extension, or the empty text when the user cancelled (or declined to
    // replace an existing file of the completed name).
    QString AskExportFile(ScheduleKind kind, const QString& selected);

private:
    void Form_Load();
    void CmdPrevClass_Click();
    void CmdNextClass_Click();
    void CmdPrevTeacher_Click();
    void CmdNextTeacher_Click();

    // The result of an export as the window reports it.
    enum Result : short {
        kSaved = 0,
        kFailed = -1,         // a failure while filling or saving
        kCannotCreate = -101, // the workbook file cannot be created
        kNoData = -102,       // no lessons for the selection
    };

    void ExportTimetable(ScheduleKind kind);
    void ReportResult(ScheduleKind kind, Result result, const QString& reason = {},
                      const QString& file = {});

    AppContext& m_ctx;
};
