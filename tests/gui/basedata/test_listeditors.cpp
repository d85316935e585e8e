#include "EditorTest.h"
#include "FakeDialogs.h"
#include "GuiTest.h"
#include "gui/basedata/frmClassRoomInput.h"
#include "gui/basedata/frmCourseInput.h"
#include "gui/basedata/frmGroupInput.h"
#include "gui/basedata/frmTeacherInput.h"
#include "gui/shell/frmMain.h"

#include <QAction>
#include <QComboBox>
#include <QSpinBox>

#include <QPushButton>
#include <QStatusBar>
#include <cstring>
#include <memory>

namespace {

std::unique_ptr<frmCodeListInput> MakeEditor(const QString& kind, AppContext& ctx) {
    std::unique_ptr<frmCodeListInput> w;
    if (kind == "course")
        w = std::make_unique<frmCourseInput>(ctx);
    else if (kind == "teacher")
        w = std::make_unique<frmTeacherInput>(ctx);
    else
        w = std::make_unique<frmClassRoomInput>(ctx);
    w->show();
    return w;
}

const char* TableOf(const QString& kind) {
    return kind == "course" ? "Coursetb" : kind == "teacher" ? "Teachertb" : "ClassRoomtb";
}

void Type(frmCodeListInput& w, const QString& code, const QString& name, const QString& full,
          const QString& shortName) {
    w.txtCode->setText(code);
    w.txtName->setText(name);
    w.txtFullName->setText(full);
    w.txtShortName->setText(shortName);
}

long long Rows(EditorFixture& f, const QString& kind) {
    const std::string q = std::string("select count(*) from ") + TableOf(kind);
    return f.count(q.c_str());
}

} // namespace

class TestListEditors : public QObject {
    Q_OBJECT
private slots:
    void opensWithCaptionsAndStoredRows_data();
    void opensWithCaptionsAndStoredRows();
    void checkInputOrderAndMarks_data();
    void checkInputOrderAndMarks();
    void addTrimsAndRefusesAnExistingCode();
    void keyboardCycleAndEnterToAdd();
    void deleteRemovesDependentRows_data();
    void deleteRemovesDependentRows();
    void deleteAndModifyNeedAChosenExistingRecord();
    void modifyRefreshesTheRowOfTheEqualCode();
    void codeCannotBeModified();
    void classRoomModifyUsesTheTypedCode();
    void failuresAreReportedAndLeaveDataAsItWas();
    void headerClickSortsByColumnText();
    void menuEntriesOpenTheEditors();
    void teacherLimitsAndGroupAreKeptWithTheTeacher();
    void groupListEditsTheGroups();
    void courseRulesAreCheckedStoredAndShown();
    void screenshots();
};

void TestListEditors::opensWithCaptionsAndStoredRows_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("nameLabel");
    QTest::addColumn<QString>("nameColumn");
    QTest::addColumn<QString>("firstFocus");
    QTest::addColumn<QStringList>("tabOrder");
    const QStringList codeFirst{"txtCode", "txtName", "txtFullName", "txtShortName", "cmdAppend"};
    const QStringList codeLast{"txtName", "txtFullName", "txtShortName", "txtCode", "cmdAppend"};
    QTest::newRow("course") << "course"
                            << "课程名单"
                            << "课程名称"
                            << "课程名称"
                            << "txtCode"
                            << QStringList{"txtCode",      "txtName",       "txtFullName",
                                           "txtShortName", "txtMaxClasses", "txtMaxPerDay",
                                           "cmdAppend"};
    QTest::newRow("teacher") << "teacher"
                             << "老师名单"
                             << "老师姓名"
                             << "老师名称"
                             << "txtCode"
                             << QStringList{"txtCode",      "txtName",      "txtFullName",
                                            "txtShortName", "spnMaxPerDay", "spnMaxInRow",
                                            "cboGroup",     "cmdApplyAll",  "cmdAppend"};
    QTest::newRow("classroom") << "classroom"
                               << "教室名单"
                               << "教室名称"
                               << "教室名称"
                               << "txtName" << codeLast;
}

void TestListEditors::opensWithCaptionsAndStoredRows() {
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(QString, nameLabel);
    QFETCH(QString, nameColumn);
    QFETCH(QString, firstFocus);
    QFETCH(QStringList, tabOrder);
    EditorFixture f;
    f.t.exec(QString("insert into %1 values('9','九',null,'j'),('10','十','拾','s')")
                 .arg(TableOf(kind)));
    f.open();
    auto w = MakeEditor(kind, f.ctx);
    QCOMPARE(w->windowTitle(), caption);
    QCOMPARE(w->lblName->text(), nameLabel);
    QCOMPARE(w->lstAllRecord->headerItem()->text(1), nameColumn);
    // The course list narrows its columns for its two rules.
    QCOMPARE(w->lstAllRecord->columnWidth(0), Twips(kind == "course" ? 1000 : 1700));
    QCOMPARE(w->lstAllRecord->columnWidth(3), Twips(kind == "course" ? 1000 : 2000));
    QCOMPARE(ColumnTexts(w->lstAllRecord), QStringList({"9", "10"})); // stored order, unsorted
    QCOMPARE(ColumnTexts(w->lstAllRecord, 2), QStringList({"", "拾"}));
    QCOMPARE(w->txtName->maxLength(), 10);
    QCOMPARE(w->focusWidget()->objectName(), firstFocus);
    // A spin box takes the focus through its own line edit: one stop.
    auto stopName = [](QWidget* x) {
        return qobject_cast<QAbstractSpinBox*>(x->parentWidget()) ? x->parentWidget()->objectName()
                                                                  : x->objectName();
    };
    QWidget* at = w->findChild<QWidget*>(tabOrder.first());
    for (const QString& next : tabOrder.mid(1)) {
        const QString from = stopName(at);
        do
            at = at->nextInFocusChain();
        while (!(at->focusPolicy() & Qt::TabFocus) || stopName(at) == from);
        QCOMPARE(stopName(at), next);
    }
}

void TestListEditors::checkInputOrderAndMarks_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("input"); // code, name, full name, short name
    QTest::addColumn<QString>("message");   // empty: the record is added
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QStringList>("red");
    QTest::newRow("course short name alone")
        << "course" << QStringList{"1", "语文", "语文课", ""} << "请输入课程简称。"
        << "输入信息检查"
        << "txtShortName" << QStringList{"txtShortName"};
    QTest::newRow("course blanks are empty")
        << "course" << QStringList{"1", "  ", "语文课", " "} << "请输入课程名称。"
        << "输入信息检查"
        << "txtName" << QStringList{"txtName", "txtShortName"};
    QTest::newRow("course all empty")
        << "course" << QStringList{"", "", "", ""} << "请输入课程代码。"
        << "输入信息检查"
        << "txtCode" << QStringList{"txtCode", "txtName", "txtFullName", "txtShortName"};
    QTest::newRow("teacher short name")
        << "teacher" << QStringList{"T1", "张", "张三", ""} << "请输入老师名称。"
        << "输入信息检查"
        << "txtShortName" << QStringList{"txtShortName"};
    QTest::newRow("teacher code first")
        << "teacher" << QStringList{"", "张", "", "张"} << "请输入老师代码。"
        << "输入信息检查"
        << "txtCode" << QStringList{"txtCode", "txtFullName"};
    QTest::newRow("classroom code and name only")
        << "classroom" << QStringList{"R1", "音乐室", "", ""} << ""
        << ""
        << "" << QStringList{};
    QTest::newRow("classroom all empty")
        << "classroom" << QStringList{"", "", "", ""} << "请输入教室代码。"
        << "输入检查信息"
        << "txtCode" << QStringList{"txtCode", "txtName"};
}

void TestListEditors::checkInputOrderAndMarks() {
    QFETCH(QString, kind);
    QFETCH(QStringList, input);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(QString, focus);
    QFETCH(QStringList, red);
    EditorFixture f;
    f.open();
    FakeDialogs dialogs;
    auto w = MakeEditor(kind, f.ctx);
    Type(*w, input[0], input[1], input[2], input[3]);
    w->cmdAppend->click();
    if (message.isEmpty()) {
        QVERIFY(dialogs.shown.isEmpty());
        QCOMPARE(Rows(f, kind), 1LL);
        return;
    }
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.lastText(), message);
    QCOMPARE(dialogs.lastTitle(), title);
    QCOMPARE(dialogs.shown.last().icon, UiDialogs::Icon::Information);
    QCOMPARE(w->focusWidget()->objectName(), focus);
    for (const char* other : {"teacher", "classroom"})
        SaveScreenshot(MakeEditor(other, f.ctx).get());
    for (QLineEdit* field : {w->txtCode, w->txtName, w->txtFullName, w->txtShortName})
        QVERIFY2(red.contains(field->objectName()) ? IsRed(field) : IsWhite(field),
                 qPrintable(field->objectName()));
    QCOMPARE(Rows(f, kind), 0LL);
    QCOMPARE(w->staMsgPanel1->text(), QString());
}

void TestListEditors::addTrimsAndRefusesAnExistingCode() {
    EditorFixture f;
    f.open();
    FakeDialogs dialogs;
    auto w = MakeEditor("course", f.ctx);
    Type(*w, " C1", "语文 ", " 语文课", " 语");
    w->cmdAppend->click();
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(f.count("select count(*) from Coursetb where Code='C1' and Name='语文' and "
                     "FullName='语文课' and ShortName='语'"),
             1LL);
    QCOMPARE(w->staMsgPanel1->text(), QString("添加记录成功！添加了1条记录"));
    QCOMPARE(w->lstAllRecord->selectedItems().value(0)->text(0), QString("C1"));
    QCOMPARE(w->txtCode->text(), QString());
    QCOMPARE(w->txtShortName->text(), QString());

    // The check uses the trimmed code; the message shows it as typed.
    Type(*w, "C1 ", "数学", "数学", "数");
    w->cmdAppend->click();
    QCOMPARE(dialogs.lastText(), QString("该课程代码： C1  已经存在！"));
    QCOMPARE(dialogs.lastTitle(), f.ctx.systemTitle);
    QCOMPARE(w->txtName->text(), QString("数学"));
    QCOMPARE(f.count("select count(*) from Coursetb"), 1LL);
    QCOMPARE(w->lstAllRecord->topLevelItemCount(), 1);

    auto teachers = MakeEditor("teacher", f.ctx);
    Type(*teachers, "T1", "张", "张", "张");
    teachers->cmdAppend->click();
    Type(*teachers, "T1", "李", "李", "李");
    teachers->cmdAppend->click();
    QCOMPARE(dialogs.lastText(), QString("该老师代码： T1 已经存在！"));

    // A pasted line break or control character is refused with a message.
    Type(*teachers, "T2", "王\n丽", "王丽", "王");
    teachers->cmdAppend->click();
    QVERIFY(dialogs.lastText().contains("控制字符"));
    QCOMPARE(teachers->focusWidget(), teachers->txtName);
    QCOMPARE(f.count("select count(*) from Teachertb where Code='T2'"), 0LL);
    // So is an invisible one, which would make a second 马宇 printed like the first.
    Type(*teachers, "T2", "马\u200b宇", "马宇", "马");
    teachers->cmdAppend->click();
    QVERIFY2(dialogs.lastText().contains("U+200B"), qPrintable(dialogs.lastText()));
    Type(*teachers, "T2", "马宇", "马宇", "\u202e马");
    teachers->cmdAppend->click();
    QVERIFY2(dialogs.lastText().contains("U+202E"), qPrintable(dialogs.lastText()));
    QCOMPARE(f.count("select count(*) from Teachertb where Code='T2'"), 0LL);
}

void TestListEditors::keyboardCycleAndEnterToAdd() {
    EditorFixture f;
    f.open();
    FakeDialogs dialogs;
    auto editor = MakeEditor("course", f.ctx);
    auto* w = static_cast<frmCourseInput*>(editor.get());
    const std::pair<QLineEdit*, QLineEdit*> downs[] = {{w->txtName, w->txtFullName},
                                                       {w->txtFullName, w->txtShortName},
                                                       {w->txtShortName, w->txtMaxClasses},
                                                       {w->txtMaxClasses, w->txtMaxPerDay},
                                                       {w->txtMaxPerDay, w->txtCode}};
    for (auto [from, to] : downs) {
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_Return}) {
            from->setFocus();
            QTest::keyClick(from, key);
            QCOMPARE(w->focusWidget(), to);
        }
    }
    QTest::keyClick(w->txtCode, Qt::Key_Up);
    QCOMPARE(w->focusWidget(), w->txtMaxPerDay);
    QTest::keyClick(w->txtMaxPerDay, Qt::Key_Up);
    QCOMPARE(w->focusWidget(), w->txtMaxClasses);
    QTest::keyClick(w->txtMaxClasses, Qt::Key_Up);
    QCOMPARE(w->focusWidget(), w->txtShortName);
    QTest::keyClick(w->txtShortName, Qt::Key_Up);
    QCOMPARE(w->focusWidget(), w->txtFullName);
    QTest::keyClick(w->txtFullName, Qt::Key_Up);
    QCOMPARE(w->focusWidget(), w->txtName);

    // Enter in the code field with something missing adds nothing.
    Type(*w, "1", "语文", "", "语");
    QTest::keyClick(w->txtCode, Qt::Key_Return);
    QCOMPARE(dialogs.lastText(), QString("请输入课程全称。"));
    QCOMPARE(f.count("select count(*) from Coursetb"), 0LL);

    Type(*w, "1", "语文", "语文", "语");
    QTest::keyClick(w->txtCode, Qt::Key_Return);
    QCOMPARE(f.count("select count(*) from Coursetb"), 1LL);
    QCOMPARE(w->focusWidget(), w->txtName);
    QCOMPARE(w->txtCode->text(), QString());
}

void TestListEditors::deleteRemovesDependentRows_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<QList<long long>>("left"); // lessons, plan rows, limits, records
    QTest::newRow("course") << "course" << true << false << QList<long long>{1, 1, 3, 1};
    QTest::newRow("course by Delete key")
        << "course" << true << true << QList<long long>{1, 1, 3, 1};
    QTest::newRow("course answered No")
        << "course" << false << false << QList<long long>{2, 2, 4, 2};
    QTest::newRow("teacher") << "teacher" << true << false << QList<long long>{1, 1, 3, 1};
    QTest::newRow("classroom keeps its limits")
        << "classroom" << true << false << QList<long long>{2, 2, 4, 1};
}

void TestListEditors::deleteRemovesDependentRows() {
    QFETCH(QString, kind);
    QFETCH(bool, yes);
    QFETCH(bool, byKey);
    QFETCH(QList<long long>, left);
    EditorFixture f;
    f.t.exec(QString("insert into %1 values('1','甲','甲','甲'),('10','乙','乙','乙')")
                 .arg(TableOf(kind)));
    const bool teacher = kind == "teacher";
    const int limitKind = kind == "course" ? 1 : teacher ? 2 : 3;
    for (const char* code : {"1", "10"}) {
        f.t.addPlan("11", teacher ? "C" : code, teacher ? code : "T", 4);
        f.t.addLesson("11", 1, static_cast<int>(std::strlen(code)), teacher ? "C" : code,
                      teacher ? code : "T", 1);
        f.t.addLimit(limitKind, code, 1, 1, 3);
    }
    f.t.addLimit(0, "1", 1, 1, 3); // a class's limit under the same code stays
    f.t.addLimit(limitKind == 1 ? 2 : 1, "1", 1, 2, 3);
    f.open();
    FakeDialogs dialogs;
    dialogs.answers.enqueue(yes ? UiDialogs::Answer::Yes : UiDialogs::Answer::No);
    auto w = MakeEditor(kind, f.ctx);
    ClickRow(w->lstAllRecord, "1");
    QCOMPARE(w->txtName->text(), QString("甲"));
    if (byKey)
        QTest::keyClick(w->lstAllRecord, Qt::Key_Delete);
    else
        w->cmdDelete->click();
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.lastText(), QString("警告： 确定要删除 '甲' 吗？(Y/N)？"));
    QCOMPARE(dialogs.lastTitle(), QString("数据删除"));
    QCOMPARE(dialogs.shown.last().buttons, UiDialogs::Buttons::YesNo);
    QCOMPARE(dialogs.shown.last().icon, UiDialogs::Icon::Question);
    QCOMPARE(f.count("select count(*) from LessonListtb"), left[0]);
    QCOMPARE(f.count("select count(*) from ClassPlantb"), left[1]);
    QCOMPARE(f.count("select count(*) from Limittb"), left[2]);
    QCOMPARE(Rows(f, kind), left[3]);
    if (!yes) {
        QCOMPARE(ColumnTexts(w->lstAllRecord), QStringList({"1", "10"}));
        QCOMPARE(w->txtName->text(), QString("甲"));
        return;
    }
    QCOMPARE(f.count("select count(*) from Limittb where Kind=0"), 1LL);
    QCOMPARE(ColumnTexts(w->lstAllRecord), QStringList({"10"}));
    QCOMPARE(w->staMsgPanel1->text(), QString("删除记录成功！删除了1条记录"));
    QCOMPARE(w->txtCode->text(), QString());
    QCOMPARE(w->focusWidget(), w->lstAllRecord);
}

void TestListEditors::deleteAndModifyNeedAChosenExistingRecord() {
    EditorFixture f;
    f.t.addCourse("1", "语文");
    f.t.addPlan("11", "1", "T", 4);
    f.open();
    FakeDialogs dialogs;
    dialogs.answers << UiDialogs::Answer::Yes << UiDialogs::Answer::Yes;
    auto w = MakeEditor("course", f.ctx);
    Type(*w, "1", "语文", "语文", "语文");
    w->cmdDelete->click();
    QCOMPARE(dialogs.lastText(), QString("请先在列表中选择要删除的记录。"));
    w->cmdModify->click();
    QCOMPARE(dialogs.lastText(), QString("请先在列表中选择要修改的记录。"));

    // A chosen row whose code is not in the table any more is refused too.
    ClickRow(w->lstAllRecord, "1");
    f.exec("update Coursetb set Code='2'");
    w->cmdDelete->click();
    QCOMPARE(dialogs.lastText(), QString("代码为1的记录不存在，未被删除。"));
    w->txtName->setText("数学");
    w->cmdModify->click();
    QCOMPARE(dialogs.lastText(), QString("代码为1的记录不存在，未被修改。"));
    QCOMPARE(dialogs.answers.size(), 2); // nothing was asked
    QCOMPARE(f.count("select count(*) from ClassPlantb"), 1LL);
    QCOMPARE(f.text("select Name from Coursetb where Code=?", "2"), QString("语文"));
    QCOMPARE(w->lstAllRecord->topLevelItemCount(), 1);
}

void TestListEditors::modifyRefreshesTheRowOfTheEqualCode() {
    EditorFixture f;
    f.t.addCourse("10", "十");
    f.t.addCourse("1", "一");
    f.open();
    FakeDialogs dialogs;
    auto w = MakeEditor("course", f.ctx);
    ClickRow(w->lstAllRecord, "1");
    w->txtName->setText(" 语文 ");
    w->txtShortName->setText("语");
    w->cmdModify->click();
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(f.text("select Name||'/'||ShortName from Coursetb where Code=?", "1"),
             QString("语文/语"));
    QCOMPARE(f.text("select Name from Coursetb where Code=?", "10"), QString("十"));
    QCOMPARE(ColumnTexts(w->lstAllRecord, 1), QStringList({"十", "语文"}));
    QCOMPARE(w->lstAllRecord->selectedItems().value(0)->text(0), QString("1"));
    QCOMPARE(w->staMsgPanel1->text(), QString("修改记录成功！修改了1条记录"));
    QCOMPARE(w->txtName->text(), QString(" 语文 ")); // the fields keep their contents
    QCOMPARE(w->focusWidget(), w->lstAllRecord);
}

void TestListEditors::codeCannotBeModified() {
    EditorFixture f;
    f.t.addCourse("C1", "语文");
    f.t.addTeacher("T1", "张");
    f.open();
    FakeDialogs dialogs;
    struct Case {
        QString kind, code, changed, message;
    };
    for (const Case& c : {Case{"course", "C1", "C1 ", "课程代码不能修改！"},
                          Case{"teacher", "T1", "T2", "教师代码不能修改！"}}) {
        auto w = MakeEditor(c.kind, f.ctx);
        ClickRow(w->lstAllRecord, c.code);
        w->txtCode->setText(c.changed);
        w->txtName->setText("新");
        w->cmdModify->click();
        QCOMPARE(dialogs.lastText(), c.message);
        QCOMPARE(dialogs.lastTitle(), QString("输入信息检查"));
        QCOMPARE(dialogs.shown.last().icon, UiDialogs::Icon::Warning);
        QVERIFY(IsRed(w->txtCode));
        QCOMPARE(w->focusWidget(), w->txtCode);
    }
    QCOMPARE(f.text("select Name from Coursetb where Code=?", "C1"), QString("语文"));
    QCOMPARE(f.text("select Name from Teachertb where Code=?", "T1"), QString("张"));
}

void TestListEditors::classRoomModifyUsesTheTypedCode() {
    EditorFixture f;
    f.t.addClassRoom("R1", "音乐室");
    f.t.addClassRoom("R2", "美术室");
    f.open();
    FakeDialogs dialogs;
    auto w = MakeEditor("classroom", f.ctx);
    ClickRow(w->lstAllRecord, "R1");
    w->txtCode->setText("R2");
    w->txtName->setText("舞蹈室");
    w->cmdModify->click();
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(f.text("select Name from ClassRoomtb where Code=?", "R2"), QString("舞蹈室"));
    QCOMPARE(f.text("select Name from ClassRoomtb where Code=?", "R1"), QString("音乐室"));
    QCOMPARE(ColumnTexts(w->lstAllRecord, 1), QStringList({"音乐室", "舞蹈室"}));
    QCOMPARE(w->lstAllRecord->selectedItems().value(0)->text(0), QString("R2"));
}

void TestListEditors::failuresAreReportedAndLeaveDataAsItWas() {
    EditorFixture f;
    f.t.addCourse("1", "语文");
    f.t.addPlan("11", "1", "T", 4);
    f.t.addLesson("11", 1, 1, "1", "T", 1);
    f.t.addLimit(1, "1", 1, 1, 3);
    f.t.exec(
        "create trigger noInsert before insert on Coursetb begin select raise(abort,'x'); end");
    f.t.exec(
        "create trigger noUpdate before update on Coursetb begin select raise(abort,'x'); end");
    f.t.exec(
        "create trigger noDelete before delete on Coursetb begin select raise(abort,'x'); end");
    f.open();
    FakeDialogs dialogs;
    dialogs.answers << UiDialogs::Answer::Yes;
    auto w = MakeEditor("course", f.ctx);

    Type(*w, "2", "数学", "数学", "数");
    w->cmdAppend->click();
    QCOMPARE(w->staMsgPanel1->text(), QString("添加记录失败"));
    QCOMPARE(dialogs.lastTitle(), QString("添加失败"));
    QCOMPARE(dialogs.lastText(), QString("添加记录失败"));
    QCOMPARE(w->txtName->text(), QString("数学"));

    ClickRow(w->lstAllRecord, "1");
    w->txtName->setText("国文");
    w->cmdModify->click();
    QCOMPARE(w->staMsgPanel1->text(), QString("修改记录失败"));
    QCOMPARE(dialogs.lastTitle(), QString("修改失败"));
    QCOMPARE(dialogs.shown.last().icon, UiDialogs::Icon::Error);
    QCOMPARE(dialogs.lastText(), QString("修改记录失败,代码为1的记录未被修改"));

    // The course row fails last: its lessons, plan rows and limits come back.
    w->cmdDelete->click();
    QCOMPARE(w->staMsgPanel1->text(), QString("删除记录失败"));
    QCOMPARE(dialogs.lastTitle(), QString("删除失败"));
    QCOMPARE(dialogs.lastText(), QString("删除记录失败, '国文' 未被删除"));
    QCOMPARE(f.count("select count(*) from LessonListtb"), 1LL);
    QCOMPARE(f.count("select count(*) from ClassPlantb"), 1LL);
    QCOMPARE(f.count("select count(*) from Limittb"), 1LL);
    QCOMPARE(ColumnTexts(w->lstAllRecord, 1), QStringList({"语文"}));
}

void TestListEditors::headerClickSortsByColumnText() {
    EditorFixture f;
    f.t.addCourse("9", "B");
    f.t.addCourse("10", "C");
    f.t.addCourse("2", "A");
    f.open();
    FakeDialogs dialogs;
    auto w = MakeEditor("course", f.ctx);
    QTreeWidget* list = w->lstAllRecord;
    // The code column is the key from the start, so its first click flips the order.
    ClickHeader(list, 0);
    QCOMPARE(ColumnTexts(list), QStringList({"9", "2", "10"}));
    ClickHeader(list, 0);
    QCOMPARE(ColumnTexts(list), QStringList({"10", "2", "9"}));
    ClickHeader(list, 1); // another column keeps the order
    QCOMPARE(ColumnTexts(list), QStringList({"2", "9", "10"}));
    ClickHeader(list, 1);
    QCOMPARE(ColumnTexts(list), QStringList({"10", "9", "2"}));

    // A record added to a sorted list goes to its place.
    Type(*w, "3", "BB", "BB", "BB");
    w->cmdAppend->click();
    QCOMPARE(ColumnTexts(list), QStringList({"10", "3", "9", "2"}));
    QCOMPARE(list->selectedItems().value(0)->text(0), QString("3"));
}

void TestListEditors::menuEntriesOpenTheEditors() {
    EditorFixture f;
    f.open();
    frmMain main(f.ctx);
    // The classroom entry stays hidden, which leaves it disabled too.
    QVERIFY(!main.findChild<QAction*>("mnuClassRoomList")->isVisible());
    for (const char* entry : {"mnuClassList", "mnuCourseList", "mnuTeacherList", "mnuGroupList"}) {
        auto* action = main.findChild<QAction*>(entry);
        QVERIFY2(action && action->isEnabled(), entry);
        QString opened;
        OnNextModal([&opened](QWidget* w) {
            opened = w->objectName();
            w->close();
        });
        action->trigger();
        QCOMPARE(opened, QString(entry).replace("mnu", "frm").replace("List", "Input"));
    }
}

void TestListEditors::teacherLimitsAndGroupAreKeptWithTheTeacher() {
    EditorFixture f;
    f.t.addTeacher("T1", "张");
    f.t.addTeacher("T2", "李");
    f.t.exec("insert into TeacherGrouptb (Code,Name) values ('G1','语文组'),('G2','数学组')");
    f.open();
    FakeDialogs dialogs;
    auto w = MakeEditor("teacher", f.ctx);
    auto* t = static_cast<frmTeacherInput*>(w.get());
    QCOMPARE(t->cboGroup->count(), 3); // none and the two groups
    // Added with the teacher.
    Type(*w, "T3", "王", "王芳", "王");
    t->spnMaxPerDay->setValue(4);
    t->spnMaxInRow->setValue(2);
    t->cboGroup->setCurrentIndex(t->cboGroup->findText("语文组"));
    w->cmdAppend->click();
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(f.text("select MaxPerDay||'/'||MaxInRow||'/'||GroupCode from TeacherRuletb where "
                    "TeacherCode=?",
                    "T3"),
             QString("4/2/G1"));
    QCOMPARE(t->spnMaxPerDay->value(), 0); // cleared with the fields
    QCOMPARE(t->spnMaxPerDay->text(), QString("不限"));
    // Shown with the chosen teacher, changed by 修改.
    ClickRow(w->lstAllRecord, "T3");
    QCOMPARE(t->spnMaxInRow->value(), 2);
    QCOMPARE(t->cboGroup->currentText(), QString("语文组"));
    ClickRow(w->lstAllRecord, "T1");
    QCOMPARE(t->spnMaxInRow->value(), 0);
    QCOMPARE(t->cboGroup->currentIndex(), 0);
    t->cboGroup->setCurrentIndex(t->cboGroup->findText("数学组"));
    w->cmdModify->click();
    QCOMPARE(f.text("select GroupCode from TeacherRuletb where TeacherCode=?", "T1"),
             QString("G2"));

    // Both limits for every teacher in one step, after asking; groups stay.
    t->spnMaxPerDay->setValue(5);
    t->spnMaxInRow->setValue(0);
    t->cmdApplyAll->click(); // cancelled
    QCOMPARE(f.count("select count(*) from TeacherRuletb where MaxPerDay=5"), 0LL);
    dialogs.answers << UiDialogs::Answer::Ok;
    t->cmdApplyAll->click();
    QVERIFY(dialogs.lastText().contains("每天最多节数设为5，最多连上节数设为不限"));
    QCOMPARE(f.count("select count(*) from TeacherRuletb where MaxPerDay=5 and MaxInRow is null"),
             3LL);
    QCOMPARE(f.text("select GroupCode from TeacherRuletb where TeacherCode=?", "T3"),
             QString("G1"));
    // Deleting a teacher takes their settings with them.
    dialogs.answers << UiDialogs::Answer::Yes;
    ClickRow(w->lstAllRecord, "T3");
    w->cmdDelete->click();
    QCOMPARE(f.count("select count(*) from TeacherRuletb where TeacherCode='T3'"), 0LL);
}

void TestListEditors::groupListEditsTheGroups() {
    EditorFixture f;
    // An older database: the first group makes the tables.
    f.t.exec("drop table TeacherRuletb");
    f.t.exec("drop table TeacherGrouptb");
    f.open();
    FakeDialogs dialogs;
    auto w = std::make_unique<frmGroupInput>(f.ctx);
    w->show();
    QCOMPARE(w->windowTitle(), QString("教研组名单"));
    QCOMPARE(w->lstAllRecord->topLevelItemCount(), 0);
    Type(*w, "G1", "语文组", "", "");
    w->cmdAppend->click();
    QVERIFY2(dialogs.shown.isEmpty(), qPrintable(dialogs.lastText()));
    QCOMPARE(f.count("select count(*) from TeacherGrouptb"), 1LL);
    // Deleting a group takes its time limits and its teachers' membership.
    f.exec("insert into TeacherRuletb (TeacherCode,MaxPerDay,GroupCode) values ('T1',4,'G1')");
    f.exec("insert into Limittb values (4,'G1',3,5,3)");
    dialogs.answers << UiDialogs::Answer::Yes;
    ClickRow(w->lstAllRecord, "G1");
    w->cmdDelete->click();
    QCOMPARE(f.count("select count(*) from TeacherGrouptb"), 0LL);
    QCOMPARE(f.count("select count(*) from Limittb where Kind=4"), 0LL);
    QCOMPARE(f.count("select count(*) from TeacherRuletb where GroupCode is null and "
                     "MaxPerDay=4"),
             1LL);
    SaveScreenshot(w.get());
}

void TestListEditors::courseRulesAreCheckedStoredAndShown() {
    EditorFixture f;
    for (const char* c : {"11", "12", "13"})
        f.t.addClass(c, c);
    f.t.addCourse("09", "信息技术", "信");
    f.t.exec("insert into CourseAttrtb values ('09')");
    f.open();
    FakeDialogs dialogs;
    auto editor = MakeEditor("course", f.ctx);
    auto* w = static_cast<frmCourseInput*>(editor.get());
    QCOMPARE(w->lstAllRecord->headerItem()->text(4), QStringLiteral("同时上课班数"));
    QCOMPARE(ColumnTexts(w->lstAllRecord, 4), QStringList{"1"}); // CourseAttrtb alone
    ClickRow(w->lstAllRecord, "09");
    QCOMPARE(w->txtMaxClasses->text(), QString("1"));
    QCOMPARE(w->txtMaxPerDay->text(), QString());

    // Bad input: refused with the range, nothing stored.
    const std::pair<QLineEdit*, const char*> bad[] = {{w->txtMaxClasses, "4"},
                                                      {w->txtMaxClasses, "0"},
                                                      {w->txtMaxClasses, "二"},
                                                      {w->txtMaxPerDay, "7"},
                                                      {w->txtMaxPerDay, "1.5"}};
    for (auto [field, text] : bad) {
        ClickRow(w->lstAllRecord, "09");
        field->setText(QString::fromUtf8(text));
        w->cmdModify->click();
        QVERIFY2(dialogs.lastText().contains(field == w->txtMaxClasses
                                                 ? QStringLiteral("应是 1 到 3 的整数")
                                                 : QStringLiteral("应是 1 到 6 的整数")),
                 qPrintable(dialogs.lastText()));
        QCOMPARE(w->focusWidget(), field);
    }
    QCOMPARE(f.count("select count(*) from CourseAttrtb"), 1LL);

    // A room for three, two a day: CourseAttrtb loses the exclusive mark.
    ClickRow(w->lstAllRecord, "09");
    w->txtMaxClasses->setText("3");
    w->txtMaxPerDay->setText(" 2 ");
    w->cmdModify->click();
    QCOMPARE(f.count("select count(*) from CourseAttrtb"), 0LL);
    QCOMPARE(f.count("select MaxClasses * 10 + MaxPerDay from CourseRuletb where CourseCode = "
                     "'09'"),
             32LL);
    QCOMPARE(ColumnTexts(w->lstAllRecord, 5), QStringList{"2"});

    // A new course with its rules; emptied fields take them off again.
    Type(*w, "10", "体育", "体育", "体");
    w->txtMaxClasses->setText("1");
    w->txtMaxPerDay->clear();
    w->cmdAppend->click();
    QCOMPARE(f.count("select count(*) from CourseAttrtb where CourseCode = '10'"), 1LL);
    QCOMPARE(w->txtMaxClasses->text(), QString());
    ClickRow(w->lstAllRecord, "10");
    w->txtMaxClasses->clear();
    w->cmdModify->click();
    QCOMPARE(f.count("select count(*) from CourseAttrtb"), 0LL);
    QCOMPARE(f.count("select count(*) from CourseRuletb where CourseCode = '10'"), 0LL);
    QCOMPARE(ColumnTexts(w->lstAllRecord, 4), QStringList({"3", ""}));
}

void TestListEditors::screenshots() {
    EditorFixture f;
    f.t.addCourse("1", "语文", "语");
    f.t.addCourse("2", "数学", "数");
    f.t.addCourse("3", "英语", "英");
    f.open();
    FakeDialogs dialogs;
    auto w = MakeEditor("course", f.ctx);
    f.exec("insert into CourseRuletb values ('3', 1, NULL), ('2', NULL, 2)");
    w = MakeEditor("course", f.ctx);
    ClickRow(w->lstAllRecord, "2");
    w->txtShortName->clear();
    w->cmdModify->click(); // shows the red mark
    w->staMsgPanel1->setText("添加记录成功！添加了1条记录");
    SaveScreenshot(w.get());
    QVERIFY(w->lstAllRecord->geometry().bottom() < w->staMsg->geometry().top());
    QVERIFY(w->fraOp->geometry().left() > w->fraData->geometry().right());
    for (const char* other : {"teacher", "classroom"})
        SaveScreenshot(MakeEditor(other, f.ctx).get());
    for (QLineEdit* field : {w->txtCode, w->txtName, w->txtFullName, w->txtShortName})
        QVERIFY2(field->height() >= field->sizeHint().height() - 2,
                 qPrintable(QString::number(field->sizeHint().height())));
}

QTEST_MAIN(TestListEditors)
#include "test_listeditors.moc"
