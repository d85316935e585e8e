#include "basedata/frmCodeListInput.h"

#include "basedata/gui/RecordList.h"
#include "shell/AppContext.h"
#include "shell/gui/UiDialogs.h"
#include "shell/gui/UiMetrics.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>

namespace {
enum FieldIndex { kCode, kName, kFullName, kShortName };
// A field found empty takes the focus and the message, so checking from the
// last field to the first leaves both with the first empty one.
constexpr FieldIndex kCheckOrder[] = {kShortName, kFullName, kName, kCode};

QString Utf8(const char* s) {
    return QString::fromUtf8(s);
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

frmCodeListInput::frmCodeListInput(const CodeListEditorKind& kind, AppContext& ctx, QWidget* parent)
    : QDialog(parent), m_kind(kind), m_ctx(ctx) {
    BuildControls();
    connect(cmdAppend, &QPushButton::clicked, this, [this] { AppendRecord(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { DeleteRecord(); });
    connect(cmdModify, &QPushButton::clicked, this, [this] { ModifyRecord(); });
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_records, &RecordList::rowChosen, this, &frmCodeListInput::ShowSelectedRecord);
    for (QWidget* w : {static_cast<QWidget*>(lstAllRecord), static_cast<QWidget*>(txtCode),
                       static_cast<QWidget*>(txtName), static_cast<QWidget*>(txtFullName),
                       static_cast<QWidget*>(txtShortName)})
        w->installEventFilter(this);
    Form_Load();
}

// ---- events -----------------------------------------------------------------

bool frmCodeListInput::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == lstAllRecord) {
        if (key != Qt::Key_Delete)
            return false;
        DeleteRecord();
        return true;
    }
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
    QList<CodeRecord> records;
    // A failed read shows what was read before it, without a message.
    LoadCodeRecords(m_ctx.db, m_kind.table, records);
    m_records->fill(records);
}

void frmCodeListInput::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // The status bar stays at the bottom; the other controls keep their places.
    staMsg->setGeometry(0, height() - Twips(405), width(), Twips(405));
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
    if (pending.isEmpty())
        return false;
    ShowInfo(this, Utf8(m_kind.checkTitle), pending);
    return true;
}

void frmCodeListInput::ClearInput() {
    for (QLineEdit* field : {txtCode, txtName, txtFullName, txtShortName})
        field->clear();
}

bool frmCodeListInput::AppendRecord() {
    if (CheckInput())
        return true;
    const CodeRecord record = InputRecord();
    try {
        if (CodeExists(m_ctx.db, m_kind.table, record.code)) {
            ShowInfo(this, m_ctx.systemTitle,
                     Utf8(m_kind.existsPrefix) + txtCode->text() + QStringLiteral(" 已经存在！"));
            return true;
        }
        InsertCodeRecord(m_ctx.db, m_kind.table, record);
    } catch (const std::exception&) {
        staMsgPanel1->setText(QStringLiteral("添加记录失败"));
        ShowInfo(this, QStringLiteral("添加失败"), QStringLiteral("添加记录失败"));
        return true;
    }
    staMsgPanel1->setText(QStringLiteral("添加记录成功！添加了1条记录"));
    m_records->add(record);
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
    const QString failed = QStringLiteral("删除记录失败, '") + name + QStringLiteral("' 未被删除");
    try {
        if (!CodeExists(m_ctx.db, m_kind.table, code)) {
            ShowInfo(this, Utf8(m_kind.checkTitle),
                     QStringLiteral("代码为") + code + QStringLiteral("的记录不存在，未被删除。"));
            return true;
        }
        if (!AskYesNo(this, QStringLiteral("数据删除"),
                      QStringLiteral("警告： 确定要删除 '") + name +
                          QStringLiteral("' 吗？(Y/N)？")))
            return true;
        DeleteCodeRecord(m_ctx.db, m_kind.table, code);
    } catch (const std::exception&) {
        staMsgPanel1->setText(QStringLiteral("删除记录失败"));
        ShowInfo(this, QStringLiteral("删除失败"), failed);
        return true;
    }
    staMsgPanel1->setText(QStringLiteral("删除记录成功！删除了1条记录"));
    m_records->remove(code);
    lstAllRecord->setFocus();
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
    const CodeRecord record = InputRecord();
    try {
        if (!CodeExists(m_ctx.db, m_kind.table, record.code)) {
            ShowInfo(this, Utf8(m_kind.checkTitle),
                     QStringLiteral("代码为") + record.code +
                         QStringLiteral("的记录不存在，未被修改。"));
            return true;
        }
        UpdateCodeRecord(m_ctx.db, m_kind.table, record);
    } catch (const std::exception&) {
        staMsgPanel1->setText(QStringLiteral("修改记录失败"));
        ShowInfo(this, QStringLiteral("更修改失败"),
                 QStringLiteral("修改记录失败,代码为") + record.code +
                     QStringLiteral("的记录未被修改"));
        return true;
    }
    staMsgPanel1->setText(QStringLiteral("修改记录成功！修改了1条记录"));
    // The row of exactly this code: with codes 1 and 10, modifying 1 leaves 10 alone.
    m_records->refresh(record);
    lstAllRecord->setFocus();
    return false;
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
}

// The old editors acted on whatever row happened to be chosen, or failed half-way
// with none; without a chosen row nothing is done.
bool frmCodeListInput::RefuseWithoutSelection(const QString& operation) {
    if (m_records->selected())
        return false;
    ShowInfo(this, Utf8(m_kind.checkTitle),
             QStringLiteral("请先在列表中选择要") + operation + QStringLiteral("的记录。"));
    return true;
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
    setObjectName(Utf8(m_kind.objectName));
    setWindowTitle(Utf8(m_kind.caption));
    setFont(SongTi(12));
    resize(Twips(8340), Twips(7995));

    fraData = new QFrame(this);
    fraData->setObjectName("fraData");
    fraData->setFrameShape(QFrame::Box);
    fraData->setFrameShadow(QFrame::Sunken);
    fraData->setGeometry(Twips(120), Twips(120), Twips(5700), Twips(2415));

    QLabel** labels[] = {&lblCode, &lblName, &lblFullName, &lblShortName};
    QLineEdit** fields[] = {&txtCode, &txtName, &txtFullName, &txtShortName};
    const char* labelNames[] = {"lblCode", "lblName", "lblFullName", "lblShortName"};
    const char* fieldNames[] = {"txtCode", "txtName", "txtFullName", "txtShortName"};
    const QList<int> screenOrder = m_kind.codeLast
                                       ? QList<int>{kName, kFullName, kShortName, kCode}
                                       : QList<int>{kCode, kName, kFullName, kShortName};
    for (int row = 0; row < 4; ++row) {
        const int f = screenOrder[row];
        const int top = 210 + row * 540;
        *labels[f] = new QLabel(Utf8(m_kind.labels[f]), fraData);
        (*labels[f])->setObjectName(labelNames[f]);
        (*labels[f])->setGeometry(Twips(240), Twips(top), Twips(1200), Twips(450));
        *fields[f] = new QLineEdit(fraData);
        (*fields[f])->setObjectName(fieldNames[f]);
        (*fields[f])->setMaxLength(10);
        (*fields[f])->setGeometry(Twips(1500), Twips(top), Twips(3900), Twips(450));
        SetInputMark(*fields[f], false);
        (*labels[f])->setBuddy(*fields[f]);
    }

    fraOp = new QFrame(this);
    fraOp->setObjectName("fraOp");
    fraOp->setFrameShape(QFrame::Box);
    fraOp->setFrameShadow(QFrame::Sunken);
    fraOp->setGeometry(Twips(5940), Twips(120), Twips(2280), Twips(2415));
    QPushButton** buttons[] = {&cmdAppend, &cmdDelete, &cmdModify, &cmdOK};
    const char* buttonNames[] = {"cmdAppend", "cmdDelete", "cmdModify", "cmdOK"};
    const char* captions[] = {"添加(&A)", "删除(&D)", "修改(&M)", "退出(&Q)"};
    for (int i = 0; i < 4; ++i) {
        *buttons[i] = new QPushButton(Utf8(captions[i]), fraOp);
        (*buttons[i])->setObjectName(buttonNames[i]);
        (*buttons[i])->setAutoDefault(false);
        (*buttons[i])->setGeometry(Twips(300), Twips(195 + i * 555), Twips(1680), Twips(450));
    }

    lstAllRecord = new QTreeWidget(this);
    lstAllRecord->setObjectName("lstAllRecord");
    lstAllRecord->setGeometry(Twips(120), Twips(2655), Twips(8100), Twips(4935));
    QStringList columns;
    for (const char* c : m_kind.columns)
        columns << Utf8(c);
    m_records = new RecordList(lstAllRecord, columns);

    staMsg = new QStatusBar(this);
    staMsg->setObjectName("staMsg");
    staMsgPanel1 = AddStatusPanel(staMsg);

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
