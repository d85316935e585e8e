#pragma once
// The editor of one code list (courses, teachers or classrooms): four fields of
// at most 10 characters, add / delete / modify, and the list of all records.
// The three editors are one window; what differs is in a CodeListEditorKind.
#include "gui/widgets/RecordEditor.h"

class QLabel;
class QLineEdit;

struct CodeListEditorKind {
    const char* objectName;
    const char* caption;
    CodeTable table;
    // Indexed code, name, full name, short name.
    const char* labels[4];
    const char* columns[4];
    const char* checkMessages[4]; // null: the field may stay empty and is not marked
    // Fields on screen and in tab order: name, full name, short name, code.
    bool codeLast;
    const char* checkTitle;
    const char* existsPrefix;     // "该课程代码： "
    const char* codeFixedMessage; // null: modify rewrites the record whose code is typed
};

extern const CodeListEditorKind kCourseEditorKind;
extern const CodeListEditorKind kTeacherEditorKind;
extern const CodeListEditorKind kClassRoomEditorKind;

class frmCodeListInput : public RecordEditor {
    Q_OBJECT
public:
    frmCodeListInput(const CodeListEditorKind& kind, AppContext& ctx, QWidget* parent = nullptr);

    QLabel* lblCode;
    QLabel* lblName;
    QLabel* lblFullName;
    QLabel* lblShortName;
    QLineEdit* txtCode;
    QLineEdit* txtName;
    QLineEdit* txtFullName;
    QLineEdit* txtShortName;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The course list adds its own fields around these.
    bool AppendRecord() override;
    bool ModifyRecord() override;
    void ShowSelectedRecord() override;

private:
    bool txtCode_KeyDown(int key);
    bool txtName_KeyDown(int key);
    bool txtFullName_KeyDown(int key);
    bool txtShortName_KeyDown(int key);
    void Form_Load();

    bool CheckInput();
    void ClearInput();
    bool DeleteRecord() override;

    void BuildControls();
    QLineEdit* Field(int index) const;
    CodeRecord InputRecord() const;

    const CodeListEditorKind& m_kind;
};
