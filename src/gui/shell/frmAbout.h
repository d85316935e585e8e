#pragma once
#include <QDialog>

class QLabel;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* lblVersion;
    QLabel* Image1;
    QLabel* lblRights;
    QLabel* lblMail;
    QLabel* lblWebsite;
};

// "Ver " followed by major.minor.revision of the program's version.
QString VersionText();
