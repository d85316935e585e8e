#pragma once
// 检查课表: the findings of the timetable check (the same lines as
// `kbxt-cli check`) in a window, as copyable text.
#include <QDialog>

struct AppContext;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class frmCheckTimetable : public QDialog {
    Q_OBJECT
public:
    explicit frmCheckTimetable(AppContext& ctx, QWidget* parent = nullptr);

    QLabel* lblResult;
    QPlainTextEdit* txtReport;
    QPushButton* cmdRecheck;
    QPushButton* cmdCopy;
    QPushButton* cmdOK;

private:
    void CheckTimetable();
    void cmdCopy_Click();

    AppContext& m_ctx;
};
