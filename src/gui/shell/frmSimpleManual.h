#pragma once
#include <QDialog>

class QLabel;

class frmSimpleManual : public QDialog {
    Q_OBJECT
public:
    explicit frmSimpleManual(QWidget* parent = nullptr);
    QLabel* Label1;
};

QString SimpleManualText();
