#pragma once
// "课程名单": the code list editor of the course table, with the course's own
// rules: how many classes its room holds at once (同时上课班数) and how many of
// its lessons a class may have on one day (每天最多节数). Empty: no setting.
#include "core/model/CourseRules.h"
#include "gui/basedata/frmCodeListInput.h"

class frmCourseInput : public frmCodeListInput {
    Q_OBJECT
public:
    explicit frmCourseInput(AppContext& ctx, QWidget* parent = nullptr);

    QLabel* lblMaxClasses;
    QLineEdit* txtMaxClasses;
    QLabel* lblMaxPerDay;
    QLineEdit* txtMaxPerDay;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool AppendRecord() override;
    bool ModifyRecord() override;
    void ShowSelectedRecord() override;

    // The two fields read; false (with the message shown) when one is no
    // whole number in its range.
    bool ReadRule(CourseRule& rule);
    // Stores the rule and shows it in the list; false when writing failed.
    bool SaveRule(const QString& code, const CourseRule& rule);
    void ShowRuleInList(const QString& code);

    CourseRules m_rules;
};
