#pragma once
// "每天课时数设置": 6 or 7 lessons a day, kept in kbxt.ini, and "上午 N 节",
// where the midday break lies, kept in the database (it decides which double
// lessons are legal, so it travels with the school).
#include <QDialog>

struct AppContext;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

class frmSetLessonOfDay : public QDialog {
    Q_OBJECT
public:
    explicit frmSetLessonOfDay(AppContext& ctx, QWidget* parent = nullptr);

    QLabel* Label1;
    QRadioButton* Opt6;
    QRadioButton* Opt7;
    QLabel* lblMorning;
    QSpinBox* spnMorning; // disabled without an open database
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

private:
    void cmdOK_Click();
    void cmdCancel_Click();

    AppContext& m_ctx;
    int m_morning = 0; // as read: written only when changed
};
