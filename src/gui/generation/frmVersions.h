#pragma once
// "课表版本": the timetables kept before generation, completion, deleting the
// timetable and the year upgrade, newest first; one is restored after a
// confirmation, the current timetable being kept as a version first.
#include "core/store/TimetableVersions.h"

#include <QDialog>

struct AppContext;
class QLabel;
class QPushButton;
class QTreeWidget;

class frmVersions : public QDialog {
    Q_OBJECT
public:
    explicit frmVersions(AppContext& ctx, QWidget* parent = nullptr);

    QTreeWidget* lstVersions;
    QLabel* lblHint;
    QPushButton* cmdRestore;
    QPushButton* cmdOK;

private:
    void Form_Load();
    void cmdRestore_Click();

    void LoadVersions();

    AppContext& m_ctx;
};
