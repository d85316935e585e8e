#pragma once
// Asks the user to type OK before a destructive whole-database command.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class frmConfirm : public QDialog {
    Q_OBJECT
public:
    explicit frmConfirm(QWidget* parent = nullptr);

    // The command's warning; the advice to save a copy first is added below it.
    void setWarning(const QString& warning);
    // True only when OK was confirmed in the current showing.
    bool mblnCheckFlag = false;

    QLabel* lblTitle;
    QLabel* Label1;
    QLineEdit* Text1;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void cmdOK_Click();
    void cmdCancel_Click();
};

// The whole confirmation sequence: shows the window with the warning and answers
// whether the user confirmed.
bool ConfirmCommand(QWidget* parent, const QString& warning);
