#include "gui/shell/frmMain.h"
#include "core/config/SafeFile.h"
#include "core/store/SqliteFailure.h"

#include "core/config/AppConfig.h"
#include "core/config/AppPaths.h"
#include "core/generation/BuildRandom.h"
#include "core/model/DemoSchool.h"
#include "core/store/Lookups.h"
#include "core/store/Maintenance.h"
#include "core/store/PlanCheckStore.h"
#include "core/store/SchoolWriter.h"
#include "core/store/TimetableVersions.h"
#include "gui/basedata/frmClassInput.h"
#include "gui/basedata/frmClassPlanInput.h"
#include "gui/basedata/frmClassRoomInput.h"
#include "gui/basedata/frmCourseInput.h"
#include "gui/basedata/frmGroupInput.h"
#include "gui/basedata/frmImport.h"
#include "gui/basedata/frmTeacherInput.h"
#include "gui/generation/frmAutoBuild.h"
#include "gui/generation/frmAutoComplete.h"
#include "gui/generation/frmImproveTimetable.h"
#include "gui/generation/frmVersions.h"
#include "gui/limits/frmClassLimitInput.h"
#include "gui/limits/frmClassRoomLimitInput.h"
#include "gui/limits/frmCourseLimitInput.h"
#include "gui/limits/frmDaySchedule.h"
#include "gui/limits/frmGroupLimitInput.h"
#include "gui/limits/frmSetLessonOfDay.h"
#include "gui/limits/frmTeacherLimitInput.h"
#include "gui/manual/frmCheckTimetable.h"
#include "gui/manual/frmManualSetLesson.h"
#include "gui/manual/frmSetLesson.h"
#include "gui/manual/frmTimetableQuality.h"
#include "gui/output/frmExport.h"
#include "gui/output/frmPrint.h"
#include "gui/output/frmPublish.h"
#include "gui/shell/frmAbout.h"
#include "gui/shell/frmConfirm.h"
#include "gui/shell/frmSchoolName.h"
#include "gui/shell/frmSimpleManual.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"
#include "gui/widgets/VersionPrompt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const QString kDbFilter = QStringLiteral("数据库(*.db)");
const QString kTimetableSystem = QStringLiteral("课表系统");

// Copies source over target through a temporary file, so a failed copy leaves
// an existing target as it was.
bool ReplaceCopy(const QString& source, const QString& target) {
    if (SameFile(source, target))
        return QFileInfo::exists(source);
    try {
        // The old file is replaced in one step, and only by a complete copy.
        SafeFile safe(target);
        if (!QFile::copy(source, safe.tempPath()))
            throw safe.writeFailure();
        QFile::setPermissions(safe.tempPath(),
                              QFile::permissions(safe.tempPath()) | QFile::WriteOwner);
        safe.commit(QFileInfo(source).size());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
} // namespace

bool OpenDocument(const QString& target) {
    const QUrl url =
        target.contains(QStringLiteral("://")) ? QUrl(target) : QUrl::fromLocalFile(target);
    return QDesktopServices::openUrl(url);
}

QString ManualFile() {
    return ResourcePath(QStringLiteral("使用手册/使用手册.html"));
}

QString ManualUrl() {
    return QUrl::fromLocalFile(ManualFile()).toString();
}

frmMain::frmMain(AppContext& ctx, QWidget* parent) : QMainWindow(parent), m_ctx(ctx) {
    setObjectName("frmMain");
    setWindowTitle(QString::fromUtf8(kProductName));
    setFont(SongTi(10));
    resize(960, 640);
    imgBack = new QLabel(this);
    imgBack->setObjectName("imgBack");
    imgBack->setScaledContents(true); // stretched over the whole client area
    imgBack->setMinimumSize(1, 1);
    setCentralWidget(imgBack);
    fraStartGuide = new QWidget(imgBack);
    fraStartGuide->setObjectName("fraStartGuide");
    fraStartGuide->setAttribute(Qt::WA_StyledBackground);
    fraStartGuide->setStyleSheet(
        QStringLiteral("#fraStartGuide { background: rgba(255,255,255,240);"
                       " border: 1px solid rgb(0,0,160); }"
                       " QLabel { color: rgb(0,0,96); }"));
    lblStartGuide = new QLabel(StartGuideText(), fraStartGuide);
    lblStartGuide->setObjectName("lblStartGuide");
    lblStartGuide->setTextFormat(Qt::RichText);
    lblStartGuide->setFont(SongTi(11));
    cmdGuideImport =
        new QPushButton(QStringLiteral("从Excel导入名单和教学计划(&I)…"), fraStartGuide);
    cmdGuideImport->setObjectName("cmdGuideImport");
    cmdGuideImport->setFont(SongTi(11));
    connect(cmdGuideImport, &QPushButton::clicked, this, &frmMain::mnuImport_Click);
    auto* guide = new QVBoxLayout(fraStartGuide);
    guide->setContentsMargins(12, 12, 12, 12);
    guide->addWidget(lblStartGuide);
    guide->addWidget(cmdGuideImport, 0, Qt::AlignLeft);
    auto* over = new QVBoxLayout(imgBack);
    over->setContentsMargins(24, 24, 24, 24);
    over->addWidget(fraStartGuide, 0, Qt::AlignLeft | Qt::AlignTop);
    over->addStretch();
    BuildMenu();
    LoadBackground();
    RefreshStartGuide();
}

QString StartGuideText() {
    return QStringLiteral(
        "<b>开始使用</b>：这个数据库还没有课表。按下面的顺序做，就能排出第一张课表"
        "（排出课表以后这段说明就不再显示）：<ol>"
        "<li>系统管理 → 学校名称设置（学校名称、学年和学期）、每天课时设置</li>"
        "<li>基础数据 → 班级名单、课程名单、老师名单——名单已在 Excel 表格里的，"
        "用下面的按钮一次导入班级、课程、老师和教学计划</li>"
        "<li>自动排课 → 上课时间限制条件：课程适合与不适合的课时</li>"
        "<li>基础数据 → 各班教学计划：每班每门课由谁上、每周几节</li>"
        "<li>自动排课 → 预先安排固定课程：如班队会</li>"
        "<li>文件 → 数据库另存为：先备份一份</li>"
        "<li>自动排课 → 自动生成课表，再到“课表操作”调整、打印和导出</li></ol>"
        "想先看看效果？用 帮助 → 打开示例学校，一个填好的示例学校马上就能试用各个窗口。");
}

// The guide shows until the database in use has a timetable (pre-set lessons
// alone are not one); it is looked at again whenever the main window comes
// back to the front.
void frmMain::RefreshStartGuide() {
    bool starting = false;
    try {
        starting = m_ctx.db.isOpen() && !HasTimetable(m_ctx.db);
    } catch (const std::exception&) {
        starting = false;
    }
    fraStartGuide->setVisible(starting);
}

void frmMain::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        RefreshStartGuide();
    QMainWindow::changeEvent(e);
}

// A new file in the application directory: the demo never replaces a file.
QString frmMain::FreeDemoFileName() const {
    const QString base = AppFilePath(QStringLiteral("示例学校"));
    QString file = base + QStringLiteral(".db");
    for (int n = 2; QFileInfo::exists(file); ++n)
        file = base + QStringLiteral("(%1).db").arg(n);
    return file;
}

void frmMain::LoadBackground() {
    QPixmap picture(ResourcePath(QStringLiteral("HomePage.jpg")));
    if (!picture.isNull())
        imgBack->setPixmap(picture);
}

void frmMain::SetCaption(const QString& caption) {
    setWindowTitle(caption);
}

// The file in use. kbxt.ini can name another one when recording a newly opened
// file failed; copying or reopening that one would silently switch databases.
QString frmMain::CurrentDbFileName() const {
    return m_ctx.db.isOpen() ? m_ctx.db.path() : GetDbFileName();
}

void frmMain::BuildMenu() {
    auto action = [this](QMenu* menu, QAction*& a, const char* name, const char* caption,
                         void (frmMain::*handler)()) {
        a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
    };
    auto menu = [](QMenu* m, const char* name) {
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    QMenuBar* bar = menuBar();

    mnuFile = menu(bar->addMenu(QStringLiteral("文件(&F)")), "mnuFile");
    action(mnuFile, mnuOpenDb, "mnuOpenDb", "打开数据库(&O)", &frmMain::mnuOpenDb_Click);
    action(mnuFile, mnuDbSaveAs, "mnuDbSaveAs", "数据库另存为(&A)...", &frmMain::mnuDbSaveAs_Click);
    action(mnuFile, mnuEnd, "mnuEnd", "退出(&X)", &frmMain::mnuEnd_Click);

    mnuBasicData = menu(bar->addMenu(QStringLiteral("基础数据(&B)")), "mnuBasicData");
    action(mnuBasicData, mnuClassList, "mnuClassList", "班级名单(&C)",
           &frmMain::mnuClassList_Click);
    action(mnuBasicData, mnuCourseList, "mnuCourseList", "课程名单(&K)",
           &frmMain::mnuCourseList_Click);
    action(mnuBasicData, mnuTeacherList, "mnuTeacherList", "老师名单(&T)",
           &frmMain::mnuTeacherList_Click);
    action(mnuBasicData, mnuGroupList, "mnuGroupList", "教研组名单(&G)",
           &frmMain::mnuGroupList_Click);
    action(mnuBasicData, mnuClassRoomList, "mnuClassRoomList", "公共教室名单(&R)",
           &frmMain::mnuClassRoomList_Click);
    action(mnuBasicData, mnuClassPlan, "mnuClassPlan", "各班教学计划(&P)",
           &frmMain::mnuClassPlan_Click);
    mnuBasicData->addSeparator();
    action(mnuBasicData, mnuImport, "mnuImport", "从Excel导入(&I)…", &frmMain::mnuImport_Click);

    mnuAuto = menu(bar->addMenu(QStringLiteral("自动排课(&A)")), "mnuAuto");
    mnuLimit = menu(mnuAuto->addMenu(QStringLiteral("上课时间限制条件(&L)")), "mnuLimit");
    action(mnuLimit, mnuClassLimit, "mnuClassLimit", "班级上课时间限制(&C)",
           &frmMain::mnuClassLimit_Click);
    action(mnuLimit, mnuCourseLimit, "mnuCourseLimit", "课程上课时间限制(&K)",
           &frmMain::mnuCourseLimit_Click);
    action(mnuLimit, mnuTeacherLimit, "mnuTeacherLimit", "老师上课时间限制(&T)",
           &frmMain::mnuTeacherLimit_Click);
    action(mnuLimit, mnuGroupLimit, "mnuGroupLimit", "教研组上课时间限制(&G)",
           &frmMain::mnuGroupLimit_Click);
    action(mnuLimit, mnuClassroomLimit, "mnuClassroomLimit", "教室上课时间限制(&R)",
           &frmMain::mnuClassroomLimit_Click);
    action(mnuAuto, mnuPrepairBuild, "mnuPrepairBuild", "预先安排固定课程(&Y)",
           &frmMain::mnuPrepairBuild_Click);
    action(mnuAuto, mnuAutoBuild, "mnuAutoBuild", "自动生成课表(&G)", &frmMain::mnuAutoBuild_Click);
    action(mnuAuto, mnuAutoComplete, "mnuAutoComplete", "自动补排(&B)",
           &frmMain::mnuAutoComplete_Click);
    action(mnuAuto, mnuImproveTimetable, "mnuImproveTimetable", "课表优化(&O)",
           &frmMain::mnuImproveTimetable_Click);

    mnuBuildKb = menu(bar->addMenu(QStringLiteral("课表操作(&T)")), "mnuBuildKb");
    action(mnuBuildKb, mnuManualBuild, "mnuManualBuild", "手工调整课表(&M)",
           &frmMain::mnuManualBuild_Click);
    action(mnuBuildKb, mnuCheckTimetable, "mnuCheckTimetable", "检查课表(&C)",
           &frmMain::mnuCheckTimetable_Click);
    action(mnuBuildKb, mnuTimetableQuality, "mnuTimetableQuality", "课表质量(&Q)",
           &frmMain::mnuTimetableQuality_Click);
    action(mnuBuildKb, mnuPrint, "mnuPrint", "打印课表(&P)", &frmMain::mnuPrint_Click);
    action(mnuBuildKb, mnuExport, "mnuExport", "导出课表到Excel(&E)", &frmMain::mnuExport_Click);
    action(mnuBuildKb, mnuPublish, "mnuPublish", "发布课表(&W)…", &frmMain::mnuPublish_Click);
    action(mnuBuildKb, mnuUpgradeAll, "mnuUpgradeAll", "课表学年升级(&U)",
           &frmMain::mnuUpgradeAll_Click);
    action(mnuBuildKb, mnuDeleteLessonAll, "mnuDeleteLessonAll", "删除课表数据(&D)",
           &frmMain::mnuDeleteLessonAll_Click);
    action(mnuBuildKb, mnuVersions, "mnuVersions", "课表版本(&V)…", &frmMain::mnuVersions_Click);

    mnuManager = menu(bar->addMenu(QStringLiteral("系统管理(&S)")), "mnuManager");
    action(mnuManager, mnuDataMaintenance, "mnuDataMaintenance", "数据维护(&W)",
           &frmMain::mnuDataMaintenance_Click);
    action(mnuManager, mnuSetLessonNum, "mnuSetLessonNum", "每天课时设置(&L)",
           &frmMain::mnuSetLessonNum_Click);
    action(mnuManager, mnuSchoolName, "mnuSchoolName", "学校名称设置(&N)",
           &frmMain::mnuSchoolName_Click);
    action(mnuManager, mnuDaySchedule, "mnuDaySchedule", "作息时间设置(&T)",
           &frmMain::mnuDaySchedule_Click);

    mnuHelp = menu(bar->addMenu(QStringLiteral("帮助(&H)")), "mnuHelp");
    action(mnuHelp, mnuSimpleManual, "mnuSimpleManual", "简要使用说明(&S)",
           &frmMain::mnuSimpleManual_Click);
    action(mnuHelp, mnuManual, "mnuManual", "使用手册(&M)", &frmMain::mnuManual_Click);
    action(mnuHelp, mnuOpenDemo, "mnuOpenDemo", "打开示例学校(&D)", &frmMain::mnuOpenDemo_Click);
    action(mnuHelp, mnuToWebsite, "mnuToWebsite", "访问网站(&W)", &frmMain::mnuToWebsite_Click);
    action(mnuHelp, mnuForum, "mnuForum", "使用交流(&F)", &frmMain::mnuForum_Click);
    action(mnuHelp, mnuAbout, "mnuAbout", "关于(&A)", &frmMain::mnuAbout_Click);

    mnuOpenDb->setShortcut(QKeySequence::Open);
    mnuPrint->setShortcut(QKeySequence::Print);
    mnuManual->setShortcut(QKeySequence::HelpContents);
    mnuEnd->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    // Present with their handlers, never offered.
    // The class and teacher limits steer generation and completion; the
    // classroom ones would not: the plan names no classrooms.
    for (QAction* hidden : {mnuClassRoomList, mnuClassroomLimit, mnuDataMaintenance, mnuForum})
        hidden->setVisible(false);
    // An address this build was not given is not offered as a placeholder.
    if (QStringLiteral(KBXT_WEBSITE).isEmpty())
        mnuToWebsite->setVisible(false);
}

void frmMain::closeEvent(QCloseEvent* e) {
    // Closing the window in any way is the end command.
    if (!m_ending)
        mnuEnd_Click();
    e->accept();
}

// ---- 文件 -------------------------------------------------------------------

void frmMain::mnuOpenDb_Click() {
    const QString file = UiDialogs::instance().openFileName(
        this, QStringLiteral("选择数据库文件"), kDbFilter, FolderOf(CurrentDbFileName()));
    if (!file.isEmpty())
        OpenDatabaseFile(file);
}

// Closes the database in use and opens file instead, recording it for the next
// start; when file cannot be opened the previous one is reopened.
bool frmMain::OpenDatabaseFile(const QString& file) {
    try {
        const QString previous = CurrentDbFileName();
        try {
            // Checked before the current database is let go, so a refused file
            // costs nothing.
            if (!SameFile(file, previous))
                CheckTimetableFile(file);
            CloseTimetableDb(m_ctx.db);
            m_ctx.db.openChecked(file);
        } catch (const std::exception& e) {
            ShowError(this, m_ctx.systemTitle,
                      QStringLiteral("打开数据库失败！\n") + AsFailure(e, file).message());
            if (!m_ctx.db.isOpen() && !OpenTimetableDb(m_ctx.db, previous))
                ShowError(this, m_ctx.systemTitle,
                          QStringLiteral("无法重新打开原来的数据库：") + previous);
            RefreshStartGuide();
            return false;
        }
        const QString path = m_ctx.db.path();
        SetCaption(QString::fromUtf8(kProductName) + QStringLiteral(" -- ") + path);
        if (!WriteDbFileName(path))
            ShowError(this, windowTitle(), QStringLiteral("保存新数据库文件名！"));
        RefreshStartGuide();
        return true;
    } catch (const std::exception&) {
        ShowError(this, windowTitle(), QStringLiteral("系统异常错误！"));
    }
    RefreshStartGuide();
    return false;
}

void frmMain::mnuDbSaveAs_Click() {
    const QString current = CurrentDbFileName();
    QString file = UiDialogs::instance().saveFileName(this, QStringLiteral("数据库另存为"),
                                                      kDbFilter, FolderOf(current));
    if (file.isEmpty())
        return;
    // The open-database dialog lists *.db only; a copy without the ending
    // would seem lost.
    if (!file.endsWith(QStringLiteral(".db"), Qt::CaseInsensitive)) {
        file += QStringLiteral(".db");
        // The dialog asked about replacing the name as typed, not this one.
        if (QFileInfo::exists(file) &&
            !AskYesNo(this, windowTitle(),
                      QStringLiteral("%1 已存在。\n要替换它吗？").arg(QFileInfo(file).fileName()),
                      UiDialogs::Icon::Warning))
            return;
    }
    CloseTimetableDb(m_ctx.db);
    const bool copied = ReplaceCopy(current, file);
    // Unlike the old program, the current database is reopened after a failed
    // copy too: the user keeps working instead of facing a closed database.
    QString reopenFailure;
    try {
        m_ctx.db.openChecked(current);
    } catch (const std::exception& e) {
        reopenFailure = AsFailure(e, current).message();
    }
    if (!copied)
        ShowError(this, windowTitle(), QStringLiteral("保存数据库文件错误！"));
    if (!reopenFailure.isEmpty())
        ShowError(this, m_ctx.systemTitle, QStringLiteral("打开数据库失败！\n") + reopenFailure);
}

void frmMain::mnuEnd_Click() {
    m_ending = true;
    CloseTimetableDb(m_ctx.db);
    QApplication::closeAllWindows();
    QApplication::exit(0);
}

// ---- 基础数据 -----------------------------------------------------------------

void frmMain::mnuClassList_Click() {
    frmClassInput dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuCourseList_Click() {
    frmCourseInput dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuTeacherList_Click() {
    frmTeacherInput dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuGroupList_Click() {
    frmGroupInput dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuClassRoomList_Click() {
    frmClassRoomInput dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuClassPlan_Click() {
    frmClassPlanInput dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuImport_Click() {
    frmImport dlg(m_ctx, this);
    dlg.exec();
}

// ---- 自动排课 -----------------------------------------------------------------

void frmMain::mnuClassLimit_Click() {
    frmClassLimitInput dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuCourseLimit_Click() {
    frmCourseLimitInput dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuTeacherLimit_Click() {
    frmTeacherLimitInput dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuGroupLimit_Click() {
    frmGroupLimitInput dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuClassroomLimit_Click() {
    frmClassRoomLimitInput dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuPrepairBuild_Click() {
    frmSetLesson dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuAutoBuild_Click() {
    QStringList planProblems;
    try {
        planProblems =
            PlanProblemLines(CheckPlan(ReadPlanCheckInput(m_ctx.db, m_ctx.lessonsPerDay)));
    } catch (const std::exception&) {
        // An unreadable plan fails the generation itself, which says so.
    }
    if (!ConfirmCommand(this, QStringLiteral("自动生成课表将会清除您以前排好的课表！"),
                        planProblems))
        return;
    if (!KeepVersionOrAsk(this, m_ctx.db, VersionCause::Generation))
        return;
    bool complete = false;
    {
        frmAutoBuild dlg(m_ctx, this);
        dlg.exec();
        complete = dlg.mblnComplete;
    }
    if (complete)
        mnuAutoComplete_Click();
    TakeFocusBack();
}

void frmMain::mnuAutoComplete_Click() {
    if (!KeepVersionOrAsk(this, m_ctx.db, VersionCause::Completion))
        return;
    {
        frmAutoComplete dlg(m_ctx, this);
        dlg.exec();
    }
    TakeFocusBack();
}

// The progress windows close themselves behind their last message, and the
// window manager may then activate no window at all: Alt and the shortcuts
// would reach nothing until the user clicked.
void frmMain::TakeFocusBack() {
    raise();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void frmMain::mnuImproveTimetable_Click() {
    if (!KeepVersionOrAsk(this, m_ctx.db, VersionCause::Improve))
        return;
    frmImproveTimetable dlg(m_ctx, this);
    dlg.exec();
}

// ---- 课表操作 -----------------------------------------------------------------

void frmMain::mnuManualBuild_Click() {
    frmManualSetLesson dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuCheckTimetable_Click() {
    frmCheckTimetable dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuTimetableQuality_Click() {
    frmTimetableQuality dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuPrint_Click() {
    frmPrint dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuExport_Click() {
    frmExport dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuPublish_Click() {
    frmPublish dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuUpgradeAll_Click() {
    if (!ConfirmCommand(this, QStringLiteral("课表学年升级将会清除您以前排好的课表！")))
        return;
    if (!KeepVersionOrAsk(this, m_ctx.db, VersionCause::YearUpgrade))
        return;
    QString why;
    if (!tryUpgradeSchoolYear(m_ctx.db, &why))
        ShowError(this, kTimetableSystem, QStringLiteral("课表学年升级失败！\n") + why);
    else
        ShowInfo(this, kTimetableSystem, QStringLiteral("课表学年升级完成。"));
}

void frmMain::mnuDeleteLessonAll_Click() {
    if (!ConfirmCommand(this, QStringLiteral("删除课表数据将会清除您以前排好的课表！")))
        return;
    if (!KeepVersionOrAsk(this, m_ctx.db, VersionCause::DeleteTimetable))
        return;
    QString why;
    if (!tryDeleteAllLessons(m_ctx.db, &why))
        ShowError(this, kTimetableSystem, QStringLiteral("删除课表失败！\n") + why);
    else
        ShowInfo(this, kTimetableSystem, QStringLiteral("删除课表完成。"));
}

void frmMain::mnuVersions_Click() {
    frmVersions dlg(m_ctx, this);
    dlg.exec();
}

// ---- 系统管理 -----------------------------------------------------------------

void frmMain::mnuDataMaintenance_Click() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString why;
    const bool done = tryMaintainData(m_ctx.db, &why);
    QApplication::restoreOverrideCursor();
    // A failed maintenance is rolled back; saying it was completed would hide that.
    if (done)
        ShowInfo(this, windowTitle(), QStringLiteral("数据维护完成"));
    else
        ShowError(this, windowTitle(), QStringLiteral("数据维护失败！\n") + why);
}

void frmMain::mnuSetLessonNum_Click() {
    frmSetLessonOfDay dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuSchoolName_Click() {
    frmSchoolName dlg(this);
    dlg.exec();
}

void frmMain::mnuDaySchedule_Click() {
    frmDaySchedule dlg(m_ctx, this);
    dlg.exec();
}

// ---- 帮助 ---------------------------------------------------------------------

void frmMain::mnuSimpleManual_Click() {
    frmSimpleManual dlg(this);
    dlg.exec();
}

void frmMain::mnuManual_Click() {
    if (!OpenDocument(ManualUrl()))
        ShowError(this, windowTitle(),
                  QStringLiteral("没有找到可以打开使用手册的浏览器。\n"
                                 "使用手册是下面这个文件，可以用任何浏览器打开：\n%1")
                      .arg(QDir::toNativeSeparators(ManualFile())));
}

void frmMain::mnuOpenDemo_Click() {
    const QString file = FreeDemoFileName();
    QString error;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        error = MakeSchoolFile(file, DemoSchool(DemoSize::Small, kDefaultBuildSeed));
        QApplication::restoreOverrideCursor();
    }
    if (!error.isEmpty()) {
        ShowError(this, windowTitle(), QStringLiteral("写入示例学校失败！\n") + error);
        return;
    }
    if (OpenDatabaseFile(file))
        ShowInfo(this, windowTitle(),
                 QStringLiteral("示例学校已写入并打开：\n%1\n\n"
                                "可以先看看“基础数据”中的名单和教学计划，"
                                "再用“自动排课”→“自动生成课表”排出课表。"
                                "原来的数据库没有改动，可用“文件”→“打开数据库”回到它。")
                     .arg(QDir::toNativeSeparators(file)));
}

void frmMain::mnuToWebsite_Click() {
    OpenAddress(QStringLiteral(KBXT_WEBSITE));
}

void frmMain::mnuForum_Click() {
    OpenAddress(QStringLiteral(KBXT_FORUM));
}

void frmMain::OpenAddress(const QString& address) {
    if (!address.isEmpty() && !OpenDocument(address))
        ShowError(this, windowTitle(),
                  QStringLiteral("没有找到可以打开网页的浏览器。\n网址：%1").arg(address));
}

void frmMain::mnuAbout_Click() {
    frmAbout dlg(this);
    dlg.exec();
}
