#pragma once
// The main window: background picture and the menu that reaches every window
// and every whole-database command.
#include <QMainWindow>

struct AppContext;
class QAction;
class QLabel;
class QMenu;
class QPushButton;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(AppContext& ctx, QWidget* parent = nullptr);

    QLabel* imgBack;
    // Over the picture until the database has its first timetable: the order
    // of work, and the import for a school whose lists are in workbooks.
    QWidget* fraStartGuide;
    QLabel* lblStartGuide;
    QPushButton* cmdGuideImport;

    QMenu* mnuFile;
    QAction* mnuOpenDb;
    QAction* mnuDbSaveAs;
    QAction* mnuEnd;
    QMenu* mnuBasicData;
    QAction* mnuClassList;
    QAction* mnuCourseList;
    QAction* mnuTeacherList;
    QAction* mnuGroupList;
    QAction* mnuClassRoomList;
    QAction* mnuClassPlan;
    QAction* mnuImport;
    QMenu* mnuAuto;
    QMenu* mnuLimit;
    QAction* mnuClassLimit;
    QAction* mnuCourseLimit;
    QAction* mnuTeacherLimit;
    QAction* mnuGroupLimit;
    QAction* mnuClassroomLimit;
    QAction* mnuPrepairBuild;
    QAction* mnuAutoBuild;
    QAction* mnuAutoComplete;
    QAction* mnuImproveTimetable;
    QMenu* mnuBuildKb;
    QAction* mnuManualBuild;
    QAction* mnuCheckTimetable;
    QAction* mnuTimetableQuality;
    QAction* mnuPrint;
    QAction* mnuExport;
    QAction* mnuPublish;
    QAction* mnuUpgradeAll;
    QAction* mnuDeleteLessonAll;
    QAction* mnuVersions;
    QMenu* mnuManager;
    QAction* mnuDataMaintenance;
    QAction* mnuSetLessonNum;
    QAction* mnuSchoolName;
    QAction* mnuDaySchedule;
    QMenu* mnuHelp;
    QAction* mnuSimpleManual;
    QAction* mnuManual;
    QAction* mnuOpenDemo;
    QAction* mnuToWebsite;
    QAction* mnuForum;
    QAction* mnuAbout;

    // Loads the background picture; a missing or unreadable picture leaves the
    // window plain.
    void LoadBackground();
    void RefreshStartGuide();
    // Switches to another database file as the open-database command does.
    bool OpenDatabaseFile(const QString& file);

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void BuildMenu();
    void SetCaption(const QString& caption);
    QString CurrentDbFileName() const;
    QString FreeDemoFileName() const;
    void OpenAddress(const QString& address);
    void TakeFocusBack();

    void mnuOpenDb_Click();
    void mnuDbSaveAs_Click();
    void mnuEnd_Click();
    void mnuClassList_Click();
    void mnuCourseList_Click();
    void mnuTeacherList_Click();
    void mnuGroupList_Click();
    void mnuClassRoomList_Click();
    void mnuClassPlan_Click();
    void mnuImport_Click();
    void mnuClassLimit_Click();
    void mnuCourseLimit_Click();
    void mnuTeacherLimit_Click();
    void mnuGroupLimit_Click();
    void mnuClassroomLimit_Click();
    void mnuPrepairBuild_Click();
    void mnuAutoBuild_Click();
    void mnuAutoComplete_Click();
    void mnuImproveTimetable_Click();
    void mnuManualBuild_Click();
    void mnuCheckTimetable_Click();
    void mnuTimetableQuality_Click();
    void mnuPrint_Click();
    void mnuExport_Click();
    void mnuPublish_Click();
    void mnuUpgradeAll_Click();
    void mnuDeleteLessonAll_Click();
    void mnuVersions_Click();
    void mnuDataMaintenance_Click();
    void mnuSetLessonNum_Click();
    void mnuSchoolName_Click();
    void mnuDaySchedule_Click();
    void mnuSimpleManual_Click();
    void mnuManual_Click();
    void mnuOpenDemo_Click();
    void mnuToWebsite_Click();
    void mnuForum_Click();
    void mnuAbout_Click();

    AppContext& m_ctx;
    bool m_ending = false;
};

// Hands a file or web address to the desktop's associated program; false when
// there is none (no browser installed).
bool OpenDocument(const QString& target);
// The manual's file and its address, file:/// + application folder + the path.
QString ManualFile();
QString ManualUrl();
// The order of work shown over the picture of an empty school.
QString StartGuideText();
