#pragma once
// "打印课表": prints one class or all classes, one teacher or all teachers (A4)
// or the whole-school overview (A3) through the print component.
#include "core/formats/PrintQueries.h"

#include <QDialog>

struct AppContext;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class frmPrint : public QDialog {
    Q_OBJECT
public:
    explicit frmPrint(AppContext& ctx, QWidget* parent = nullptr);

    QGroupBox* fraClass;
    QLabel* lblClass;
    QComboBox* CmbClass;
    QPushButton* CmdPrevClass;
    QPushButton* CmdNextClass;
    QPushButton* cmdPrintClass;
    QPushButton* cmdPrintAllClass;
    QGroupBox* fraTeacher;
    QLabel* lblTeacher;
    QComboBox* CmbTeacher;
    QPushButton* CmdPrevTeacher;
    QPushButton* CmdNextTeacher;
    QPushButton* cmdPrintTeacher;
    QPushButton* cmdPrintAllTeacher;
    QGroupBox* fraTotal;
    QPushButton* CmdPrintTotal;
    QPushButton* cmdOK;
    QCheckBox* chkTimes; // the 作息时间 under the lesson numbers

private:
    void Form_Load();
    void CmdPrevClass_Click();
    void CmdNextClass_Click();
    void cmdPrintClass_Click();
    void cmdPrintAllClass_Click();
    void CmdPrevTeacher_Click();
    void CmdNextTeacher_Click();
    void cmdPrintTeacher_Click();
    void cmdPrintAllTeacher_Click();
    void CmdPrintTotal_Click();

    // Runs one print job: records, document, print component, report.
    void PrintTimetable(ScheduleKind kind, const QString& name = QString());
    void ReportPrintResult(int result, const QString& templatePath);

    AppContext& m_ctx;
};
