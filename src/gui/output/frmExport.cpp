#include "gui/output/frmExport.h"
#include "core/store/SqliteFailure.h"

#include "core/config/AppConfig.h"
#include "core/store/DayScheduleStore.h"
#include "core/store/Lookups.h"
#include "gui/output/NameChoice.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"
#include "gui/widgets/WaitCursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setMinimumWidth(Twips(1500));
    return b;
}

QComboBox* List(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setMinimumWidth(Twips(2400));
    return c;
}

// One group of the window: a list with its label, previous/next, and the
// selected/all buttons.
QGroupBox* Group(QWidget* parent, const QString& caption, QLabel* label, QComboBox* list,
                 QPushButton* prev, QPushButton* next, QPushButton* one, QPushButton* all) {
    auto* box = new QGroupBox(caption, parent);
    auto* grid = new QGridLayout(box);
    grid->addWidget(label, 0, 0);
    grid->addWidget(list, 0, 1, 1, 2);
    grid->addWidget(prev, 1, 1);
    grid->addWidget(next, 1, 2);
    grid->addWidget(one, 2, 1);
    grid->addWidget(all, 2, 2);
    return box;
}

} // namespace

frmExport::frmExport(AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName("frmExport");
    setWindowTitle(QStringLiteral("导出课表到Excel"));
    setFont(SongTi(10));

    lblClass = new QLabel(QStringLiteral("班级"), this);
    lblClass->setObjectName("lblClass");
    CmbClass = List(this, "CmbClass");
    CmdPrevClass = Button(this, "CmdPrevClass", "上一班级(&P)");
    CmdNextClass = Button(this, "CmdNextClass", "下一班级(&N)");
    cmdExportClass = Button(this, "cmdExportClass", "导出选定班级(&C)");
    cmdExportAllClass = Button(this, "cmdExportAllClass", "导出全部班级(&A)");
    auto* lblTeacher = new QLabel(QStringLiteral("教师"), this);
    lblTeacher->setObjectName("lblTeacher");
    CmbTeacher = List(this, "CmbTeacher");
    CmdPrevTeacher = Button(this, "CmdPrevTeacher", "上一教师(&U)");
    CmdNextTeacher = Button(this, "CmdNextTeacher", "下一教师(&D)");
    cmdExportTeacher = Button(this, "cmdExportTeacher", "导出选定教师(&T)");
    cmdExportAllTeacher = Button(this, "cmdExportAllTeacher", "导出全部教师(&L)");
    CmdExportTotal = Button(this, "CmdExportTotal", "导出总表(&Z)");
    cmdOK = Button(this, "cmdOK", "退出(&Q)");

    auto* fraTotal = new QGroupBox(this);
    fraTotal->setObjectName("fraTotal");
    auto* totalRow = new QHBoxLayout(fraTotal);
    totalRow->addWidget(CmdExportTotal);
    totalRow->addStretch();
    totalRow->addWidget(cmdOK);

    auto* layout = new QVBoxLayout(this);
    QGroupBox* fraClass = Group(this, QStringLiteral("导出班级课表"), lblClass, CmbClass,
                                CmdPrevClass, CmdNextClass, cmdExportClass, cmdExportAllClass);
    fraClass->setObjectName("fraClass");
    QGroupBox* fraTeacher =
        Group(this, QStringLiteral("导出教师课表"), lblTeacher, CmbTeacher, CmdPrevTeacher,
              CmdNextTeacher, cmdExportTeacher, cmdExportAllTeacher);
    fraTeacher->setObjectName("fraTeacher");
    layout->addWidget(fraClass);
    layout->addWidget(fraTeacher);
    layout->addWidget(fraTotal);
    chkTimes = new QCheckBox(QStringLiteral("节次下显示作息时间(&S)"), this);
    chkTimes->setObjectName("chkTimes");
    layout->addWidget(chkTimes);

    connect(CmdPrevClass, &QPushButton::clicked, this, &frmExport::CmdPrevClass_Click);
    connect(CmdNextClass, &QPushButton::clicked, this, &frmExport::CmdNextClass_Click);
    connect(CmdPrevTeacher, &QPushButton::clicked, this, &frmExport::CmdPrevTeacher_Click);
    connect(CmdNextTeacher, &QPushButton::clicked, this, &frmExport::CmdNextTeacher_Click);
    connect(cmdExportClass, &QPushButton::clicked, this,
            [this] { ExportTimetable(ScheduleKind::Class); });
    connect(cmdExportAllClass, &QPushButton::clicked, this,
            [this] { ExportTimetable(ScheduleKind::AllClasses); });
    connect(cmdExportTeacher, &QPushButton::clicked, this,
            [this] { ExportTimetable(ScheduleKind::Teacher); });
    connect(cmdExportAllTeacher, &QPushButton::clicked, this,
            [this] { ExportTimetable(ScheduleKind::AllTeachers); });
    connect(CmdExportTotal, &QPushButton::clicked, this,
            [this] { ExportTimetable(ScheduleKind::Total); });
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    Form_Load();
}

// ---- event handlers ---------------------------------------------------------

void frmExport::Form_Load() {
    // An unreadable list stays empty; its export buttons then do nothing.
    FillNameChoice(CmbClass, ClassNameList(m_ctx.db));
    FillNameChoice(CmbTeacher, TeacherNameList(m_ctx.db));
}

void frmExport::CmdPrevClass_Click() {
    StepNameChoice(CmbClass, -1);
}
void frmExport::CmdNextClass_Click() {
    StepNameChoice(CmbClass, +1);
}
void frmExport::CmdPrevTeacher_Click() {
    StepNameChoice(CmbTeacher, -1);
}
void frmExport::CmdNextTeacher_Click() {
    StepNameChoice(CmbTeacher, +1);
}

// ---- procedures -------------------------------------------------------------

// Offers a name saying what the workbook holds, in the folder used last.
QString frmExport::AskExportFile(ScheduleKind kind, const QString& selected) {
    const QString folder = GetOutputFolder().isEmpty() ? DocumentsFolder() : GetOutputFolder();
    QString file = UiDialogs::instance().saveFileName(
        this, QStringLiteral("保存为Excel文件"), QStringLiteral("Excel工作簿(*.xlsx)"),
        QDir(folder).filePath(OfferedFileName(kind, selected, QStringLiteral(".xlsx"))));
    if (file.isEmpty() || !QFileInfo(file).suffix().isEmpty())
        return file;
    file += QStringLiteral(".xlsx");
    // The dialog asked about replacing the name as typed, not this one.
    if (QFileInfo::exists(file) &&
        !AskYesNo(this, windowTitle(),
                  QStringLiteral("%1 已存在。\n要替换它吗？").arg(QFileInfo(file).fileName()),
                  UiDialogs::Icon::Warning))
        return QString();
    return file;
}

void frmExport::ExportTimetable(ScheduleKind kind) {
    QString selected;
    if (kind == ScheduleKind::Class || kind == ScheduleKind::Teacher) {
        selected = (kind == ScheduleKind::Class ? CmbClass : CmbTeacher)->currentText();
        if (selected.isEmpty())
            return;
    }
    const QString file = AskExportFile(kind, selected);
    if (file.isEmpty())
        return;
    WriteOutputFolder(QFileInfo(file).absolutePath());
    Result result = kSaved;
    QString reason;
    try {
        WaitCursor hourglass;
        const QStringList lessonTimes =
            chkTimes->isChecked() ? LessonTimeTexts(LoadDaySchedule(m_ctx.db), m_ctx.lessonsPerDay)
                                  : QStringList();
        if (!ExportSchedule(m_ctx.db, kind, selected, file, m_ctx.lessonsPerDay,
                            CurrentTimetableTitle(), lessonTimes))
            result = kNoData;
    } catch (const WorkbookFailure& e) {
        result = e.stage() == WorkbookFailure::Stage::Create ? kCannotCreate : kFailed;
        reason = e.message();
    } catch (const std::exception& e) {
        ShowError(this, windowTitle(),
                  QStringLiteral("课表导出失败！") + AsFailure(e, m_ctx.db.path()).message());
        return;
    }
    ReportResult(kind, result, reason, file);
}

void frmExport::ReportResult(ScheduleKind kind, Result result, const QString& reason,
                             const QString& file) {
    if (result == kSaved) {
        ShowSaved(this, windowTitle(), QStringLiteral("课表导出成功"), file);
    } else if (result == kNoData) {
        const QString text = kind == ScheduleKind::Class ? QStringLiteral("该班级没有课表数据")
                             : kind == ScheduleKind::Teacher ? QStringLiteral("该教师没有课表数据")
                                                             : QStringLiteral("没有课表数据");
        ShowInfo(this, windowTitle(), text);
    } else if (!reason.isEmpty()) {
        ShowError(this, windowTitle(), QStringLiteral("课表导出失败！") + reason);
    } else if (result == kCannotCreate && kind != ScheduleKind::Total) {
        // No spreadsheet program is needed here: -101 means the file itself could
        // not be created, so point the user at the place chosen, not at Office.
        ShowError(this, windowTitle(),
                  QStringLiteral("课表导出失败！无法创建文件，请检查保存位置是否存在、是否可写。"));
    } else {
        ShowError(this, windowTitle(),
                  QStringLiteral("课表导出失败！(ret = %1)").arg(static_cast<int>(result)));
    }
}
