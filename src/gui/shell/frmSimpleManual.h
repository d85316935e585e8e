#pragma once
#include <QDialog>

class QLabel;
class QPushButton;
class QScrollArea;

class frmSimpleManual : public QDialog {
    Q_OBJECT
public:
    explicit frmSimpleManual(QWidget* parent = nullptr);
    QLabel* Label1;
    QScrollArea* scrText;
    QPushButton* cmdClose;
};

QString SimpleManualText();
