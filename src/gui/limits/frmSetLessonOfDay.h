#pragma once
// "每天课时数设置": 6 or 7 lessons a day, kept in kbxt.ini.
#include <QDialog>

struct AppContext;
class QLabel;
class QPushButton;
class QRadioButton;

class frmSetLessonOfDay : public QDialog {
    Q_OBJECT
public:
    explicit frmSetLessonOfDay(AppContext& ctx, QWidget* parent = nullptr);

    QLabel* Label1;
    QRadioButton* Opt6;
    QRadioButton* Opt7;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

private:
    void cmdOK_Click();
    void cmdCancel_Click();

    AppContext& m_ctx;
};
