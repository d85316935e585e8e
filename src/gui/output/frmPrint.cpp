#include "gui/output/frmPrint.h"

#include "core/config/AppConfig.h"
#include "core/config/AppPaths.h"
#include "core/output/PrintQueries.h"
#include "core/store/Lookups.h"
#include "gui/output/NameChoice.h"
#include "gui/output/PrintComponent.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QApplication>
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

QLabel* PaperNote(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

// Restores the pointer however the print job ends.
class Hourglass {
public:
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { restore(); }
    void restore() {
        if (m_on)
            QApplication::restoreOverrideCursor();
        m_on = false;
    }

private:
    bool m_on = true;
};

} // namespace

frmPrint::frmPrint(AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName("frmPrint");
    setWindowTitle(QStringLiteral("打印课表"));
    setFont(SongTi(10));

    fraClass = new QGroupBox(QStringLiteral("班级课表打印"), this);
    fraClass->setObjectName("fraClass");
    lblClass = new QLabel(QStringLiteral("班级"), fraClass);
    lblClass->setObjectName("lblClass");
    CmbClass = new QComboBox(fraClass);
    CmbClass->setObjectName("CmbClass");
    CmbClass->setMinimumWidth(Twips(2400));
    CmdPrevClass = Button(fraClass, "CmdPrevClass", QStringLiteral("上一班级"));
    CmdNextClass = Button(fraClass, "CmdNextClass", QStringLiteral("下一班级"));
    cmdPrintClass = Button(fraClass, "cmdPrintClass", QStringLiteral("选定班级打印"));
    cmdPrintAllClass = Button(fraClass, "cmdPrintAllClass", QStringLiteral("全部班级打印"));
    auto* classGrid = new QGridLayout(fraClass);
    classGrid->addWidget(lblClass, 0, 0);
    classGrid->addWidget(CmbClass, 0, 1);
    classGrid->addWidget(CmdPrevClass, 0, 2);
    classGrid->addWidget(CmdNextClass, 0, 3);
    classGrid->addWidget(PaperNote(fraClass, "lblClassPaper", QStringLiteral("（A4纸张）")), 1, 0,
                         1, 2);
    classGrid->addWidget(cmdPrintClass, 1, 2);
    classGrid->addWidget(cmdPrintAllClass, 1, 3);

    fraTeacher = new QGroupBox(QStringLiteral("教师课表打印"), this);
    fraTeacher->setObjectName("fraTeacher");
    lblTeacher = new QLabel(QStringLiteral("教师"), fraTeacher);
    lblTeacher->setObjectName("lblTeacher");
    CmbTeacher = new QComboBox(fraTeacher);
    CmbTeacher->setObjectName("CmbTeacher");
    CmbTeacher->setMinimumWidth(Twips(2400));
    CmdPrevTeacher = Button(fraTeacher, "CmdPrevTeacher", QStringLiteral("上一教师"));
    CmdNextTeacher = Button(fraTeacher, "CmdNextTeacher", QStringLiteral("下一教师"));
    cmdPrintTeacher = Button(fraTeacher, "cmdPrintTeacher", QStringLiteral("选定教师打印"));
    cmdPrintAllTeacher = Button(fraTeacher, "cmdPrintAllTeacher", QStringLiteral("全部教师打印"));
    auto* teacherGrid = new QGridLayout(fraTeacher);
    teacherGrid->addWidget(lblTeacher, 0, 0);
    teacherGrid->addWidget(CmbTeacher, 0, 1);
    teacherGrid->addWidget(CmdPrevTeacher, 0, 2);
    teacherGrid->addWidget(CmdNextTeacher, 0, 3);
    teacherGrid->addWidget(PaperNote(fraTeacher, "lblTeacherPaper", QStringLiteral("（A4纸张）")),
                           1, 0, 1, 2);
    teacherGrid->addWidget(cmdPrintTeacher, 1, 2);
    teacherGrid->addWidget(cmdPrintAllTeacher, 1, 3);

    fraTotal = new QGroupBox(this);
    fraTotal->setObjectName("fraTotal");
    CmdPrintTotal = Button(fraTotal, "CmdPrintTotal", QStringLiteral("总表打印"));
    auto* totalRow = new QHBoxLayout(fraTotal);
    totalRow->addWidget(PaperNote(fraTotal, "lblTotalPaper", QStringLiteral("（A3纸张）")));
    totalRow->addStretch();
    totalRow->addWidget(CmdPrintTotal);

    cmdOK = Button(this, "cmdOK", QStringLiteral("退出(&Q)"));
    auto* buttons = new QHBoxLayout;
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
    Hourglass hourglass;
    int result = 0;
    try {
        const ScheduleRecords records = QueryScheduleRecords(m_ctx.db, kind, name);
        if (records.empty()) {
            result = -102;
        } else {
            const QString document = AppFilePath(QStringLiteral("tmp.xml"));
            result =
                WritePrintDocument(kind, document, records, m_ctx.lessonsPerDay, GetSchoolName());
            if (result == 0) {
                const QString templatePath =
                    ResourcePath(PrintTemplateFileName(kind, m_ctx.lessonsPerDay));
                int none1 = 0, none2 = 0, none3 = 0;
                result = static_cast<qint16>(PrintOneCustomXml(
                    document, QString(), templatePath, none1, none2, none3, QString(), 'T'));
            }
        }
    } catch (const std::exception& e) {
        hourglass.restore();
        ShowError(this, windowTitle(), QStringLiteral("打印失败！") + QString::fromUtf8(e.what()));
        return;
    }
    hourglass.restore();
    ReportPrintResult(result);
}

void frmPrint::ReportPrintResult(int result) {
    if (result == 0)
        ShowInfo(this, windowTitle(), QStringLiteral("打印完成"));
    else if (result == -102)
        ShowInfo(this, windowTitle(), QStringLiteral("没有课表数据"));
    else
        ShowError(this, windowTitle(), QStringLiteral("打印失败！(ret = %1)").arg(result));
}
