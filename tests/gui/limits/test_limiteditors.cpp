// The four time-limit windows driven offscreen: what a right click stores, what
// opening a window writes, and the grid each kind shows.
#include "FakeDialogs.h"
#include "GuiTest.h"
#include "TestDb.h"

#include "core/store/Sql.h"
#include "core/store/TeacherRuleStore.h"
#include "gui/limits/frmClassLimitInput.h"
#include "gui/limits/frmClassRoomLimitInput.h"
#include "gui/limits/frmCourseLimitInput.h"
#include "gui/limits/frmGroupLimitInput.h"
#include "gui/limits/frmTeacherLimitInput.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/TimetableGrid.h"
#include "gui/widgets/UiMetrics.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <memory>

namespace {

// A test database filled through TestDb, then handed to the program's context
// (the file is held exclusively, so only one connection can be open).
struct School {
    TestDb t;
    AppContext ctx;

    School() {
        t.addCourse("1", "语文");
        t.addCourse("2", "数学");
        t.addCourse("10", "音乐");
        t.addTeacher("T1", "张老师");
        t.addTeacher("T2", "李老师");
        t.addClass("11", "一(1)班");
        t.addClassRoom("R1", "音乐室");
    }
    void open(int lessonsPerDay = 6) {
        t.db.close();
        QVERIFY(ctx.db.open(t.path));
        ctx.lessonsPerDay = lessonsPerDay;
    }
    long long count(const char* where, const QString& code, int kind) {
        const std::string q = std::string("select count(*) from Limittb where Kind=? and Code=?") +
                              (*where ? " and " : "") + where;
        return sql::firstInt(ctx.db.sql(), -1, q.c_str(), kind, code);
    }
    long long attrAt(int kind, const QString& code, int day, int lessonNo) {
        return sql::firstInt(ctx.db.sql(), -1,
                             "select Attr from Limittb where Kind=? and Code=? and Day=? and "
                             "LessonNo=?",
                             kind, code, day, lessonNo);
    }
};

std::unique_ptr<frmLimitInput> openWindow(LimitKind kind, AppContext& ctx) {
    std::unique_ptr<frmLimitInput> w;
    switch (kind) {
    case LimitKind::Class:
        w = std::make_unique<frmClassLimitInput>(ctx);
        break;
    case LimitKind::Course:
        w = std::make_unique<frmCourseLimitInput>(ctx);
        break;
    case LimitKind::Teacher:
        w = std::make_unique<frmTeacherLimitInput>(ctx);
        break;
    case LimitKind::ClassRoom:
        w = std::make_unique<frmClassRoomLimitInput>(ctx);
        break;
    case LimitKind::Group:
        w = std::make_unique<frmGroupLimitInput>(ctx);
        break;
    }
    w->show();
    return w;
}

QAction* menuItem(frmLimitInput& w, int attr) {
    QAction* items[] = {w.mnuZuiJiaWeiZhi, w.mnuNormal, w.mnuJinLiangBuPai, w.mnuBuPai};
    return items[attr];
}

// Right click on a cell and pick a popup item, as the user does.
void choose(frmLimitInput& w, int row, int col, int attr) {
    ClickCell(w.MSFlexGrid1, row, col, Qt::RightButton);
    QVERIFY(w.PopMenu->isVisible());
    menuItem(w, attr)->trigger();
    w.PopMenu->hide();
}

} // namespace

Q_DECLARE_METATYPE(LimitKind)

class TestLimitEditors : public QObject {
    Q_OBJECT
private slots:
    void windowsNameTheirControls_data();
    void windowsNameTheirControls();
    void openingWritesNormalRowsExceptForCourses_data();
    void openingWritesNormalRowsExceptForCourses();
    void rightClickStoresTheChosenValue_data();
    void rightClickStoresTheChosenValue();
    void secondChoiceUpdatesTheSameRow();
    void headersAndSeparatorOfferNothing_data();
    void headersAndSeparatorOfferNothing();
    void onlyTheCourseGridFollowsSevenLessons();
    void headersSetAWholeDayOrLesson_data();
    void headersSetAWholeDayOrLesson();
    void groupWindowListsTheGroups();
    void allNormalWritesEveryLessonTime_data();
    void allNormalWritesEveryLessonTime();
    void storedLimitsAreShownAndUnknownValuesSkipped();
    void previousAndNextStopAtTheEnds();
    void failuresShowInTheStatusPanel();
    void noObjectsWritesNothing();
};

void TestLimitEditors::windowsNameTheirControls_data() {
    QTest::addColumn<LimitKind>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("combo");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("prev");
    QTest::addColumn<QString>("nextText");
    QTest::newRow("teacher") << LimitKind::Teacher << "老师上课时间限制"
                             << "CmbTeacher"
                             << "老师"
                             << "CmdPrev"
                             << "下一老师(&N)";
    QTest::newRow("classroom") << LimitKind::ClassRoom << "公共教室上课时间限制"
                               << "CmbClassRoom"
                               << "教室"
                               << "CmdPrev"
                               << "下一教室(&N)";
    QTest::newRow("course") << LimitKind::Course << "课程上课时间限制"
                            << "CmbCourse"
                            << "课程"
                            << "CmdPrev"
                            << "下一课程(&N)";
    QTest::newRow("class") << LimitKind::Class << "班级上课时间限制"
                           << "CmbClass"
                           << "班级"
                           << "CmdPrevClass"
                           << "下一班级(&N)";
}

void TestLimitEditors::windowsNameTheirControls() {
    QFETCH(LimitKind, kind);
    QFETCH(QString, caption);
    QFETCH(QString, combo);
    QFETCH(QString, label);
    QFETCH(QString, prev);
    QFETCH(QString, nextText);
    School s;
    s.open();
    auto w = openWindow(kind, s.ctx);
    QCOMPARE(w->windowTitle(), caption);
    QCOMPARE(w->findChild<QComboBox*>(combo), w->cmbObject);
    QCOMPARE(w->lblObject->text(), label);
    QCOMPARE(w->findChild<QPushButton*>(prev), w->cmdPrevObject);
    QCOMPARE(w->cmdNextObject->text(), nextText);
    QCOMPARE(w->cmdNormalAll->text(), QStringLiteral("全部正常(&A)"));
    QCOMPARE(w->cmdOK->text(), QStringLiteral("退出(&Q)"));
    QStringList items;
    for (QAction* a : w->PopMenu->actions())
        items << a->objectName() + ":" + a->text();
    QCOMPARE(items, QStringList({"mnuZuiJiaWeiZhi:排课最佳位置", "mnuNormal:正常",
                                 "mnuJinLiangBuPai:尽量不排", "mnuBuPai:不排"}));
}

void TestLimitEditors::openingWritesNormalRowsExceptForCourses_data() {
    QTest::addColumn<LimitKind>("kind");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("rowsWritten");
    QTest::newRow("teacher") << LimitKind::Teacher << "T1"
                             << "张老师" << 30;
    QTest::newRow("class") << LimitKind::Class << "11"
                           << "一(1)班" << 30;
    QTest::newRow("classroom") << LimitKind::ClassRoom << "R1"
                               << "音乐室" << 30;
    QTest::newRow("course") << LimitKind::Course << "1"
                            << "语文" << 0;
}

void TestLimitEditors::openingWritesNormalRowsExceptForCourses() {
    QFETCH(LimitKind, kind);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(int, rowsWritten);
    School s;
    s.open();
    auto w = openWindow(kind, s.ctx);
    const int k = static_cast<int>(kind);
    QCOMPARE(w->currentCode(), code);
    QCOMPARE(s.count("", code, k), rowsWritten);
    QCOMPARE(s.count("Attr=1", code, k), rowsWritten);
    QCOMPARE(sql::firstInt(s.ctx.db.sql(), -1, "select count(*) from Limittb"), rowsWritten);
    for (int lessonNo = 1; lessonNo <= 6; ++lessonNo)
        for (int day = 1; day <= 5; ++day) {
            const int row = GridRowOfLesson(lessonNo);
            QCOMPARE(GridCellText(w->MSFlexGrid1, row, day), QStringLiteral("正常"));
            QCOMPARE(GridCellColour(w->MSFlexGrid1, row, day), frmLimitInput::CellColour(1));
        }
    QCOMPARE(w->staMsgPanel1->text(), QStringLiteral("读取成功"));
    QCOMPARE(w->staMsgPanel2->text(), name + QStringLiteral("  限制特征"));
}

void TestLimitEditors::rightClickStoresTheChosenValue_data() {
    QTest::addColumn<LimitKind>("kind");
    QTest::addColumn<int>("lessonsPerDay");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("attr");
    QTest::addColumn<int>("lessonNo");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("course best") << LimitKind::Course << 6 << 1 << 1 << 0 << 1 << "最佳位置"
                                 << QColor(128, 255, 255);
    QTest::newRow("course avoid, after the separator")
        << LimitKind::Course << 6 << 6 << 3 << 2 << 5 << "尽量不排" << QColor(192, 192, 192);
    QTest::newRow("course never, lesson 7")
        << LimitKind::Course << 7 << 8 << 5 << 3 << 7 << "不排" << QColor(128, 128, 128);
    QTest::newRow("teacher never, lesson 4")
        << LimitKind::Teacher << 6 << 4 << 2 << 3 << 4 << "不排" << QColor(128, 128, 128);
    QTest::newRow("class best, lesson 6")
        << LimitKind::Class << 7 << 7 << 4 << 0 << 6 << "最佳位置" << QColor(128, 255, 255);
    QTest::newRow("classroom normal")
        << LimitKind::ClassRoom << 6 << 2 << 5 << 1 << 2 << "正常" << frmLimitInput::CellColour(1);
}

void TestLimitEditors::rightClickStoresTheChosenValue() {
    QFETCH(LimitKind, kind);
    QFETCH(int, lessonsPerDay);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, attr);
    QFETCH(int, lessonNo);
    QFETCH(QString, text);
    QFETCH(QColor, colour);
    School s;
    s.open(lessonsPerDay);
    auto w = openWindow(kind, s.ctx);
    const QString code = w->currentCode();
    const int k = static_cast<int>(kind);
    const long long before = s.count("", code, k);
    choose(*w, row, col, attr);
    QCOMPARE(s.attrAt(k, code, col, lessonNo), attr);
    QCOMPARE(s.count("", code, k), before ? before : 1);
    const QByteArray cell =
        QStringLiteral("Day=%1 and LessonNo=%2").arg(col).arg(lessonNo).toUtf8();
    QCOMPARE(s.count(cell.constData(), code, k), 1);
    QCOMPARE(GridCellText(w->MSFlexGrid1, row, col), text);
    QCOMPARE(GridCellColour(w->MSFlexGrid1, row, col), colour);
    QCOMPARE(w->staMsgPanel1->text(), QStringLiteral("写入成功"));
}

void TestLimitEditors::secondChoiceUpdatesTheSameRow() {
    School s;
    s.open();
    auto w = openWindow(LimitKind::Course, s.ctx);
    choose(*w, 3, 2, 3);
    choose(*w, 3, 2, 0);
    choose(*w, 3, 2, 2);
    QCOMPARE(s.count("Day=2 and LessonNo=3", "1", 1), 1);
    QCOMPARE(s.attrAt(1, "1", 2, 3), 2);
    QCOMPARE(s.count("", "1", 1), 1);
}

void TestLimitEditors::headersAndSeparatorOfferNothing_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::newRow("corner") << 0 << 0;
    QTest::newRow("separator") << kSeparatorRow << 2;
    QTest::newRow("separator header") << kSeparatorRow << 0;
}

void TestLimitEditors::headersAndSeparatorOfferNothing() {
    QFETCH(int, row);
    QFETCH(int, col);
    School s;
    s.open();
    auto w = openWindow(LimitKind::Course, s.ctx);
    ClickCell(w->MSFlexGrid1, row, col, Qt::RightButton);
    QVERIFY(!w->PopMenu->isVisible());
    // Even a popup item reached some other way must not write a row for a
    // header cell (it would carry Day 0 or LessonNo 0).
    w->mnuBuPai->trigger();
    QCOMPARE(sql::firstInt(s.ctx.db.sql(), -1, "select count(*) from Limittb"), 0);
    QCOMPARE(GridCellText(w->MSFlexGrid1, kSeparatorRow, 2), QString());
}

void TestLimitEditors::headersSetAWholeDayOrLesson_data() {
    QTest::addColumn<LimitKind>("kind");
    QTest::addColumn<QString>("code");
    QTest::newRow("course") << LimitKind::Course << "1";
    QTest::newRow("teacher") << LimitKind::Teacher << "T1";
    QTest::newRow("group") << LimitKind::Group << "G1";
}

// A day's header sets the day, a lesson's header that lesson on every day;
// Ctrl+D and Ctrl+L do the same from the current cell.
void TestLimitEditors::headersSetAWholeDayOrLesson() {
    QFETCH(LimitKind, kind);
    QFETCH(QString, code);
    School s;
    {
        TimetableDb& db = s.t.db;
        EnsureTeacherRuleTables(db.sql());
        s.t.exec("insert into TeacherGrouptb (Code,Name) values ('G1','语文组')");
    }
    s.open(7);
    const int k = static_cast<int>(kind);
    auto w = openWindow(kind, s.ctx);
    const int lessons = w->lessonsShown();
    ClickCell(w->MSFlexGrid1, 0, 3, Qt::RightButton);
    QVERIFY(w->PopMenu->isVisible());
    w->mnuBuPai->trigger();
    w->PopMenu->hide();
    QCOMPARE(s.count("Day=3 and Attr=3", code, k), lessons);
    QCOMPARE(GridCellText(w->MSFlexGrid1, GridRowOfLesson(lessons), 3), QStringLiteral("不排"));
    ClickCell(w->MSFlexGrid1, GridRowOfLesson(2), 0, Qt::LeftButton);
    QVERIFY(w->PopMenu->isVisible());
    w->mnuZuiJiaWeiZhi->trigger();
    w->PopMenu->hide();
    QCOMPARE(s.count("LessonNo=2 and Attr=0", code, k), 5);
    QCOMPARE(s.attrAt(k, code, 3, 2), 0); // the later choice wins where they cross

    w->MSFlexGrid1->setFocus();
    w->MSFlexGrid1->setCurrentCell(GridRowOfLesson(5), 1);
    QTest::keyClick(w->MSFlexGrid1, Qt::Key_D, Qt::ControlModifier);
    QVERIFY(w->PopMenu->isVisible());
    w->mnuJinLiangBuPai->trigger();
    w->PopMenu->hide();
    QCOMPARE(s.count("Day=1 and Attr=2", code, k), lessons);
    QTest::keyClick(w->MSFlexGrid1, Qt::Key_L, Qt::ControlModifier);
    QVERIFY(w->PopMenu->isVisible());
    w->mnuNormal->trigger();
    w->PopMenu->hide();
    QCOMPARE(s.count("LessonNo=5 and Attr=1", code, k), 5);
    QCOMPARE(s.count("Day not between 1 and 5 or LessonNo not between 1 and 7", code, k), 0);
}

void TestLimitEditors::groupWindowListsTheGroups() {
    // An older database: no group table, no groups, nothing written.
    {
        School s;
        s.t.exec("drop table TeacherRuletb");
        s.t.exec("drop table TeacherGrouptb");
        s.open();
        auto w = openWindow(LimitKind::Group, s.ctx);
        QCOMPARE(w->cmbObject->count(), 0);
        QCOMPARE(w->objectName(), QStringLiteral("frmGroupLimitInput"));
        QVERIFY(!HasTeacherRuleTables(s.ctx.db.sql()));
    }
    School s;
    EnsureTeacherRuleTables(s.t.db.sql());
    s.t.exec("insert into TeacherGrouptb (Code,Name) values ('G1','语文组'),('G2','数学组')");
    s.open();
    auto w = openWindow(LimitKind::Group, s.ctx);
    QCOMPARE(w->cmbObject->count(), 2);
    QCOMPARE(w->currentCode(), QStringLiteral("G1"));
    // Opening a group writes nothing: no cells read as no limits.
    QCOMPARE(s.count("", "G1", 4), 0);
    choose(*w, GridRowOfLesson(5), 3, 3);
    QCOMPARE(s.attrAt(4, "G1", 3, 5), 3);
}

void TestLimitEditors::onlyTheCourseGridFollowsSevenLessons() {
    School s;
    s.open(7);
    auto course = openWindow(LimitKind::Course, s.ctx);
    QCOMPARE(course->MSFlexGrid1->rowCount(), 9);
    QCOMPARE(course->MSFlexGrid1->rowHeight(8), Twips(700));
    QCOMPARE(course->MSFlexGrid1->rowHeight(kSeparatorRow), Twips(100));
    QCOMPARE(GridCellText(course->MSFlexGrid1, 8, 0), QStringLiteral("七"));
    QCOMPARE(GridCellText(course->MSFlexGrid1, 8, 5), QStringLiteral("正常"));
    auto teacher = openWindow(LimitKind::Teacher, s.ctx);
    QCOMPARE(teacher->MSFlexGrid1->rowCount(), 8);
    QCOMPARE(teacher->MSFlexGrid1->rowHeight(7), Twips(800));
    QCOMPARE(s.count("LessonNo=7", "T1", 2), 0);
    QCOMPARE(s.count("", "T1", 2), 30);
}

void TestLimitEditors::allNormalWritesEveryLessonTime_data() {
    QTest::addColumn<LimitKind>("kind");
    QTest::addColumn<int>("lessonsPerDay");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("rows");
    QTest::newRow("course, 6 lessons") << LimitKind::Course << 6 << "1" << 30;
    QTest::newRow("course, 7 lessons") << LimitKind::Course << 7 << "1" << 35;
    QTest::newRow("teacher, 7 lessons") << LimitKind::Teacher << 7 << "T1" << 30;
}

void TestLimitEditors::allNormalWritesEveryLessonTime() {
    QFETCH(LimitKind, kind);
    QFETCH(int, lessonsPerDay);
    QFETCH(QString, code);
    QFETCH(int, rows);
    School s;
    const int k = static_cast<int>(kind);
    s.t.addLimit(k, code, 2, 3, 3);
    s.t.addLimit(k, code, 5, 1, 0);
    s.open(lessonsPerDay);
    auto w = openWindow(kind, s.ctx);
    QCOMPARE(GridCellText(w->MSFlexGrid1, 3, 2), QStringLiteral("不排"));
    w->cmdNormalAll->click();
    QCOMPARE(s.count("", code, k), rows);
    QCOMPARE(s.count("Attr=1", code, k), rows);
    QCOMPARE(sql::firstInt(s.ctx.db.sql(), -1,
                           "select count(*) from (select distinct Day, LessonNo from Limittb)"),
             rows);
    QCOMPARE(GridCellText(w->MSFlexGrid1, 3, 2), QStringLiteral("正常"));
    QCOMPARE(GridCellColour(w->MSFlexGrid1, 1, 5), frmLimitInput::CellColour(1));
    QCOMPARE(w->staMsgPanel1->text(), QStringLiteral("写入成功"));
}

void TestLimitEditors::storedLimitsAreShownAndUnknownValuesSkipped() {
    School s;
    s.t.addLimit(1, "1", 1, 5, 2);
    s.t.addLimit(1, "1", 2, 1, 0);
    s.t.addLimit(1, "1", 5, 6, 3);
    s.t.addLimit(1, "1", 4, 2, 9); // not a value: the cell keeps its normal look
    s.t.addLimit(1, "1", 3, 7, 3); // lesson 7 with a six-lesson day: not shown
    s.t.addLimit(2, "1", 2, 2, 3); // a teacher's row with the same code: not the course's
    s.open(6);
    auto w = openWindow(LimitKind::Course, s.ctx);
    QCOMPARE(GridCellText(w->MSFlexGrid1, 6, 1), QStringLiteral("尽量不排"));
    QCOMPARE(GridCellColour(w->MSFlexGrid1, 6, 1), QColor(192, 192, 192));
    QCOMPARE(GridCellText(w->MSFlexGrid1, 2, 4), QStringLiteral("正常"));
    QCOMPARE(GridCellText(w->MSFlexGrid1, 2, 2), QStringLiteral("正常"));
    QCOMPARE(GridCellText(w->MSFlexGrid1, 7, 5), QStringLiteral("不排"));
    QCOMPARE(w->MSFlexGrid1->rowCount(), 8);
    // KBXT_SCREENSHOT_DIR=<folder> keeps a picture of the window for review.
    if (qEnvironmentVariableIsSet("KBXT_SCREENSHOT_DIR"))
        w->grab().save(qEnvironmentVariable("KBXT_SCREENSHOT_DIR") + "/frmCourseLimitInput.png");
}

void TestLimitEditors::previousAndNextStopAtTheEnds() {
    School s;
    s.t.addLimit(1, "10", 2, 1, 3);
    s.open();
    auto w = openWindow(LimitKind::Course, s.ctx);
    QCOMPARE(w->cmbObject->count(), 3);
    w->cmdPrevObject->click();
    QCOMPARE(w->cmbObject->currentIndex(), 0);
    w->cmdNextObject->click();
    w->cmdNextObject->click();
    QCOMPARE(w->currentCode(), QStringLiteral("10"));
    QCOMPARE(w->staMsgPanel2->text(), QStringLiteral("音乐  限制特征"));
    QCOMPARE(GridCellText(w->MSFlexGrid1, 1, 2), QStringLiteral("不排"));
    w->cmdNextObject->click();
    QCOMPARE(w->cmbObject->currentIndex(), 2);
    w->cmdPrevObject->click();
    QCOMPARE(w->currentCode(), QStringLiteral("2"));
    QCOMPARE(GridCellText(w->MSFlexGrid1, 1, 2), QStringLiteral("正常"));
}

void TestLimitEditors::failuresShowInTheStatusPanel() {
    School s;
    s.open();
    auto w = openWindow(LimitKind::Course, s.ctx);
    s.ctx.db.close();
    choose(*w, 2, 2, 3);
    QCOMPARE(w->staMsgPanel1->text(), QStringLiteral("写入失败"));
    w->cmdNormalAll->click();
    QCOMPARE(w->staMsgPanel1->text(), QStringLiteral("写入失败"));
    w->cmdNextObject->click();
    QCOMPARE(w->staMsgPanel1->text(), QStringLiteral("读取失败"));
}

void TestLimitEditors::noObjectsWritesNothing() {
    TestDb t;
    AppContext ctx;
    t.db.close();
    QVERIFY(ctx.db.open(t.path));
    frmTeacherLimitInput w(ctx);
    w.show();
    QCOMPARE(w.CmbTeacher->count(), 0);
    w.cmdNormalAll->click();
    ClickCell(w.MSFlexGrid1, 1, 1, Qt::RightButton);
    w.mnuBuPai->trigger();
    w.PopMenu->hide();
    QCOMPARE(sql::firstInt(ctx.db.sql(), -1, "select count(*) from Limittb"), 0);
}

QTEST_MAIN(TestLimitEditors)
#include "test_limiteditors.moc"
