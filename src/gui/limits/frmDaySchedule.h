#pragma once
// "作息时间设置": when each lesson starts and ends and the term's first and
// last day, kept in the database for published timetables and calendars.
#include "core/model/DaySchedule.h"

#include <QDialog>
#include <array>

struct AppContext;
class QDateEdit;
class QLabel;
class QPushButton;
class QTimeEdit;

class frmDaySchedule : public QDialog {
    Q_OBJECT
public:
    explicit frmDaySchedule(AppContext& ctx, QWidget* parent = nullptr);

    std::array<QTimeEdit*, Week::kMaxLessonsPerDay> txtStart{};
    std::array<QTimeEdit*, Week::kMaxLessonsPerDay> txtEnd{};
    QDateEdit* dtpFirstDay;
    QDateEdit* dtpLastDay;
    QPushButton* cmdDefault;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    // What the fields hold now.
    DaySchedule Schedule() const;

private:
    void Show(const DaySchedule& s);
    void cmdDefault_Click();
    void cmdOK_Click();

    AppContext& m_ctx;
};
