#include "EditorTest.h"
#include "FakeDialogs.h"
#include "core/model/ClassNames.h"
#include "gui/basedata/frmClassInput.h"

#include <QComboBox>
#include <QPushButton>
#include <QStatusBar>
#include <memory>

namespace {

std::unique_ptr<frmClassInput> MakeEditor(AppContext& ctx) {
    auto w = std::make_unique<frmClassInput>(ctx);
    w->show();
    return w;
}

// A choice in a drop-down list, as the user makes it.
void Choose(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
}

void Choose(frmClassInput& w, int grade, int classNumber) {
    Choose(w.cmbGrade, grade);
    Choose(w.cmbClass, classNumber - 1);
}

QStringList Names(const frmClassInput& w) {
    return {w.txtName->text(), w.txtFullName->text(), w.txtShortName->text()};
}

} // namespace

class TestClassEditor : public QObject {
    Q_OBJECT
private slots:
    void codeAndNamesFromGradeAndNumber_data();
    void codeAndNamesFromGradeAndNumber();
    void splitClassCode_data();
    void splitClassCode();
    void choosingFillsTheNames();
    void addStoresTheFormedCodeAndRefusesAnExistingClass();
    void checkInputOrderAndMarks_data();
    void checkInputOrderAndMarks();
    void clickingARowChoosesGradeAndNumber_data();
    void clickingARowChoosesGradeAndNumber();
    void deleteRemovesTheClassLessonsPlanAndLimits();
    void modifyRewritesNamesOfTheEqualCodeOnly();
    void withoutAChosenRowNothingIsDone();
    void keysMoveButEnterNeverAdds();
    void screenshot();
};

void TestClassEditor::codeAndNamesFromGradeAndNumber_data() {
    QTest::addColumn<int>("grade");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("pre-school 3") << 0 << 3 << "03"
                                  << QStringList{"学前（3）班", "学前年级（3）班", "学前（3）"};
    QTest::newRow("grade one 1") << 1 << 1 << "11"
                                 << QStringList{"一（1）班", "一年级（1）班", "一（1）"};
    QTest::newRow("grade one 12") << 1 << 12 << "112"
                                  << QStringList{"一（12）班", "一年级（12）班", "一（12）"};
    QTest::newRow("grade six 20") << 6 << 20 << "620"
                                  << QStringList{"六（20）班", "六年级（20）班", "六（20）"};
}

void TestClassEditor::codeAndNamesFromGradeAndNumber() {
    QFETCH(int, grade);
    QFETCH(int, number);
    QFETCH(QString, code);
    QFETCH(QStringList, names);
    QCOMPARE(FormClassCode(grade, number), code);
    const ClassNames n = FormClassNames(grade, number);
    QCOMPARE(QStringList({n.name, n.fullName, n.shortName}), names);
    QCOMPARE(GradeName(7), QString());
    QCOMPARE(GradeName(-1), QString());
}

void TestClassEditor::splitClassCode_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("grade");
    QTest::addColumn<int>("number");
    QTest::newRow("03") << "03" << 0 << 3;
    QTest::newRow("112") << "112" << 1 << 12;
    QTest::newRow("grade only") << "5" << 5 << -1;
    QTest::newRow("letters") << "A1" << -1 << -1;
    QTest::newRow("empty") << "" << -1 << -1;
}

void TestClassEditor::splitClassCode() {
    QFETCH(QString, code);
    QFETCH(int, grade);
    QFETCH(int, number);
    const ClassCodeParts parts = SplitClassCode(code);
    QCOMPARE(parts.grade, grade);
    QCOMPARE(parts.classNumber, number);
}

void TestClassEditor::choosingFillsTheNames() {
    EditorFixture f;
    f.open();
    FakeDialogs dialogs;
    auto w = MakeEditor(f.ctx);
    QCOMPARE(w->cmbGrade->currentIndex(), -1);
    QCOMPARE(w->cmbClass->count(), 20);
    QCOMPARE(w->cmbGrade->itemText(0), QString("学前"));
    QCOMPARE(w->cmbGrade->itemText(6), QString("六年级"));
    w->txtName->setText("自己写的");
    Choose(w->cmbGrade, 2); // no class number yet
    QCOMPARE(Names(*w), QStringList({"", "", ""}));
    Choose(w->cmbClass, 4);
    QCOMPARE(Names(*w), QStringList({"二（5）班", "二年级（5）班", "二（5）"}));
    Choose(w->cmbGrade, 0);
    QCOMPARE(Names(*w), QStringList({"学前（5）班", "学前年级（5）班", "学前（5）"}));
}

void TestClassEditor::addStoresTheFormedCodeAndRefusesAnExistingClass() {
    EditorFixture f;
    f.t.addClass("23", "二（3）班");
    f.open();
    FakeDialogs dialogs;
    auto w = MakeEditor(f.ctx);
    Choose(*w, 0, 3);
    w->txtShortName->setText(" 学前三 ");
    w->cmdAppend->click();
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(f.text("select Name||'/'||FullName||'/'||ShortName from Classtb where Code=?", "03"),
             QString("学前（3）班/学前年级（3）班/学前三"));
    QCOMPARE(w->staMsgPanel1->text(), QString("添加记录成功！添加了1条记录"));
    QCOMPARE(ColumnTexts(w->lstAllRecord), QStringList({"23", "03"}));
    QCOMPARE(w->lstAllRecord->selectedItems().value(0)->text(0), QString("03"));
    // The names are emptied, the lists keep their choice for the next class.
    QCOMPARE(Names(*w), QStringList({"", "", ""}));
    QCOMPARE(w->cmbGrade->currentIndex(), 0);
    QCOMPARE(w->cmbClass->currentIndex(), 2);

    Choose(*w, 2, 3);
    w->cmdAppend->click();
    QCOMPARE(dialogs.lastText(), QString("二年级（3）班 已经存在！"));
    QCOMPARE(dialogs.lastTitle(), f.ctx.systemTitle);
    QCOMPARE(f.count("select count(*) from Classtb"), 2LL);

    Choose(*w, 1, 12);
    w->cmdAppend->click();
    QCOMPARE(f.count("select count(*) from Classtb where Code='112'"), 1LL);
}

void TestClassEditor::checkInputOrderAndMarks_data() {
    QTest::addColumn<int>("grade"); // -1: nothing chosen
    QTest::addColumn<int>("number");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QStringList>("red");
    QTest::newRow("nothing at all")
        << -1 << -1 << QStringList{"", "", ""} << "请选择年级。"
        << "cmbGrade"
        << QStringList{"cmbGrade", "cmbClass", "txtName", "txtFullName", "txtShortName"};
    QTest::newRow("no class number") << 3 << -1 << QStringList{"甲", "甲", "甲"} << "请选择班级。"
                                     << "cmbClass" << QStringList{"cmbClass"};
    QTest::newRow("blank name") << 3 << 1 << QStringList{" ", "甲", ""} << "请输入班级名称。"
                                << "txtName" << QStringList{"txtName", "txtShortName"};
    QTest::newRow("short name alone") << 3 << 1 << QStringList{"甲", "甲", ""} << "请输入班级简称。"
                                      << "txtShortName" << QStringList{"txtShortName"};
}

void TestClassEditor::checkInputOrderAndMarks() {
    QFETCH(int, grade);
    QFETCH(int, number);
    QFETCH(QStringList, names);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    QFETCH(QStringList, red);
    EditorFixture f;
    f.open();
    FakeDialogs dialogs;
    auto w = MakeEditor(f.ctx);
    w->cmbGrade->setCurrentIndex(grade);
    w->cmbClass->setCurrentIndex(number - 1 < 0 ? -1 : number - 1);
    w->txtName->setText(names[0]);
    w->txtFullName->setText(names[1]);
    w->txtShortName->setText(names[2]);
    w->cmdAppend->click();
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.lastText(), message);
    QCOMPARE(dialogs.lastTitle(), QString("输入信息检查"));
    QCOMPARE(dialogs.shown.last().icon, UiDialogs::Icon::Warning);
    QCOMPARE(w->focusWidget()->objectName(), focus);
    for (QWidget* field : std::initializer_list<QWidget*>{w->cmbGrade, w->cmbClass, w->txtName,
                                                          w->txtFullName, w->txtShortName})
        QVERIFY2(red.contains(field->objectName()) ? IsRed(field) : IsWhite(field),
                 qPrintable(field->objectName()));
    QCOMPARE(f.count("select count(*) from Classtb"), 0LL);
}

void TestClassEditor::clickingARowChoosesGradeAndNumber_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("grade");
    QTest::addColumn<int>("classIndex");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("03") << "03" << 0 << 2 << QStringList{"学前三班", "学前三班全", "学前三"};
    QTest::newRow("112") << "112" << 1 << 11 << QStringList{"一十二班", "一十二班全", "一十二"};
    // Class 21 is beyond the list: the filling stops after the grade.
    QTest::newRow("121") << "121" << 1 << 4 << QStringList{"一（5）班", "一年级（5）班", "一（5）"};
}

void TestClassEditor::clickingARowChoosesGradeAndNumber() {
    QFETCH(QString, code);
    QFETCH(int, grade);
    QFETCH(int, classIndex);
    QFETCH(QStringList, names);
    EditorFixture f;
    f.t.addClass("03", "学前三班", "学前三班全", "学前三");
    f.t.addClass("112", "一十二班", "一十二班全", "一十二");
    f.t.addClass("121", "一廿一班", "一廿一班全", "一廿一");
    f.open();
    FakeDialogs dialogs;
    auto w = MakeEditor(f.ctx);
    Choose(*w, 3, 5);
    ClickRow(w->lstAllRecord, code);
    QCOMPARE(w->cmbGrade->currentIndex(), grade);
    QCOMPARE(w->cmbClass->currentIndex(), classIndex);
    QCOMPARE(Names(*w), names);
    QVERIFY(dialogs.shown.isEmpty());
}

void TestClassEditor::deleteRemovesTheClassLessonsPlanAndLimits() {
    EditorFixture f;
    f.t.addClass("11", "一（1）班");
    f.t.addClass("110", "一（10）班");
    for (const char* cls : {"11", "110"}) {
        f.t.addPlan(cls, "1", "T1", 5);
        f.t.addLesson(cls, 1, 1, "1", "T1", 1);
        f.t.addLimit(0, cls, 1, 1, 3);
    }
    f.t.addLimit(1, "11", 1, 1, 3); // a course with the same code keeps its limit
    f.open();
    FakeDialogs dialogs;
    dialogs.answers << UiDialogs::Answer::No << UiDialogs::Answer::Yes;
    auto w = MakeEditor(f.ctx);
    ClickRow(w->lstAllRecord, "11");
    w->cmdDelete->click();
    QCOMPARE(dialogs.lastText(), QString("警告： 确定要删除 '11  一（1）班' 吗？(Y/N)？"));
    QCOMPARE(dialogs.lastTitle(), QString("数据删除"));
    QCOMPARE(f.count("select count(*) from LessonListtb"), 2LL);
    QCOMPARE(f.count("select count(*) from Classtb"), 2LL);

    QTest::keyClick(w->lstAllRecord, Qt::Key_Delete);
    QCOMPARE(f.count("select count(*) from Classtb where Code='11'"), 0LL);
    QCOMPARE(f.count("select count(*) from LessonListtb where ClassCode='11'"), 0LL);
    QCOMPARE(f.count("select count(*) from ClassPlantb where ClassCode='11'"), 0LL);
    QCOMPARE(f.count("select count(*) from Limittb where Code='11'"), 1LL);
    QCOMPARE(f.count("select count(*) from LessonListtb"), 1LL);
    QCOMPARE(f.count("select count(*) from ClassPlantb"), 1LL);
    QCOMPARE(f.count("select count(*) from Limittb where Kind=0"), 1LL);
    QCOMPARE(ColumnTexts(w->lstAllRecord), QStringList({"110"}));
    QCOMPARE(w->staMsgPanel1->text(), QString("删除记录成功！删除了1条记录"));
    QCOMPARE(Names(*w), QStringList({"", "", ""}));
}

void TestClassEditor::modifyRewritesNamesOfTheEqualCodeOnly() {
    EditorFixture f;
    f.t.addClass("110", "一（10）班");
    f.t.addClass("11", "一（1）班");
    f.open();
    FakeDialogs dialogs;
    auto w = MakeEditor(f.ctx);
    ClickRow(w->lstAllRecord, "11");
    w->txtName->setText(" 一（1）实验班 ");
    w->cmdModify->click();
    QVERIFY(dialogs.shown.isEmpty());
    QCOMPARE(f.text("select Name from Classtb where Code=?", "11"), QString("一（1）实验班"));
    QCOMPARE(f.text("select Name from Classtb where Code=?", "110"), QString("一（10）班"));
    QCOMPARE(ColumnTexts(w->lstAllRecord, 1), QStringList({"一（10）班", "一（1）实验班"}));
    QCOMPARE(w->lstAllRecord->selectedItems().value(0)->text(0), QString("11"));
    QCOMPARE(w->staMsgPanel1->text(), QString("修改记录成功！修改了1条记录"));

    // Grade and class number cannot change.
    Choose(w->cmbClass, 9);
    w->txtName->setText("改");
    w->cmdModify->click();
    QCOMPARE(dialogs.lastText(), QString("班级代码不能修改！"));
    QCOMPARE(dialogs.lastTitle(), QString("输入信息检查"));
    QCOMPARE(dialogs.shown.last().icon, UiDialogs::Icon::Warning);
    QVERIFY(IsRed(w->cmbGrade));
    QVERIFY(IsRed(w->cmbClass));
    QCOMPARE(w->focusWidget(), w->cmbGrade);
    QCOMPARE(f.text("select Name from Classtb where Code=?", "110"), QString("一（10）班"));
}

void TestClassEditor::withoutAChosenRowNothingIsDone() {
    EditorFixture f;
    f.t.addClass("11", "一（1）班");
    f.open();
    FakeDialogs dialogs;
    dialogs.answers << UiDialogs::Answer::Yes;
    auto w = MakeEditor(f.ctx);
    Choose(*w, 1, 1);
    w->cmdDelete->click();
    QCOMPARE(dialogs.lastText(), QString("请先在列表中选择要删除的记录。"));
    w->cmdModify->click();
    QCOMPARE(dialogs.lastText(), QString("请先在列表中选择要修改的记录。"));
    // With a row chosen, a class that is not in the table is not deleted either.
    ClickRow(w->lstAllRecord, "11");
    Choose(*w, 1, 2);
    w->cmdDelete->click();
    QCOMPARE(dialogs.lastText(), QString("代码为12的记录不存在，未被删除。"));
    QCOMPARE(dialogs.answers.size(), 1);
    QCOMPARE(f.count("select count(*) from Classtb"), 1LL);
}

void TestClassEditor::keysMoveButEnterNeverAdds() {
    EditorFixture f;
    f.open();
    FakeDialogs dialogs;
    auto w = MakeEditor(f.ctx);
    QCOMPARE(w->focusWidget(), w->txtName);
    // The two lists come after the list view in the tab order.
    QStringList chain;
    for (QWidget* at = w->txtName; chain.size() < 10; at = at->nextInFocusChain())
        if (at->focusPolicy() & Qt::TabFocus)
            chain << at->objectName();
    QCOMPARE(chain, QStringList({"txtName", "txtFullName", "txtShortName", "cmdAppend", "cmdDelete",
                                 "cmdModify", "cmdOK", "lstAllRecord", "cmbGrade", "cmbClass"}));
    QTest::keyClick(w->txtName, Qt::Key_Return);
    QCOMPARE(w->focusWidget(), w->txtFullName);
    QTest::keyClick(w->txtFullName, Qt::Key_Down);
    QCOMPARE(w->focusWidget(), w->txtShortName);
    Choose(*w, 4, 2);
    QTest::keyClick(w->txtShortName, Qt::Key_Return);
    QCOMPARE(f.count("select count(*) from Classtb"), 0LL);
    QVERIFY(dialogs.shown.isEmpty());
    QTest::keyClick(w->txtShortName, Qt::Key_Up);
    QCOMPARE(w->focusWidget(), w->txtFullName);
}

void TestClassEditor::screenshot() {
    EditorFixture f;
    f.t.addClass("11", "一（1）班", "一年级（1）班", "一（1）");
    f.t.addClass("12", "一（2）班", "一年级（2）班", "一（2）");
    f.t.addClass("03", "学前（3）班", "学前年级（3）班", "学前（3）");
    f.open();
    FakeDialogs dialogs;
    auto w = MakeEditor(f.ctx);
    ClickRow(w->lstAllRecord, "12");
    SaveScreenshot(w.get());
    QVERIFY(w->Label1->geometry().left() > w->cmbClass->geometry().right());
    QVERIFY(w->cmbGrade->height() >= w->cmbGrade->sizeHint().height() - 2);
    QVERIFY(w->cmbGrade->width() >= w->cmbGrade->sizeHint().width());
}

QTEST_MAIN(TestClassEditor)
#include "test_classeditor.moc"
