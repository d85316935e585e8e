#include "gui/basedata/frmClassInput.h"
#include "core/model/TextRules.h"

#include "core/model/ClassNames.h"
#include "gui/widgets/RecordList.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {
const QString kCheckTitle = QStringLiteral("输入信息检查");

bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

frmClassInput::frmClassInput(AppContext& ctx, QWidget* parent)
    : RecordEditor(ctx, CodeTable::Class, QStringLiteral("frmClassInput"),
                   QStringLiteral("班级名单"),
                   {QStringLiteral("班级代码"), QStringLiteral("班级名称"),
                    QStringLiteral("班级全称"), QStringLiteral("班级简称")},
                   kCheckTitle, parent) {
    BuildControls();
    connect(cmbGrade, &QComboBox::activated, this, &frmClassInput::FillClassNames);
    connect(cmbClass, &QComboBox::activated, this, &frmClassInput::FillClassNames);
    for (QLineEdit* field : {txtName, txtFullName, txtShortName})
        field->installEventFilter(this);
    Form_Load();
}

// ---- events -----------------------------------------------------------------

bool frmClassInput::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == txtName)
        return txtName_KeyDown(key);
    if (watched == txtFullName)
        return txtFullName_KeyDown(key);
    if (watched == txtShortName)
        return txtShortName_KeyDown(key);
    return QDialog::eventFilter(watched, event);
}

bool frmClassInput::txtName_KeyDown(int key) {
    if (IsEnter(key) || key == Qt::Key_Down)
        txtFullName->setFocus();
    return IsEnter(key) || key == Qt::Key_Down;
}

bool frmClassInput::txtFullName_KeyDown(int key) {
    if (IsEnter(key) || key == Qt::Key_Down)
        txtShortName->setFocus();
    else if (key == Qt::Key_Up)
        txtName->setFocus();
    return IsEnter(key) || key == Qt::Key_Down || key == Qt::Key_Up;
}

// Enter is swallowed here: a class is added with the button only.
bool frmClassInput::txtShortName_KeyDown(int key) {
    if (key == Qt::Key_Up)
        txtFullName->setFocus();
    return IsEnter(key) || key == Qt::Key_Up;
}

void frmClassInput::Form_Load() {
    LoadRecords();
}

// ---- procedures -------------------------------------------------------------

void frmClassInput::FillClassNames() {
    if (cmbGrade->currentIndex() < 0 || cmbClass->currentIndex() < 0) {
        ClearInput();
        return;
    }
    const ClassNames names = FormClassNames(cmbGrade->currentIndex(), cmbClass->currentIndex() + 1);
    txtName->setText(names.name);
    txtFullName->setText(names.fullName);
    txtShortName->setText(names.shortName);
}

bool frmClassInput::CheckInput() {
    struct Check {
        QWidget* field;
        bool failed;
        const char* message;
    };
    // Checked from the last to the first, so the first failure keeps the focus
    // and the message.
    const Check checks[] = {
        {txtShortName, txtShortName->text().trimmed().isEmpty(), "请输入班级简称。"},
        {txtFullName, txtFullName->text().trimmed().isEmpty(), "请输入班级全称。"},
        {txtName, txtName->text().trimmed().isEmpty(), "请输入班级名称。"},
        {cmbClass, cmbClass->currentIndex() < 0, "请选择班级。"},
        {cmbGrade, cmbGrade->currentIndex() < 0, "请选择年级。"}};
    QString pending;
    for (const Check& c : checks) {
        SetInputMark(c.field, c.failed);
        if (c.failed) {
            c.field->setFocus();
            pending = QString::fromUtf8(c.message);
        }
    }
    if (pending.isEmpty()) {
        for (QLineEdit* field : {txtName, txtFullName, txtShortName}) {
            if (HasControlCharacter(field->text())) {
                SetInputMark(field, true);
                field->setFocus();
                pending = ControlCharacterMessage(field->text());
                break;
            }
        }
    }
    if (pending.isEmpty())
        return false;
    ShowWarning(this, kCheckTitle, pending);
    return true;
}

void frmClassInput::ClearInput() {
    for (QLineEdit* field : {txtName, txtFullName, txtShortName})
        field->clear();
}

bool frmClassInput::AppendRecord() {
    if (CheckInput())
        return true;
    if (InsertRecord(InputRecord(), cmbGrade->currentText() + QStringLiteral("（") +
                                        cmbClass->currentText() + QStringLiteral("）班")))
        return true;
    ClearInput();
    return false;
}

bool frmClassInput::DeleteRecord() {
    if (RefuseWithoutSelection(QStringLiteral("删除")))
        return true;
    if (CheckInput())
        return true;
    const QString code = InputCode();
    const QString name = txtName->text().trimmed();
    if (RemoveRecord(code, name, code + QStringLiteral("  ") + name))
        return true;
    ClearInput();
    return false;
}

bool frmClassInput::ModifyRecord() {
    if (RefuseWithoutSelection(QStringLiteral("修改")))
        return true;
    // Grade and class number are the code: only the names of a class change.
    if (InputCode() != m_records->selected()->text(0)) {
        SetInputMark(cmbGrade, true);
        SetInputMark(cmbClass, true);
        cmbGrade->setFocus();
        ShowWarning(this, kCheckTitle, QStringLiteral("班级代码不能修改！"));
        return true;
    }
    if (CheckInput())
        return true;
    return RewriteRecord(InputRecord());
}

void frmClassInput::ShowSelectedRecord() {
    const QTreeWidgetItem* item = m_records->selected();
    if (!item)
        return;
    const CodeRecord r = RecordList::recordOf(item);
    // A code this window did not form stops the filling where it fails, silently.
    const ClassCodeParts parts = SplitClassCode(r.code);
    if (parts.grade < 0 || parts.grade >= cmbGrade->count())
        return;
    cmbGrade->setCurrentIndex(parts.grade);
    FillClassNames();
    if (parts.classNumber < 1 || parts.classNumber > cmbClass->count())
        return;
    cmbClass->setCurrentIndex(parts.classNumber - 1);
    FillClassNames();
    txtName->setText(r.name);
    txtFullName->setText(r.fullName);
    txtShortName->setText(r.shortName);
}

QString frmClassInput::InputCode() const {
    return FormClassCode(cmbGrade->currentIndex(), cmbClass->currentIndex() + 1);
}

CodeRecord frmClassInput::InputRecord() const {
    return {InputCode(), txtName->text().trimmed(), txtFullName->text().trimmed(),
            txtShortName->text().trimmed()};
}

// ---- layout -----------------------------------------------------------------

void frmClassInput::BuildControls() {
    lblCode = new QLabel(QStringLiteral("班级"), fraData);
    lblCode->setObjectName("lblCode");
    lblCode->setGeometry(Twips(240), Twips(210), Twips(1200), Twips(450));
    cmbGrade = new QComboBox(fraData);
    cmbGrade->setObjectName("cmbGrade");
    cmbGrade->addItems({QStringLiteral("学前"), QStringLiteral("一年级"), QStringLiteral("二年级"),
                        QStringLiteral("三年级"), QStringLiteral("四年级"),
                        QStringLiteral("五年级"), QStringLiteral("六年级")});
    cmbGrade->setGeometry(Twips(1500), Twips(210), Twips(1800), Twips(450));
    cmbClass = new QComboBox(fraData);
    cmbClass->setObjectName("cmbClass");
    for (int n = 1; n <= kClassNumberCount; ++n)
        cmbClass->addItem(QString::number(n));
    cmbClass->setGeometry(Twips(3420), Twips(210), Twips(1200), Twips(450));
    for (QComboBox* list : {cmbGrade, cmbClass}) {
        list->setCurrentIndex(-1);
        list->setMaxVisibleItems(kClassNumberCount);
    }
    Label1 = new QLabel(QStringLiteral("班"), fraData);
    Label1->setObjectName("Label1");
    Label1->setGeometry(Twips(4740), Twips(210), Twips(600), Twips(450));

    QLabel** labels[] = {&lblName, &lblFullName, &lblShortName};
    QLineEdit** fields[] = {&txtName, &txtFullName, &txtShortName};
    const char* labelNames[] = {"lblName", "lblFullName", "lblShortName"};
    const char* fieldNames[] = {"txtName", "txtFullName", "txtShortName"};
    const char* captions[] = {"班级名称", "班级全称", "班级简称"};
    for (int row = 0; row < 3; ++row)
        AddField(*labels[row], *fields[row], labelNames[row], fieldNames[row],
                 QString::fromUtf8(captions[row]), 750 + row * 540);

    // The two lists come last: a class is usually chosen with the mouse.
    QWidget* order[] = {txtName,   txtFullName, txtShortName, cmdAppend, cmdDelete,
                        cmdModify, cmdOK,       lstAllRecord, cmbGrade,  cmbClass};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    txtName->setFocus();
}
