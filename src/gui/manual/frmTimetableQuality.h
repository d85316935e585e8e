#pragma once
// 课表质量: the quality measures of the timetable (the same figures as
// `kbxt-cli quality`), with the classes and teachers that most need mending.
#include <QDialog>

struct AppContext;
class QLabel;
class QTreeWidget;
class QPushButton;

class frmTimetableQuality : public QDialog {
    Q_OBJECT
public:
    explicit frmTimetableQuality(AppContext& ctx, QWidget* parent = nullptr);

    QLabel* lblResult;
    QTreeWidget* lstMeasures;
    QTreeWidget* lstClasses;
    QTreeWidget* lstTeachers;
    QPushButton* cmdRecount;
    QPushButton* cmdCopy;
    QPushButton* cmdOK;

private:
    void Measure();
    void cmdCopy_Click();

    AppContext& m_ctx;
    QStringList m_lines;
};
