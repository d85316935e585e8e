#pragma once
// What the list editors (classes, courses, teachers, classrooms) share around
// their own input fields: the data and operation frames, the four buttons, the
// record list and the status bar, and the database side of add, delete and
// modify. Each editor checks its input and words its own messages.
#include "core/store/CodeRecords.h"

#include <QDialog>

struct AppContext;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTreeWidget;
class RecordList;

class RecordEditor : public QDialog {
    Q_OBJECT
public:
    QFrame* fraData;
    QFrame* fraOp;
    QPushButton* cmdAppend;
    QPushButton* cmdDelete;
    QPushButton* cmdModify;
    QPushButton* cmdOK;
    QTreeWidget* lstAllRecord;
    QStatusBar* staMsg;
    QLabel* staMsgPanel1;

protected:
    // columns: the captions of the record list. checkTitle heads the messages
    // about a record that is missing or not chosen.
    RecordEditor(AppContext& ctx, CodeTable table, const QString& objectName,
                 const QString& caption, const QStringList& columns, const QString& checkTitle,
                 QWidget* parent);

    void resizeEvent(QResizeEvent* event) override;

    // The editor's procedures behind the buttons, the list's Delete key and a
    // chosen row; each answers true when nothing was done.
    virtual bool AppendRecord() = 0;
    virtual bool DeleteRecord() = 0;
    virtual bool ModifyRecord() = 0;
    virtual void ShowSelectedRecord() = 0;

    // A caption and its input field of at most 10 characters in the data frame,
    // top in twips.
    void AddField(QLabel*& label, QLineEdit*& field, const char* labelName, const char* fieldName,
                  const QString& caption, int top);

    void LoadRecords();
    // Each of these returns true when nothing was done: refused, or failed
    // with a message.
    bool RefuseWithoutSelection(const QString& operation);
    // existing: how the add refusal names the record, "… 已经存在！".
    bool InsertRecord(const CodeRecord& record, const QString& existing);
    // question: how the confirmation names the record; name: the failure message.
    bool RemoveRecord(const QString& code, const QString& name, const QString& question);
    bool RewriteRecord(const CodeRecord& record);

    AppContext& m_ctx;
    RecordList* m_records = nullptr;

private:
    CodeTable m_table;
    QString m_checkTitle;
};
