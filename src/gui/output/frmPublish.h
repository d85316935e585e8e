#pragma once
// "发布课表": the timetables as a folder of web pages for the school's site,
// with pictures for chat groups and calendars for phones when chosen; opens
// the folder when done and says what was written.
#include "core/formats/TimetableTitle.h"

#include <QDialog>
#include <functional>

struct AppContext;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frmPublish : public QDialog {
    Q_OBJECT
public:
    explicit frmPublish(AppContext& ctx, QWidget* parent = nullptr);

    QLabel* lblFolder;
    QLineEdit* txtFolder;
    QPushButton* cmdBrowse;
    QCheckBox* chkPictures;
    QCheckBox* chkCalendars;
    QLabel* lblResult;
    QPushButton* cmdPublish;
    QPushButton* cmdClose;

    // Shows the folder when publishing is done; tests replace it.
    std::function<bool(const QString& folder)> openFolder;

    // The school, year and term the pages carry (学校名称设置).
    TimetableTitle title;

private:
    void cmdBrowse_Click();
    void cmdPublish_Click();

    AppContext& m_ctx;
};
