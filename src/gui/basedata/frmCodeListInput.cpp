#include "gui/basedata/frmCodeListInput.h"
#include "core/model/TextRules.h"

#include "gui/widgets/RecordList.h"
#include "gui/widgets/UiDialogs.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {
enum FieldIndex { kCode, kName, kFullName, kShortName };
// A field found empty takes the focus and the message, so checking from the
// last field to the first leaves both with the first empty one.
constexpr FieldIndex kCheckOrder[] = {kShortName, kFullName, kName, kCode};

QString Utf8(const char* s) {
    return QString::fromUtf8(s);
}

QStringList Captions(const char* const (&texts)[4]) {
    QStringList captions;
    for (const char* t : texts)
        captions << Utf8(t);
    return captions;
}
} // namespace

const CodeListEditorKind kCourseEditorKind{
    "frmCourseInput",
    "课程名单",
    CodeTable::Course,
    {"课程代码", "课程名称", "课程全称", "课程简称"},
    {"课程代码", "课程名称", "课程全称", "课程简称"},
    {"请输入课程代码。", "请输入课程名称。", "请输入课程全称。", "请输入课程简称。"},
    false,
    "输入信息检查",
    "该课程代码： ",
    "课程代码不能修改！"};

const CodeListEditorKind kTeacherEditorKind{
    "frmTeacherInput",
    "老师名单",
    CodeTable::Teacher,
    {"老师代码", "老师姓名", "老师全称", "老师简称"},
    {"老师代码", "老师名称", "老师全称", "老师简称"},
    {"请输入老师代码。", "请输入老师名称。", "请输入老师名称。", "请输入老师名称。"},
    false,
    "输入信息检查",
    "该老师代码： ",
    "教师代码不能修改！"};

const CodeListEditorKind kClassRoomEditorKind{
    "frmClassRoomInput",
    "教室名单",
    CodeTable::ClassRoom,
    {"教室代码", "教室名称", "教室全称", "教室简称"},
    {"教室代码", "教室名称", "教室全称", "教室简称"},
    {"请输入教室代码。", "请输入教室名称。", nullptr, nullptr},
    true,
    "输入检查信息",
    "该教室代码： ",
    nullptr};

const CodeListEditorKind kGroupEditorKind{
    "frmGroupInput",
    "教研组名单",
    CodeTable::Group,
    {"教研组代码", "教研组名称", "教研组全称", "教研组简称"},
    {"教研组代码", "教研组名称", "教研组全称", "教研组简称"},
    {"请输入教研组代码。", "请输入教研组名称。", nullptr, nullptr},
    false,
    "输入信息检查",
    "该教研组代码： ",
    "教研组代码不能修改！"};

frmCodeListInput::frmCodeListInput(const CodeListEditorKind& kind, AppContext& ctx, QWidget* parent)
    : RecordEditor(ctx, kind.table, Utf8(kind.objectName), Utf8(kind.caption),
                   Captions(kind.columns), Utf8(kind.checkTitle), parent),
      m_kind(kind) {
    BuildControls();
    for (QLineEdit* field : {txtCode, txtName, txtFullName, txtShortName})
        field->installEventFilter(this);
    Form_Load();
}

// ---- events -----------------------------------------------------------------

bool frmCodeListInput::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == txtCode)
        return txtCode_KeyDown(key);
    if (watched == txtName)
        return txtName_KeyDown(key);
    if (watched == txtFullName)
        return txtFullName_KeyDown(key);
    if (watched == txtShortName)
        return txtShortName_KeyDown(key);
    return QDialog::eventFilter(watched, event);
}

// Enter is always taken by the fields, so it never presses a button of the dialog.
static bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool frmCodeListInput::txtCode_KeyDown(int key) {
    if (IsEnter(key)) {
        if (!AppendRecord())
            txtName->setFocus();
        return true;
    }
    if (key == Qt::Key_Up)
        txtShortName->setFocus();
    return key == Qt::Key_Up;
}

bool frmCodeListInput::txtName_KeyDown(int key) {
    if (IsEnter(key) || key == Qt::Key_Down)
        txtFullName->setFocus();
    return IsEnter(key) || key == Qt::Key_Down;
}

bool frmCodeListInput::txtFullName_KeyDown(int key) {
    if (IsEnter(key) || key == Qt::Key_Down)
        txtShortName->setFocus();
    else if (key == Qt::Key_Up)
        txtName->setFocus();
    return IsEnter(key) || key == Qt::Key_Down || key == Qt::Key_Up;
}

bool frmCodeListInput::txtShortName_KeyDown(int key) {
    if (IsEnter(key) || key == Qt::Key_Down)
        txtCode->setFocus();
    else if (key == Qt::Key_Up)
        txtFullName->setFocus();
    return IsEnter(key) || key == Qt::Key_Down || key == Qt::Key_Up;
}

void frmCodeListInput::Form_Load() {
    LoadRecords();
}

// ---- procedures -------------------------------------------------------------

bool frmCodeListInput::CheckInput() {
    QString pending;
    for (FieldIndex f : kCheckOrder) {
        const char* message = m_kind.checkMessages[f];
        if (!message)
            continue;
        QLineEdit* field = Field(f);
        const bool empty = field->text().trimmed().isEmpty();
        SetInputMark(field, empty);
        if (empty) {
            field->setFocus();
            pending = Utf8(message);
        }
    }
    if (pending.isEmpty()) {
        for (QLineEdit* field : {txtCode, txtName, txtFullName, txtShortName}) {
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
    ShowInfo(this, Utf8(m_kind.checkTitle), pending);
    return true;
}

void frmCodeListInput::ClearInput() {
    for (QLineEdit* field : {txtCode, txtName, txtFullName, txtShortName})
        field->clear();
    ClearExtras();
}

bool frmCodeListInput::AppendRecord() {
    if (CheckInput())
        return true;
    if (InsertRecord(InputRecord(), Utf8(m_kind.existsPrefix) + txtCode->text()))
        return true;
    if (SaveExtras(txtCode->text().trimmed()))
        return true;
    ClearInput();
    return false;
}

bool frmCodeListInput::DeleteRecord() {
    if (RefuseWithoutSelection(QStringLiteral("删除")))
        return true;
    if (CheckInput())
        return true;
    const QString code = txtCode->text().trimmed();
    const QString name = txtName->text().trimmed();
    if (RemoveRecord(code, name, name))
        return true;
    ClearInput();
    return false;
}

bool frmCodeListInput::ModifyRecord() {
    if (RefuseWithoutSelection(QStringLiteral("修改")))
        return true;
    if (m_kind.codeFixedMessage && txtCode->text() != m_records->selected()->text(0)) {
        SetInputMark(txtCode, true);
        txtCode->setFocus();
        ShowWarning(this, QStringLiteral("输入信息检查"), Utf8(m_kind.codeFixedMessage));
        return true;
    }
    if (CheckInput())
        return true;
    if (RewriteRecord(InputRecord()))
        return true;
    return SaveExtras(txtCode->text().trimmed());
}

void frmCodeListInput::ShowSelectedRecord() {
    const QTreeWidgetItem* item = m_records->selected();
    if (!item)
        return;
    const CodeRecord r = RecordList::recordOf(item);
    txtCode->setText(r.code);
    txtName->setText(r.name);
    txtFullName->setText(r.fullName);
    txtShortName->setText(r.shortName);
    ShowExtras(r.code);
}

QWidget* frmCodeListInput::LastField() const {
    return m_kind.codeLast ? static_cast<QWidget*>(txtCode) : static_cast<QWidget*>(txtShortName);
}

QLineEdit* frmCodeListInput::Field(int index) const {
    switch (index) {
    case kCode:
        return txtCode;
    case kName:
        return txtName;
    case kFullName:
        return txtFullName;
    default:
        return txtShortName;
    }
}

CodeRecord frmCodeListInput::InputRecord() const {
    return {txtCode->text().trimmed(), txtName->text().trimmed(), txtFullName->text().trimmed(),
            txtShortName->text().trimmed()};
}

// ---- layout -----------------------------------------------------------------

void frmCodeListInput::BuildControls() {
    QLabel** labels[] = {&lblCode, &lblName, &lblFullName, &lblShortName};
    QLineEdit** fields[] = {&txtCode, &txtName, &txtFullName, &txtShortName};
    const char* labelNames[] = {"lblCode", "lblName", "lblFullName", "lblShortName"};
    const char* fieldNames[] = {"txtCode", "txtName", "txtFullName", "txtShortName"};
    const QList<int> screenOrder = m_kind.codeLast
                                       ? QList<int>{kName, kFullName, kShortName, kCode}
                                       : QList<int>{kCode, kName, kFullName, kShortName};
    for (int row = 0; row < 4; ++row) {
        const int f = screenOrder[row];
        AddField(*labels[f], *fields[f], labelNames[f], fieldNames[f], Utf8(m_kind.labels[f]),
                 210 + row * 540);
    }

    QWidget* previous = nullptr;
    for (int f : screenOrder) {
        if (previous)
            setTabOrder(previous, Field(f));
        previous = Field(f);
    }
    for (QWidget* w : {static_cast<QWidget*>(cmdAppend), static_cast<QWidget*>(cmdDelete),
                       static_cast<QWidget*>(cmdModify), static_cast<QWidget*>(cmdOK),
                       static_cast<QWidget*>(lstAllRecord)}) {
        setTabOrder(previous, w);
        previous = w;
    }
    Field(screenOrder.first())->setFocus();
}
