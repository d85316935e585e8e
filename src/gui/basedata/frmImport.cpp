#include "gui/basedata/frmImport.h"

#include "core/formats/ImportTemplate.h"
#include "core/formats/ScheduleWorkbook.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"
#include "gui/widgets/WaitCursor.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("从Excel导入");

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setMinimumWidth(Twips(1500));
    return b;
}

QTreeWidgetItem* Group(QTreeWidget* tree, const QString& caption, int count) {
    auto* item = new QTreeWidgetItem(tree, {QStringLiteral("%1（%2）").arg(caption).arg(count)});
    item->setFirstColumnSpanned(true);
    QFont bold = item->font(0);
    bold.setBold(true);
    item->setFont(0, bold);
    return item;
}

} // namespace

frmImport::frmImport(AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName("frmImport");
    setWindowTitle(kTitle);
    setFont(SongTi(10));
    resize(Twips(11000), Twips(8000));

    cmdOpen = Button(this, "cmdOpen", "选择文件(&O)…");
    cmdTemplate = Button(this, "cmdTemplate", "导出导入模板(&T)…");
    cmdImport = Button(this, "cmdImport", "导入(&I)");
    cmdOK = Button(this, "cmdOK", "退出(&Q)");
    cmdImport->setEnabled(false);
    lblFile = new QLabel(QStringLiteral("请选择要导入的Excel工作簿（.xlsx）或CSV文件。"), this);
    lblFile->setObjectName("lblFile");
    lblFile->setWordWrap(true);
    lblSummary = new QLabel(this);
    lblSummary->setObjectName("lblSummary");
    lblSummary->setWordWrap(true);
    lstPreview = new QTreeWidget(this);
    lstPreview->setObjectName("lstPreview");
    lstPreview->setHeaderLabels({QStringLiteral("名单"), QStringLiteral("内容")});
    lstPreview->header()->resizeSection(0, Twips(2400));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdOpen);
    buttons->addWidget(cmdTemplate);
    buttons->addStretch();
    buttons->addWidget(cmdImport);
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblFile);
    layout->addWidget(lstPreview, 1);
    layout->addWidget(lblSummary);
    layout->addLayout(buttons);

    connect(cmdOpen, &QPushButton::clicked, this, &frmImport::cmdOpen_Click);
    connect(cmdTemplate, &QPushButton::clicked, this, &frmImport::cmdTemplate_Click);
    connect(cmdImport, &QPushButton::clicked, this, &frmImport::cmdImport_Click);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

// ---- event handlers ---------------------------------------------------------

void frmImport::cmdOpen_Click() {
    const QString file = UiDialogs::instance().openFileName(
        this, QStringLiteral("选择要导入的文件"),
        QStringLiteral("Excel工作簿或CSV文件(*.xlsx *.csv);;Excel工作簿(*.xlsx);;CSV文件(*.csv)"));
    if (!file.isEmpty())
        LoadFile(file);
}

void frmImport::cmdTemplate_Click() {
    QString file = UiDialogs::instance().saveFileName(this, QStringLiteral("导出导入模板"),
                                                      QStringLiteral("Excel工作簿(*.xlsx)"));
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty()) {
        file += QStringLiteral(".xlsx");
        if (QFileInfo::exists(file) &&
            !AskYesNo(this, kTitle,
                      QStringLiteral("%1 已存在。\n要替换它吗？").arg(QFileInfo(file).fileName()),
                      UiDialogs::Icon::Warning))
            return;
    }
    bool saved = true;
    try {
        WriteImportTemplate(m_ctx.db, file);
    } catch (const std::exception&) {
        saved = false; // one message for every cause: the place chosen is the likely one
    }
    if (saved)
        ShowInfo(this, kTitle,
                 QStringLiteral("导入模板已导出。\n里面是现有的班级、课程、老师、教学计划和"
                                "不排时间，在Excel中增改后可以再导入。"));
    else
        ShowError(this, kTitle,
                  QStringLiteral("导出导入模板失败！请检查保存位置是否存在、是否可写。"));
}

void frmImport::cmdImport_Click() {
    if (!m_loaded || m_preview.hasProblems() || m_preview.additions.isEmpty())
        return;
    if (!AskYesNo(this, kTitle, ConfirmText(m_preview)))
        return;
    try {
        WaitCursor hourglass;
        WriteImport(m_ctx.db, m_preview.additions);
    } catch (const std::exception& e) {
        ShowError(this, kTitle,
                  QStringLiteral("导入失败，数据没有改变。\n") +
                      FailureMessage(e, QStringLiteral("写入数据库失败"), m_ctx.db.path()));
        return;
    }
    const QString done = DoneText(m_preview);
    m_loaded = false;
    m_preview = ImportPreview();
    lstPreview->clear();
    cmdImport->setEnabled(false);
    lblSummary->setText(done);
    ShowInfo(this, kTitle, lblSummary->text());
}

// ---- procedures -------------------------------------------------------------

bool frmImport::LoadFile(const QString& fileName) {
    m_loaded = false;
    lstPreview->clear();
    cmdImport->setEnabled(false);
    lblFile->setText(QStringLiteral("文件：") + QFileInfo(fileName).fileName());
    try {
        WaitCursor hourglass;
        m_preview = PrepareImport(m_ctx.db, ReadSheets(fileName));
    } catch (const Failure& e) {
        lblSummary->clear();
        ShowError(this, kTitle, e.message());
        return false;
    } catch (const std::exception& e) {
        lblSummary->clear();
        ShowError(this, kTitle, FailureMessage(e, QStringLiteral("读取数据库失败")));
        return false;
    }
    m_loaded = true;
    ShowPreview();
    return true;
}

void frmImport::ShowPreview() {
    QTreeWidgetItem* wrong =
        Group(lstPreview, QStringLiteral("有错的行"), static_cast<int>(m_preview.problems.size()));
    for (const ImportProblem& p : m_preview.problems)
        (new QTreeWidgetItem(wrong, {ProblemPlace(p), p.reason}))->setToolTip(1, p.reason);
    QTreeWidgetItem* added =
        Group(lstPreview, QStringLiteral("将添加"), static_cast<int>(m_preview.added.size()));
    for (const ImportLine& l : m_preview.added)
        new QTreeWidgetItem(added, {l.list, l.text});
    QTreeWidgetItem* changed =
        Group(lstPreview, QStringLiteral("将修改"), static_cast<int>(m_preview.changed.size()));
    for (const ImportLine& l : m_preview.changed)
        new QTreeWidgetItem(changed, {l.list, l.text});
    QTreeWidgetItem* existing = Group(lstPreview, QStringLiteral("已存在，不变"),
                                      static_cast<int>(m_preview.existing.size()));
    for (const ImportLine& l : m_preview.existing)
        new QTreeWidgetItem(existing, {l.list, l.text});
    for (const QString& note : m_preview.notes)
        new QTreeWidgetItem(lstPreview, {QStringLiteral("注意"), note});
    wrong->setExpanded(true);
    added->setExpanded(true);
    changed->setExpanded(true);
    existing->setExpanded(m_preview.problems.isEmpty() && m_preview.added.isEmpty() &&
                          m_preview.changed.isEmpty());
    lstPreview->resizeColumnToContents(0);

    if (m_preview.hasProblems())
        lblSummary->setText(QStringLiteral("有 %1 处错误，请在表格中改正后重新选择文件；"
                                           "有错时不导入任何数据。")
                                .arg(m_preview.problems.size()));
    else if (m_preview.additions.isEmpty())
        lblSummary->setText(QStringLiteral("没有要添加或修改的内容：文件中的都已存在。"));
    else
        lblSummary->setText(
            QStringLiteral("将添加 %1 项，修改 %2 项，已存在 %3 项。按“导入”写入数据库。")
                .arg(m_preview.added.size())
                .arg(m_preview.changed.size())
                .arg(m_preview.existing.size()));
    cmdImport->setEnabled(!m_preview.hasProblems() && !m_preview.additions.isEmpty());
}
