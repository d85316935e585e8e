#include "gui/widgets/RecordEditor.h"

#include "gui/widgets/AppContext.h"
#include "gui/widgets/RecordList.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>

namespace {
QFrame* AddFrame(QWidget* parent, const char* name, int left, int width) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(Twips(left), Twips(120), Twips(width), Twips(2415));
    return frame;
}
} // namespace

RecordEditor::RecordEditor(AppContext& ctx, CodeTable table, const QString& objectName,
                           const QString& caption, const QStringList& columns,
                           const QString& checkTitle, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_table(table), m_checkTitle(checkTitle) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setFont(SongTi(12));
    resize(Twips(8340), Twips(7995));

    fraData = AddFrame(this, "fraData", 120, 5700);
    fraOp = AddFrame(this, "fraOp", 5940, 2280);
    QPushButton** buttons[] = {&cmdAppend, &cmdDelete, &cmdModify, &cmdOK};
    const char* buttonNames[] = {"cmdAppend", "cmdDelete", "cmdModify", "cmdOK"};
    const char* buttonCaptions[] = {"添加(&A)", "删除(&D)", "修改(&M)", "退出(&Q)"};
    for (int i = 0; i < 4; ++i) {
        *buttons[i] = new QPushButton(QString::fromUtf8(buttonCaptions[i]), fraOp);
        (*buttons[i])->setObjectName(buttonNames[i]);
        (*buttons[i])->setAutoDefault(false);
        (*buttons[i])->setGeometry(Twips(300), Twips(195 + i * 555), Twips(1680), Twips(450));
    }

    lstAllRecord = new QTreeWidget(this);
    lstAllRecord->setObjectName("lstAllRecord");
    lstAllRecord->setGeometry(Twips(120), Twips(2655), Twips(8100), Twips(4935));
    m_records = new RecordList(lstAllRecord, columns);

    staMsg = new QStatusBar(this);
    staMsg->setObjectName("staMsg");
    staMsgPanel1 = AddStatusPanel(staMsg);

    connect(cmdAppend, &QPushButton::clicked, this, [this] { AppendRecord(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { DeleteRecord(); });
    connect(cmdModify, &QPushButton::clicked, this, [this] { ModifyRecord(); });
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_records, &RecordList::rowChosen, this, [this] { ShowSelectedRecord(); });
    connect(m_records, &RecordList::deleteKeyPressed, this, [this] { DeleteRecord(); });
}

void RecordEditor::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // The status bar stays at the bottom; the other controls keep their places.
    staMsg->setGeometry(0, height() - Twips(405), width(), Twips(405));
}

void RecordEditor::AddField(QLabel*& label, QLineEdit*& field, const char* labelName,
                            const char* fieldName, const QString& caption, int top) {
    label = new QLabel(caption, fraData);
    label->setObjectName(labelName);
    label->setGeometry(Twips(240), Twips(top), Twips(1200), Twips(450));
    field = new QLineEdit(fraData);
    field->setObjectName(fieldName);
    field->setMaxLength(10);
    field->setGeometry(Twips(1500), Twips(top), Twips(3900), Twips(450));
    SetInputMark(field, false);
    label->setBuddy(field);
}

void RecordEditor::LoadRecords() {
    QList<CodeRecord> records;
    // A failed read shows what was read before it, without a message.
    (void)LoadCodeRecords(m_ctx.db, m_table, records);
    m_records->fill(records);
}

// The old editors acted on whatever row happened to be chosen, or failed half-way
// with none; without a chosen row nothing is done.
bool RecordEditor::RefuseWithoutSelection(const QString& operation) {
    if (m_records->selected())
        return false;
    ShowInfo(this, m_checkTitle,
             QStringLiteral("请先在列表中选择要") + operation + QStringLiteral("的记录。"));
    return true;
}

bool RecordEditor::InsertRecord(const CodeRecord& record, const QString& existing) {
    try {
        if (CodeExists(m_ctx.db, m_table, record.code)) {
            ShowInfo(this, m_ctx.systemTitle, existing + QStringLiteral(" 已经存在！"));
            return true;
        }
        InsertCodeRecord(m_ctx.db, m_table, record);
    } catch (const std::exception&) {
        staMsgPanel1->setText(QStringLiteral("添加记录失败"));
        ShowError(this, QStringLiteral("添加失败"), QStringLiteral("添加记录失败"));
        return true;
    }
    staMsgPanel1->setText(QStringLiteral("添加记录成功！添加了1条记录"));
    m_records->add(record);
    return false;
}

bool RecordEditor::RemoveRecord(const QString& code, const QString& name, const QString& question) {
    try {
        if (!CodeExists(m_ctx.db, m_table, code)) {
            ShowInfo(this, m_checkTitle,
                     QStringLiteral("代码为") + code + QStringLiteral("的记录不存在，未被删除。"));
            return true;
        }
        if (!AskYesNo(this, QStringLiteral("数据删除"),
                      QStringLiteral("警告： 确定要删除 '") + question +
                          QStringLiteral("' 吗？(Y/N)？")))
            return true;
        DeleteCodeRecord(m_ctx.db, m_table, code);
    } catch (const std::exception&) {
        staMsgPanel1->setText(QStringLiteral("删除记录失败"));
        ShowError(this, QStringLiteral("删除失败"),
                  QStringLiteral("删除记录失败, '") + name + QStringLiteral("' 未被删除"));
        return true;
    }
    staMsgPanel1->setText(QStringLiteral("删除记录成功！删除了1条记录"));
    m_records->remove(code);
    lstAllRecord->setFocus();
    return false;
}

bool RecordEditor::RewriteRecord(const CodeRecord& record) {
    try {
        if (!CodeExists(m_ctx.db, m_table, record.code)) {
            ShowInfo(this, m_checkTitle,
                     QStringLiteral("代码为") + record.code +
                         QStringLiteral("的记录不存在，未被修改。"));
            return true;
        }
        UpdateCodeRecord(m_ctx.db, m_table, record);
    } catch (const std::exception&) {
        staMsgPanel1->setText(QStringLiteral("修改记录失败"));
        ShowError(this, QStringLiteral("修改失败"),
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
