#pragma once
// "学校名称设置": the school's name shown in captions and on printed timetables,
// and the school year and term that printed and exported titles carry.
#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

class frmSchoolName : public QDialog {
    Q_OBJECT
public:
    explicit frmSchoolName(QWidget* parent = nullptr);

    QLineEdit* txtName;
    QComboBox* cmbYear; // "未设置", then school years as "2025—2026"
    QComboBox* cmbTerm; // "未设置", "第一学期", "第二学期"
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

private:
    void cmdOK_Click();
};
