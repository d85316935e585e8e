#include "gui/shell/frmMain.h"

#include "gui/basedata/frmClassInput.h"
#include "gui/basedata/frmClassPlanInput.h"
#include "gui/basedata/frmClassRoomInput.h"
#include "gui/basedata/frmCourseInput.h"
#include "gui/basedata/frmTeacherInput.h"
#include "gui/generation/frmAutoBuild.h"
#include "gui/generation/frmAutoComplete.h"
#include "core/store/Lookups.h"
#include "core/store/Maintenance.h"
#include "core/store/PlanCheckStore.h"
#include "gui/limits/frmClassLimitInput.h"
#include "gui/limits/frmClassRoomLimitInput.h"
#include "gui/limits/frmCourseLimitInput.h"
#include "gui/limits/frmSetLessonOfDay.h"
#include "gui/limits/frmTeacherLimitInput.h"
#include "gui/manual/frmManualSetLesson.h"
#include "gui/manual/frmSetLesson.h"
#include "gui/output/frmExport.h"
#include "gui/output/frmPrint.h"
#include "core/config/AppConfig.h"
#include "gui/widgets/AppContext.h"
#include "core/config/AppPaths.h"
#include "gui/shell/frmAbout.h"
#include "gui/shell/frmConfirm.h"
#include "gui/shell/frmSchoolName.h"
#include "gui/shell/frmSimpleManual.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QUrl>

namespace {
const QString kDbFilter = QStringLiteral("数据库(*.db)");
const QString kTimetableSystem = QStringLiteral("课表系统");

// Copies source over target through a temporary file, so a failed copy leaves
// an existing target as it was.
bool ReplaceCopy(const QString& source, const QString& target) {
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return QFileInfo::exists(source);
    const QString temp = target + QStringLiteral(".kbxt-copy");
    QFile::remove(temp);
    if (!QFile::copy(source, temp))
        return false;
    QFile::setPermissions(temp, QFile::permissions(temp) | QFile::WriteOwner);
    if (QFileInfo::exists(target) && !QFile::remove(target)) {
        QFile::remove(temp);
        return false;
    }
    return QFile::rename(temp, target);
}
} // namespace

void OpenDocument(const QString& target) {
    const QUrl url =
        target.contains(QStringLiteral("://")) ? QUrl(target) : QUrl::fromLocalFile(target);
    QDesktopServices::openUrl(url);
}

QString ManualUrl() {
    return QUrl::fromLocalFile(ResourcePath(QStringLiteral("使用手册/使用手册.html"))).toString();
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
    BuildMenu();
    LoadBackground();
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

    mnuFile = menu(bar->addMenu(QStringLiteral("文件")), "mnuFile");
    action(mnuFile, mnuOpenDb, "mnuOpenDb", "打开数据库", &frmMain::mnuOpenDb_Click);
    action(mnuFile, mnuDbSaveAs, "mnuDbSaveAs", "数据库另存为...", &frmMain::mnuDbSaveAs_Click);
    action(mnuFile, mnuEnd, "mnuEnd", "退出", &frmMain::mnuEnd_Click);

    mnuBasicData = menu(bar->addMenu(QStringLiteral("基础数据")), "mnuBasicData");
    action(mnuBasicData, mnuClassList, "mnuClassList", "班级名单", &frmMain::mnuClassList_Click);
    action(mnuBasicData, mnuCourseList, "mnuCourseList", "课程名单", &frmMain::mnuCourseList_Click);
    action(mnuBasicData, mnuTeacherList, "mnuTeacherList", "老师名单",
           &frmMain::mnuTeacherList_Click);
    action(mnuBasicData, mnuClassRoomList, "mnuClassRoomList", "公共教室名单",
           &frmMain::mnuClassRoomList_Click);
    action(mnuBasicData, mnuClassPlan, "mnuClassPlan", "各班教学计划",
           &frmMain::mnuClassPlan_Click);

    mnuAuto = menu(bar->addMenu(QStringLiteral("自动排课")), "mnuAuto");
    mnuLimit = menu(mnuAuto->addMenu(QStringLiteral("上课时间限制条件")), "mnuLimit");
    action(mnuLimit, mnuClassLimit, "mnuClassLimit", "班级上课时间限制",
           &frmMain::mnuClassLimit_Click);
    action(mnuLimit, mnuCourseLimit, "mnuCourseLimit", "课程上课时间限制",
           &frmMain::mnuCourseLimit_Click);
    action(mnuLimit, mnuTeacherLimit, "mnuTeacherLimit", "老师上课时间限制",
           &frmMain::mnuTeacherLimit_Click);
    action(mnuLimit, mnuClassroomLimit, "mnuClassroomLimit", "教室上课时间限制",
           &frmMain::mnuClassroomLimit_Click);
    action(mnuAuto, mnuPrepairBuild, "mnuPrepairBuild", "预先安排固定课程",
           &frmMain::mnuPrepairBuild_Click);
    action(mnuAuto, mnuAutoBuild, "mnuAutoBuild", "自动生成课表", &frmMain::mnuAutoBuild_Click);
    action(mnuAuto, mnuAutoComplete, "mnuAutoComplete", "自动补排",
           &frmMain::mnuAutoComplete_Click);

    mnuBuildKb = menu(bar->addMenu(QStringLiteral("课表操作")), "mnuBuildKb");
    action(mnuBuildKb, mnuManualBuild, "mnuManualBuild", "手工调整课表",
           &frmMain::mnuManualBuild_Click);
    action(mnuBuildKb, mnuPrint, "mnuPrint", "打印课表", &frmMain::mnuPrint_Click);
    action(mnuBuildKb, mnuExport, "mnuExport", "导出课表到Excel", &frmMain::mnuExport_Click);
    action(mnuBuildKb, mnuUpgradeAll, "mnuUpgradeAll", "课表学年升级",
           &frmMain::mnuUpgradeAll_Click);
    action(mnuBuildKb, mnuDeleteLessonAll, "mnuDeleteLessonAll", "删除课表数据",
           &frmMain::mnuDeleteLessonAll_Click);

    mnuManager = menu(bar->addMenu(QStringLiteral("系统管理")), "mnuManager");
    action(mnuManager, mnuDataMaintenance, "mnuDataMaintenance", "数据维护",
           &frmMain::mnuDataMaintenance_Click);
    action(mnuManager, mnuSetLessonNum, "mnuSetLessonNum", "每天课时设置",
           &frmMain::mnuSetLessonNum_Click);
    action(mnuManager, mnuSchoolName, "mnuSchoolName", "学校名称设置",
           &frmMain::mnuSchoolName_Click);

    mnuHelp = menu(bar->addMenu(QStringLiteral("帮助")), "mnuHelp");
    action(mnuHelp, mnuSimpleManual, "mnuSimpleManual", "简要使用说明",
           &frmMain::mnuSimpleManual_Click);
    action(mnuHelp, mnuManual, "mnuManual", "使用手册", &frmMain::mnuManual_Click);
    action(mnuHelp, mnuToWebsite, "mnuToWebsite", "访问网站", &frmMain::mnuToWebsite_Click);
    action(mnuHelp, mnuForum, "mnuForum", "使用交流", &frmMain::mnuForum_Click);
    action(mnuHelp, mnuAbout, "mnuAbout", "关于", &frmMain::mnuAbout_Click);

    // Present with their handlers, never offered.
    // The class and teacher limits steer generation and completion; the
    // classroom ones would not: the plan names no classrooms.
    for (QAction* hidden : {mnuClassRoomList, mnuClassroomLimit, mnuDataMaintenance, mnuForum})
        hidden->setVisible(false);
}

void frmMain::closeEvent(QCloseEvent* e) {
    // Closing the window in any way is the end command.
    if (!m_ending)
        mnuEnd_Click();
    e->accept();
}

// ---- 文件 -------------------------------------------------------------------

void frmMain::mnuOpenDb_Click() {
    try {
        const QString file =
            UiDialogs::instance().openFileName(this, QStringLiteral("选择数据库文件"), kDbFilter);
        if (file.isEmpty())
            return;
        const QString previous = CurrentDbFileName();
        CloseTimetableDb(m_ctx.db);
        if (OpenTimetableDb(m_ctx.db, file)) {
            const QString path = m_ctx.db.path();
            SetCaption(QString::fromUtf8(kProductName) + QStringLiteral(" -- ") + path);
            if (!WriteDbFileName(path))
                ShowError(this, windowTitle(), QStringLiteral("保存新数据库文件名！"));
            return;
        }
        ShowError(this, m_ctx.systemTitle, QStringLiteral("打开数据库失败！"));
        OpenTimetableDb(m_ctx.db, previous);
    } catch (const std::exception&) {
        ShowError(this, windowTitle(), QStringLiteral("系统异常错误！"));
    }
}

void frmMain::mnuDbSaveAs_Click() {
    const QString file =
        UiDialogs::instance().saveFileName(this, QStringLiteral("数据库另存为"), kDbFilter);
    if (file.isEmpty())
        return;
    const QString current = CurrentDbFileName();
    CloseTimetableDb(m_ctx.db);
    const bool copied = ReplaceCopy(current, file);
    // Unlike the old program, the current database is reopened after a failed
    // copy too: the user keeps working instead of facing a closed database.
    const bool reopened = OpenTimetableDb(m_ctx.db, current);
    if (!copied)
        ShowError(this, windowTitle(), QStringLiteral("保存数据库文件错误！"));
    if (!reopened)
        ShowError(this, m_ctx.systemTitle, QStringLiteral("打开数据库失败！"));
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

void frmMain::mnuClassRoomList_Click() {
    frmClassRoomInput dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuClassPlan_Click() {
    frmClassPlanInput dlg(m_ctx, this);
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
        planProblems = PlanProblemLines(CheckPlan(ReadPlanCheckInput(m_ctx.db, m_ctx.lessonsPerDay)));
    } catch (const std::exception&) {
        // An unreadable plan fails the generation itself, which says so.
    }
    if (!ConfirmCommand(this, QStringLiteral("自动生成课表将会清除您以前排好的课表！"),
                        planProblems))
        return;
    bool complete = false;
    {
        frmAutoBuild dlg(m_ctx, this);
        dlg.exec();
        complete = dlg.mblnComplete;
    }
    if (complete)
        mnuAutoComplete_Click();
}

void frmMain::mnuAutoComplete_Click() {
    frmAutoComplete dlg(m_ctx, this);
    dlg.exec();
}

// ---- 课表操作 -----------------------------------------------------------------

void frmMain::mnuManualBuild_Click() {
    frmManualSetLesson dlg(m_ctx, this);
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

void frmMain::mnuUpgradeAll_Click() {
    if (!ConfirmCommand(this, QStringLiteral("课表学年升级将会清除您以前排好的课表！")))
        return;
    if (UpgradeSchoolYear(m_ctx.db))
        ShowError(this, kTimetableSystem, QStringLiteral("课表学年升级失败！"));
    else
        ShowInfo(this, kTimetableSystem, QStringLiteral("课表学年升级完成。"));
}

void frmMain::mnuDeleteLessonAll_Click() {
    if (!ConfirmCommand(this, QStringLiteral("删除课表数据将会清除您以前排好的课表！")))
        return;
    if (DeleteAllLessons(m_ctx.db))
        ShowError(this, kTimetableSystem, QStringLiteral("删除课表失败！"));
    else
        ShowInfo(this, kTimetableSystem, QStringLiteral("删除课表完成。"));
}

// ---- 系统管理 -----------------------------------------------------------------

void frmMain::mnuDataMaintenance_Click() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool failed = MaintainData(m_ctx.db);
    QApplication::restoreOverrideCursor();
    // A failed maintenance is rolled back; saying it was completed would hide that.
    if (failed)
        ShowError(this, windowTitle(), QStringLiteral("数据维护失败！"));
    else
        ShowInfo(this, windowTitle(), QStringLiteral("数据维护完成"));
}

void frmMain::mnuSetLessonNum_Click() {
    frmSetLessonOfDay dlg(m_ctx, this);
    dlg.exec();
}

void frmMain::mnuSchoolName_Click() {
    frmSchoolName dlg(this);
    dlg.exec();
}

// ---- 帮助 ---------------------------------------------------------------------

void frmMain::mnuSimpleManual_Click() {
    frmSimpleManual dlg(this);
    dlg.exec();
}

void frmMain::mnuManual_Click() {
    OpenDocument(ManualUrl());
}

void frmMain::mnuToWebsite_Click() {
    OpenDocument(QStringLiteral(KBXT_WEBSITE));
}

void frmMain::mnuForum_Click() {
    OpenDocument(QStringLiteral(KBXT_FORUM));
}

void frmMain::mnuAbout_Click() {
    frmAbout dlg(this);
    dlg.exec();
}
