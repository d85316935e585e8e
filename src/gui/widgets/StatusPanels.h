#pragma once
// A status bar of numbered text panels (1-based), as the hand-placing windows
// use it: help text, what is shown, result of the last operation.
#include <QLabel>
#include <QList>
#include <QStatusBar>

class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    StatusPanels(const QList<int>& stretches, QWidget* parent = nullptr);

    void setPanelText(int panel, const QString& text);
    QString panelText(int panel) const;
    QLabel* panel(int panel) const;

private:
    QList<QLabel*> m_panels;
};
