#include "gui/output/frmPrint.h"

#include "core/config/AppConfig.h"
#include "core/config/AppPaths.h"
#include "core/formats/PrintQueries.h"
#include "core/store/DayScheduleStore.h"
#include "core/store/Lookups.h"
#include "core/store/SqliteFailure.h"
#include "gui/output/NameChoice.h"
#include "gui/output/PrintComponent.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"
#include "gui/widgets/WaitCursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

namespace {

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QLabel* Label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

QComboBox* NameList(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setMinimumWidth(Twips(2400));
    return c;
}

// The class group and the teacher group: the list with its label and
// previous/next on top, the paper size and the selected/all buttons below.
QGroupBox* ChoiceGroup(QWidget* parent, const char* name, const QString& caption, QLabel* label,
                       QComboBox* list, QPushButton* prev, QPushButton* next, QLabel* paper,
                       QPushButton* one, QPushButton* all) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    auto* grid = new QGridLayout(box);
    grid->addWidget(label, 0, 0);
    grid->addWidget(list, 0, 1);
    grid->addWidget(prev, 0, 2);
    grid->addWidget(next, 0, 3);
    grid->addWidget(paper, 1, 0, 1, 2);
    grid->addWidget(one, 1, 2);
    grid->addWidget(all, 1, 3);
    return box;
}

} // namespace

frmPrint::frmPrint(AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName("frmPrint");
    setWindowTitle(QStringLiteral("打印课表"));
    setFont(SongTi(10));

    lblClass = Label(this, "lblClass", QStringLiteral("班级"));
    CmbClass = NameList(this, "CmbClass");
    CmdPrevClass = Button(this, "CmdPrevClass", QStringLiteral("上一班级(&P)"));
    CmdNextClass = Button(this, "CmdNextClass", QStringLiteral("下一班级(&N)"));
    cmdPrintClass = Button(this, "cmdPrintClass", QStringLiteral("选定班级打印(&C)"));
    cmdPrintAllClass = Button(this, "cmdPrintAllClass", QStringLiteral("全部班级打印(&A)"));
    fraClass = ChoiceGroup(this, "fraClass", QStringLiteral("班级课表打印"), lblClass, CmbClass,
                           CmdPrevClass, CmdNextClass,
                           Label(this, "lblClassPaper", QStringLiteral("（A4纸张）")),
                           cmdPrintClass, cmdPrintAllClass);

    lblTeacher = Label(this, "lblTeacher", QStringLiteral("教师"));
    CmbTeacher = NameList(this, "CmbTeacher");
    CmdPrevTeacher = Button(this, "CmdPrevTeacher", QStringLiteral("上一教师(&U)"));
    CmdNextTeacher = Button(this, "CmdNextTeacher", QStringLiteral("下一教师(&D)"));
    cmdPrintTeacher = Button(this, "cmdPrintTeacher", QStringLiteral("选定教师打印(&T)"));
    cmdPrintAllTeacher = Button(this, "cmdPrintAllTeacher", QStringLiteral("全部教师打印(&L)"));
    fraTeacher = ChoiceGroup(this, "fraTeacher", QStringLiteral("教师课表打印"), lblTeacher,
                             CmbTeacher, CmdPrevTeacher, CmdNextTeacher,
                             Label(this, "lblTeacherPaper", QStringLiteral("（A4纸张）")),
                             cmdPrintTeacher, cmdPrintAllTeacher);

    fraTotal = new QGroupBox(this);
    fraTotal->setObjectName("fraTotal");
    CmdPrintTotal = Button(fraTotal, "CmdPrintTotal", QStringLiteral("总表打印(&Z)"));
    auto* totalRow = new QHBoxLayout(fraTotal);
    totalRow->addWidget(Label(fraTotal, "lblTotalPaper", QStringLiteral("（A3纸张）")));
    totalRow->addStretch();
    totalRow->addWidget(CmdPrintTotal);

    cmdOK = Button(this, "cmdOK", QStringLiteral("退出(&Q)"));
    chkTimes = new QCheckBox(QStringLiteral("节次下显示作息时间(&S)"), this);
    chkTimes->setObjectName("chkTimes");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chkTimes);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraClass);
    layout->addWidget(fraTeacher);
    layout->addWidget(fraTotal);
    layout->addLayout(buttons);

    connect(CmdPrevClass, &QPushButton::clicked, this, &frmPrint::CmdPrevClass_Click);
    connect(CmdNextClass, &QPushButton::clicked, this, &frmPrint::CmdNextClass_Click);
    connect(cmdPrintClass, &QPushButton::clicked, this, &frmPrint::cmdPrintClass_Click);
    connect(cmdPrintAllClass, &QPushButton::clicked, this, &frmPrint::cmdPrintAllClass_Click);
    connect(CmdPrevTeacher, &QPushButton::clicked, this, &frmPrint::CmdPrevTeacher_Click);
    connect(CmdNextTeacher, &QPushButton::clicked, this, &frmPrint::CmdNextTeacher_Click);
    connect(cmdPrintTeacher, &QPushButton::clicked, this, &frmPrint::cmdPrintTeacher_Click);
    connect(cmdPrintAllTeacher, &QPushButton::clicked, this, &frmPrint::cmdPrintAllTeacher_Click);
    connect(CmdPrintTotal, &QPushButton::clicked, this, &frmPrint::CmdPrintTotal_Click);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    Form_Load();
}

// ---- event handlers ----

void frmPrint::Form_Load() {
    // An unreadable list stays empty; its print button then does nothing.
    FillNameChoice(CmbClass, ClassNameList(m_ctx.db));
    FillNameChoice(CmbTeacher, TeacherNameList(m_ctx.db));
}

void frmPrint::CmdPrevClass_Click() {
    StepNameChoice(CmbClass, -1);
}
void frmPrint::CmdNextClass_Click() {
    StepNameChoice(CmbClass, 1);
}
void frmPrint::CmdPrevTeacher_Click() {
    StepNameChoice(CmbTeacher, -1);
}
void frmPrint::CmdNextTeacher_Click() {
    StepNameChoice(CmbTeacher, 1);
}

void frmPrint::cmdPrintClass_Click() {
    if (!CmbClass->currentText().isEmpty())
        PrintTimetable(ScheduleKind::Class, CmbClass->currentText());
}

void frmPrint::cmdPrintAllClass_Click() {
    PrintTimetable(ScheduleKind::AllClasses);
}

void frmPrint::cmdPrintTeacher_Click() {
    if (!CmbTeacher->currentText().isEmpty())
        PrintTimetable(ScheduleKind::Teacher, CmbTeacher->currentText());
}

void frmPrint::cmdPrintAllTeacher_Click() {
    PrintTimetable(ScheduleKind::AllTeachers);
}

void frmPrint::CmdPrintTotal_Click() {
    PrintTimetable(ScheduleKind::Total);
}

// ---- procedures ----

void frmPrint::PrintTimetable(ScheduleKind kind, const QString& name) {
    WaitCursor hourglass;
    int result = 0;
    QString templatePath;
    QString pdfFile;
    try {
        const ScheduleRecords records = QueryScheduleRecords(m_ctx.db, kind, name);
        if (records.empty()) {
            result = -102;
        } else {
            const QString document = AppFilePath(QStringLiteral("tmp.xml"));
            SavePrintDocument(kind, document, records, m_ctx.lessonsPerDay, CurrentTimetableTitle(),
                              chkTimes->isChecked()
                                  ? LessonTimeTexts(LoadDaySchedule(m_ctx.db), m_ctx.lessonsPerDay)
                                  : QStringList());
            templatePath = ResourcePath(PrintTemplateFileName(kind, m_ctx.lessonsPerDay));
            result = static_cast<qint16>(PrintWithPreview(
                document, templatePath, OfferedFileName(kind, name, QString()), &pdfFile));
        }
    } catch (const std::exception& e) {
        hourglass.restore();
        ShowError(this, windowTitle(),
                  QStringLiteral("打印失败！") + AsFailure(e, m_ctx.db.path()).message());
        return;
    }
    hourglass.restore();
    if (result == kPrintDone && !pdfFile.isEmpty())
        ShowSaved(this, windowTitle(), QStringLiteral("打印完成"), pdfFile);
    else
        ReportPrintResult(result, templatePath);
}

void frmPrint::ReportPrintResult(int result, const QString& templatePath) {
    switch (result) {
    case kPrintDone:
        ShowInfo(this, windowTitle(), QStringLiteral("打印完成"));
        break;
    case kPrintCancelled: // the user's choice, not a failure
        break;
    case -102:
    case kPrintNothingToPrint:
        ShowInfo(this, windowTitle(), QStringLiteral("没有课表数据"));
        break;
    case kPrintBadTemplate:
        ShowError(this, windowTitle(),
                  QStringLiteral("打印失败！打印模板缺失或损坏：%1\n请重新安装本软件。")
                      .arg(templatePath));
        break;
    case kPrintBadDocument:
        ShowError(this, windowTitle(),
                  QStringLiteral("打印失败！无法读取打印文档：%1")
                      .arg(AppFilePath(QStringLiteral("tmp.xml"))));
        break;
    default:
        ShowError(
            this, windowTitle(),
            QStringLiteral("打印失败！打印机或 PDF 文件没有写成，请检查打印机或磁盘后再试。"));
    }
}
