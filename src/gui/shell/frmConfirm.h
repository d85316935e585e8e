#pragma once
// Asks the user to type OK before a destructive whole-database command.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class frmConfirm : public QDialog {
    Q_OBJECT
public:
    explicit frmConfirm(QWidget* parent = nullptr);

    // The command's warning; the advice to save a copy first is added below it.
    void setWarning(const QString& warning);
    // What the teaching plan asks for beyond the week, shown under the warning
    // so the user knows before generating that lessons will be left over.
    void setPlanProblems(const QStringList& lines);
    // True only when OK was confirmed in the current showing.
    bool mblnCheckFlag = false;

    QLabel* lblTitle;
    QLabel* Label1;
    QLineEdit* Text1;
    QLabel* lblPlanCheck;
    QPlainTextEdit* txtPlanCheck;
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
bool ConfirmCommand(QWidget* parent, const QString& warning, const QStringList& planProblems = {});
