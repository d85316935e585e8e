#pragma once
// "学校名称设置": the school's name shown in captions and on printed timetables.
#include <QDialog>

class QLineEdit;
class QPushButton;

class frmSchoolName : public QDialog {
    Q_OBJECT
public:
    explicit frmSchoolName(QWidget* parent = nullptr);

    QLineEdit* txtName;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

private:
    void cmdOK_Click();
};
