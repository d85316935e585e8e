// A school year's work done through the program's own windows, the way an
// administrator does it: from an empty application directory to the printed
// and exported timetable and the move to the next school year. The database
// and the files written are checked after every step.
#include "FakeDialogs.h"
#include "GuiTest.h"
#include "XlsxReader.h"
#include "core/config/AppConfig.h"
#include "core/config/AppPaths.h"
#include "core/generation/BuildRandom.h"
#include "core/generation/BuildTimetable.h"
#include "core/model/DemoSchool.h"
#include "core/store/SchoolWriter.h"
#include "core/store/Sql.h"
#include "core/store/TimetableCheckStore.h"
#include "gui/basedata/frmClassInput.h"
#include "gui/basedata/frmClassPlanInput.h"
#include "gui/basedata/frmCourseInput.h"
#include "gui/basedata/frmTeacherInput.h"
#include "gui/limits/frmCourseLimitInput.h"
#include "gui/manual/frmManualSetLesson.h"
#include "gui/manual/frmSetLesson.h"
#include "gui/output/PrintComponent.h"
#include "gui/output/frmExport.h"
#include "gui/output/frmPrint.h"
#include "gui/shell/StartUp.h"
#include "gui/shell/frmMain.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/TimetableGrid.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QInputMethodEvent>
#include <QJsonObject>
#include <QJsonValue>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <type_traits>

namespace {

struct Cell {
    int day;
    int lessonNo;
};

// Picks an entry as with the mouse, which also reports the activation.
void choose(QComboBox* box, const QString& text) {
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(box->objectName() + QStringLiteral(" lacks ") + text));
    box->setCurrentIndex(index);
    emit box->activated(index);
}

// Latin text is typed key by key; Chinese arrives from the input method.
void type(QLineEdit* field, const QString& text) {
    field->clear();
    bool latin = true;
    for (QChar c : text)
        latin = latin && c.unicode() < 0x80;
    if (latin) {
        QTest::keyClicks(field, text);
        return;
    }
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(field, &commit);
}

void clickGrid(QTableWidget* grid, Cell c, Qt::MouseButton button = Qt::LeftButton) {
    ClickCell(grid, GridRowOfLesson(c.lessonNo), c.day, button);
}

QList<Cell> cellsOf(const QTableWidget* grid, const QColor& colour, int lessonsPerDay) {
    QList<Cell> cells;
    for (int lessonNo = 1; lessonNo <= lessonsPerDay; ++lessonNo)
        for (int day = 1; day <= kDays; ++day)
            if (GridCellColour(grid, GridRowOfLesson(lessonNo), day) == colour)
                cells.append({day, lessonNo});
    return cells;
}

QString textAt(const QTableWidget* grid, Cell c) {
    return GridCellText(grid, GridRowOfLesson(c.lessonNo), c.day);
}

void clickItem(QTreeWidget* list, QTreeWidgetItem* item) {
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(item).center());
}

QString problemsOf(const TimetableCheck& c) {
    return c.report().join(QStringLiteral("; "));
}

// Full-width brackets and the like read back from a PDF in their plain forms.
QString Plain(const QString& s) {
    return s.normalized(QString::NormalizationForm_KC).remove(QRegularExpression("\\s"));
}

} // namespace

// Runs a step of the year and stops the test at its first failure.
#define STEP(call)                                                                                 \
    do {                                                                                           \
        call;                                                                                      \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

class TestSchoolYear : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void wholeYearThroughTheWindows();
    void unplacedLessonsPlacedByHand_data();
    void unplacedLessonsPlacedByHand();

private:
    // Starts the program as main() does, on the application directory as it stands.
    void start();
    // Opens a window from the main menu and runs `drive` on it; the window is
    // closed afterwards if `drive` left it open.
    template <class Window>
    void openFromMenu(const char* action, std::type_identity_t<std::function<void(Window*)>> drive);
    // A whole-database command: its confirmation is answered with OK.
    void confirmFromMenu(const char* action);
    QStringList rows(const QString& select);
    TimetableCheck checked();

    void enterClasses();
    void enterCodeLists();
    void enterPlans();
    void forbidFirstLessonOfPe();
    void presetChineseOnFridayLast();
    void generate();
    void swapDeleteAndPlaceByHand();
    void printClassToPdf();
    void exportAllTeachers();
    void upgradeSchoolYear();

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FakeDialogs> m_dialogs;
    std::unique_ptr<AppContext> m_ctx;
    std::unique_ptr<frmMain> m_main;
};

void TestSchoolYear::init() {
    // Every run starts from an application directory that has never been used.
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    qputenv("KBXT_HOME", m_home->path().toUtf8());
    m_dialogs = std::make_unique<FakeDialogs>();
    m_ctx = std::make_unique<AppContext>();
    SeedBuildRandom();
}

void TestSchoolYear::cleanup() {
    m_main.reset();
    m_ctx.reset();
    m_dialogs.reset();
    m_home.reset();
}

void TestSchoolYear::start() {
    m_main = Main(*m_ctx);
    QVERIFY(m_main);
    m_main->show();
}

template <class Window>
void TestSchoolYear::openFromMenu(const char* action,
                                  std::type_identity_t<std::function<void(Window*)>> drive) {
    QAction* entry = m_main->findChild<QAction*>(QString::fromLatin1(action));
    QVERIFY2(entry, action);
    auto opened = std::make_shared<bool>(false);
    OnNextModal([opened, drive](QWidget* w) {
        *opened = true;
        if (auto* window = qobject_cast<Window*>(w))
            drive(window);
        else
            QTest::qFail(qPrintable(QStringLiteral("unexpected window ") + w->objectName()),
                         __FILE__, __LINE__);
        if (w->isVisible())
            w->close();
    });
    entry->trigger();
    QVERIFY2(*opened, action);
}

void TestSchoolYear::confirmFromMenu(const char* action) {
    AnswerNextConfirm(QStringLiteral("OK"));
    QAction* entry = m_main->findChild<QAction*>(QString::fromLatin1(action));
    QVERIFY2(entry, action);
    entry->trigger();
}

QStringList TestSchoolYear::rows(const QString& select) {
    QStringList out;
    SQLite::Statement st(m_ctx->db.sql(), select.toStdString());
    while (st.executeStep()) {
        QStringList columns;
        for (int i = 0; i < st.getColumnCount(); ++i)
            columns << sql::text(st.getColumn(i));
        out << columns.join(' ');
    }
    return out;
}

TimetableCheck TestSchoolYear::checked() {
    return CheckTimetable(m_ctx->db, m_ctx->lessonsPerDay);
}

// ---- the year ---------------------------------------------------------------

void TestSchoolYear::wholeYearThroughTheWindows() {
    STEP(start());
    QCOMPARE(m_ctx->db.path(), DefaultDbFileName());
    QVERIFY(QFile::exists(AppFilePath(QStringLiteral("kb.db"))));
    QCOMPARE(rows("select count(*) from Classtb"), QStringList{"0"});

    STEP(enterClasses());
    STEP(enterCodeLists());
    STEP(enterPlans());
    STEP(forbidFirstLessonOfPe());
    STEP(presetChineseOnFridayLast());
    STEP(generate());
    STEP(swapDeleteAndPlaceByHand());
    STEP(printClassToPdf());
    STEP(exportAllTeachers());
    STEP(upgradeSchoolYear());
}

void TestSchoolYear::enterClasses() {
    openFromMenu<frmClassInput>("mnuClassList", [](frmClassInput* w) {
        for (auto [grade, number] : {std::pair{"一年级", "1"}, std::pair{"三年级", "2"}}) {
            choose(w->cmbGrade, QString::fromUtf8(grade));
            choose(w->cmbClass, QString::fromUtf8(number));
            w->cmdAppend->click();
        }
        QCOMPARE(w->lstAllRecord->topLevelItemCount(), 2);
        w->cmdOK->click();
    });
    QCOMPARE(
        rows("select Code,Name,FullName,ShortName from Classtb order by Code"),
        QStringList({"11 一（1）班 一年级（1）班 一（1）", "32 三（2）班 三年级（2）班 三（2）"}));
    QVERIFY(m_dialogs->shown.isEmpty());
}

void TestSchoolYear::enterCodeLists() {
    const QStringList courses{"01 语文", "02 数学", "03 英语", "04 体育"};
    const QStringList teachers{"001 张老师", "002 李老师", "003 王老师", "004 赵老师"};
    auto enter = [](frmCodeListInput* w, const QStringList& records) {
        for (const QString& r : records) {
            const QString name = r.section(' ', 1);
            type(w->txtName, name);
            type(w->txtFullName, name);
            type(w->txtShortName, name.left(1));
            type(w->txtCode, r.section(' ', 0, 0));
            w->cmdAppend->click();
        }
        QCOMPARE(w->lstAllRecord->topLevelItemCount(), int(records.size()));
        w->cmdOK->click();
    };
    openFromMenu<frmCourseInput>("mnuCourseList", [&](frmCourseInput* w) { enter(w, courses); });
    openFromMenu<frmTeacherInput>("mnuTeacherList",
                                  [&](frmTeacherInput* w) { enter(w, teachers); });
    QCOMPARE(rows("select Code,Name from Coursetb order by Code"), courses);
    QCOMPARE(rows("select Code,Name from Teachertb order by Code"), teachers);
    QCOMPARE(rows("select ShortName from Teachertb where Code='001'"), QStringList{"张"});
    QVERIFY2(m_dialogs->shown.isEmpty(), qPrintable(m_dialogs->lastText()));
}

// Both classes: 语文 6, 数学 5, 英语 3, 体育 2 lessons a week, one teacher per course.
void TestSchoolYear::enterPlans() {
    const QStringList plan{"语文 张老师 6", "数学 李老师 5", "英语 王老师 3", "体育 赵老师 2"};
    openFromMenu<frmClassPlanInput>("mnuClassPlan", [&](frmClassPlanInput* w) {
        for (const char* cls : {"一（1）班", "三（2）班"}) {
            choose(w->CmbClass, QString::fromUtf8(cls));
            for (const QString& row : plan) {
                choose(w->CmbCourse, row.section(' ', 0, 0));
                choose(w->CmbTeacher, row.section(' ', 1, 1));
                type(w->txtCount, row.section(' ', 2, 2));
                w->cmdAppend->click();
            }
            QCOMPARE(w->lstAllRecord->topLevelItemCount(), 4);
            QCOMPARE(w->staMsgPanel4->text(), QStringLiteral("16 节"));
        }
        w->cmdOK->click();
    });
    QVERIFY2(m_dialogs->shown.isEmpty(), qPrintable(m_dialogs->lastText()));
    QCOMPARE(rows("select ClassCode,CourseCode,TeacherCode,Count,BuildCount from ClassPlantb"
                  " order by ClassCode,CourseCode"),
             QStringList({"11 01 001 6 0", "11 02 002 5 0", "11 03 003 3 0", "11 04 004 2 0",
                          "32 01 001 6 0", "32 02 002 5 0", "32 03 003 3 0", "32 04 004 2 0"}));
}

void TestSchoolYear::forbidFirstLessonOfPe() {
    openFromMenu<frmCourseLimitInput>("mnuCourseLimit", [](frmCourseLimitInput* w) {
        choose(w->CmbCourse, QStringLiteral("体育"));
        clickGrid(w->MSFlexGrid1, {1, 1}, Qt::RightButton);
        QVERIFY(w->PopMenu->isVisible());
        QCOMPARE(w->mnuBuPai->text(), QStringLiteral("不排"));
        w->mnuBuPai->trigger();
        w->PopMenu->hide();
        QCOMPARE(GridCellColour(w->MSFlexGrid1, 1, 1), frmLimitInput::CellColour(3));
        w->cmdOK->click();
    });
    QCOMPARE(rows("select Code,Day,LessonNo from Limittb where Attr=3"), QStringList{"04 1 1"});
}

void TestSchoolYear::presetChineseOnFridayLast() {
    openFromMenu<frmSetLesson>("mnuPrepairBuild", [](frmSetLesson* w) {
        QCOMPARE(w->CmbClass->currentText(), QStringLiteral("一（1）班"));
        const QList<QListWidgetItem*> chinese = w->lstCourse->findItems("语文", Qt::MatchExactly);
        QCOMPARE(chinese.size(), 1);
        QTest::mouseClick(w->lstCourse->viewport(), Qt::LeftButton, Qt::NoModifier,
                          w->lstCourse->visualItemRect(chinese.first()).center());
        QCOMPARE(GridCellColour(w->MSFlexGrid1, GridRowOfLesson(6), 5), CellColour::Free);
        clickGrid(w->MSFlexGrid1, {5, 6});
        QCOMPARE(textAt(w->MSFlexGrid1, {5, 6}), QStringLiteral("语文"));
        w->cmdOK->click();
    });
    QCOMPARE(rows("select ClassCode,Day,LessonNo,CourseCode,TeacherCode,SetFlag from LessonListtb"),
             QStringList{"11 5 6 01 001 0"});
}

void TestSchoolYear::generate() {
    confirmFromMenu("mnuAutoBuild");
    QCOMPARE(m_dialogs->lastText(), QStringLiteral("课表完成率统计:  100％"));
    const TimetableCheck c = checked();
    QVERIFY2(c.ok(), qPrintable(problemsOf(c)));
    QVERIFY2(c.forbiddenCells.isEmpty(), qPrintable(problemsOf(c)));
    QCOMPARE(c.unplacedLessons, 0);
    QCOMPARE(rows("select count(*) from LessonListtb"), QStringList{"32"});
    QCOMPARE(rows("select ClassCode,CourseCode,SetFlag from LessonListtb where Day=5 and LessonNo=6"
                  " and ClassCode='11'"),
             QStringList{"11 01 0"});
    QCOMPARE(
        rows("select count(*) from LessonListtb where CourseCode='04' and Day=1 and LessonNo=1"),
        QStringList{"0"});
}

// In 一（1）班: a generated lesson changes places with another, one lesson is
// deleted and then placed again into a free (cyan) period.
void TestSchoolYear::swapDeleteAndPlaceByHand() {
    const int lessons = m_ctx->lessonsPerDay;
    auto lessonAt = [this](Cell c) {
        return rows(QStringLiteral("select CourseCode||TeacherCode||SetFlag from LessonListtb"
                                   " where ClassCode='11' and Day=%1 and LessonNo=%2")
                        .arg(c.day)
                        .arg(c.lessonNo));
    };
    openFromMenu<frmManualSetLesson>("mnuManualBuild", [&](frmManualSetLesson* w) {
        QCOMPARE(w->CmbClass->currentText(), QStringLiteral("一（1）班"));
        // Neither the pre-set lesson nor 体育 is touched, so the 不排 period stays clear.
        auto movable = [&](Cell c) {
            const QString course = textAt(w->MSFlexGrid1, c);
            return !course.isEmpty() && course != QStringLiteral("体育") &&
                   !(c.day == 5 && c.lessonNo == 6);
        };
        Cell selected{0, 0};
        Cell target{0, 0};
        for (const Cell c : cellsOf(w->MSFlexGrid1, CellColour::Normal, lessons)) {
            if (!movable(c))
                continue;
            clickGrid(w->MSFlexGrid1, c);
            QCOMPARE(GridCellColour(w->MSFlexGrid1, GridRowOfLesson(c.lessonNo), c.day),
                     CellColour::Selected);
            for (const Cell y : cellsOf(w->MSFlexGrid1, CellColour::Swappable, lessons))
                if (movable(y) && textAt(w->MSFlexGrid1, y) != textAt(w->MSFlexGrid1, c)) {
                    selected = c;
                    target = y;
                    break;
                }
            if (target.day)
                break;
        }
        QVERIFY2(target.day, "no two lessons of 一（1）班 may change places");
        const QStringList before = lessonAt(selected);
        const QStringList beforeTarget = lessonAt(target);
        clickGrid(w->MSFlexGrid1, target, Qt::RightButton);
        QCOMPARE(lessonAt(target).join("").left(5), before.join("").left(5));
        QCOMPARE(lessonAt(selected).join("").left(5), beforeTarget.join("").left(5));
        QVERIFY(cellsOf(w->MSFlexGrid1, CellColour::Swappable, lessons).isEmpty());

        const QString course = textAt(w->MSFlexGrid1, target);
        clickGrid(w->MSFlexGrid1, target, Qt::RightButton);
        QVERIFY(lessonAt(target).isEmpty());
        QVERIFY(textAt(w->MSFlexGrid1, target).isEmpty());
        QCOMPARE(w->lstCourse->topLevelItemCount(), 1);
        QTreeWidgetItem* unplaced = w->lstCourse->topLevelItem(0);
        QCOMPARE(unplaced->text(0) + unplaced->text(1) + unplaced->text(2),
                 QStringLiteral("一（1）班") + course + QStringLiteral("1"));

        clickItem(w->lstCourse, unplaced);
        const QList<Cell> free = cellsOf(w->MSFlexGrid1, CellColour::Free, lessons);
        QVERIFY(!free.isEmpty());
        clickGrid(w->MSFlexGrid1, free.last());
        QCOMPARE(textAt(w->MSFlexGrid1, free.last()), course);
        QCOMPARE(lessonAt(free.last()).join("").right(1), QStringLiteral("2"));
        QCOMPARE(w->lstCourse->topLevelItemCount(), 0);
        w->cmdOK->click();
    });
    const TimetableCheck c = checked();
    QVERIFY2(c.ok(), qPrintable(problemsOf(c)));
    QVERIFY2(c.forbiddenCells.isEmpty(), qPrintable(problemsOf(c)));
    QCOMPARE(c.unplacedLessons, 0);
    QCOMPARE(rows("select count(*) from LessonListtb"), QStringList{"32"});
}

void TestSchoolYear::printClassToPdf() {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const QString pdf = m_home->filePath("一（1）班.pdf");
    PrintToPdfScope toPdf(pdf);
    openFromMenu<frmPrint>("mnuPrint", [](frmPrint* w) {
        choose(w->CmbClass, QStringLiteral("一（1）班"));
        w->cmdPrintClass->click();
        w->cmdOK->click();
    });
    QCOMPARE(m_dialogs->lastText(), QStringLiteral("打印完成"));
    QVERIFY(QFile::exists(pdf));
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    QVERIFY(p.waitForFinished());
    const QString text = Plain(QString::fromUtf8(p.readAllStandardOutput()));
    for (const char* expected : {"一（1）班", "语文", "数学", "体育", "星期五"})
        QVERIFY2(text.contains(Plain(QString::fromUtf8(expected))), expected);
    QVERIFY(!text.contains(Plain(QStringLiteral("三（2）班"))));
}

void TestSchoolYear::exportAllTeachers() {
    QString why;
    if (!XlsxReaderAvailable(&why))
        QSKIP(qPrintable(why));
    // Typed without the extension, as users do; the workbook gets ".xlsx".
    m_dialogs->fileNames.enqueue(m_home->filePath("老师课表"));
    openFromMenu<frmExport>("mnuExport", [](frmExport* w) {
        w->cmdExportAllTeacher->click();
        w->cmdOK->click();
    });
    const QString file = m_home->filePath("老师课表.xlsx");
    QCOMPARE(m_dialogs->lastText(), QStringLiteral("课表导出成功\n\n保存在：") + file);
    QFile zip(file);
    QVERIFY(zip.open(QIODevice::ReadOnly));
    QCOMPARE(zip.read(2), QByteArray("PK"));
    QString error;
    const QList<XlsxSheet> sheets = ReadXlsx(file, &error);
    QVERIFY2(sheets.size() == 1, qPrintable(error));
    QString all;
    for (const QJsonValue v : sheets.first().cells)
        all += v.toObject().value("value").toVariant().toString() + '\n';
    for (const char* teacher : {"张老师", "李老师", "王老师", "赵老师"})
        QVERIFY2(all.contains(QString::fromUtf8(teacher)), teacher);
}

// Every class moves up a grade with its plan and timetable; grade one starts
// again with a class of its own.
void TestSchoolYear::upgradeSchoolYear() {
    confirmFromMenu("mnuUpgradeAll");
    QCOMPARE(m_dialogs->lastText(), QStringLiteral("课表学年升级完成。"));
    QCOMPARE(rows("select Code,Name from Classtb order by Code"),
             QStringList({"11 一（1）班", "21 二（1）班", "42 四（2）班"}));
    QCOMPARE(rows("select ClassCode,count(*) from ClassPlantb group by ClassCode"),
             QStringList({"21 4", "42 4"}));
    QCOMPARE(rows("select ClassCode,count(*) from LessonListtb group by ClassCode"),
             QStringList({"21 16", "42 16"}));
    QCOMPARE(rows("select CourseCode from LessonListtb where ClassCode='21' and Day=5"
                  " and LessonNo=6 and SetFlag=0"),
             QStringList{"01"});
    const TimetableCheck c = checked();
    QVERIFY2(c.ok(), qPrintable(problemsOf(c)));
}

// ---- placing what generation left ---------------------------------------------

void TestSchoolYear::unplacedLessonsPlacedByHand_data() {
    QTest::addColumn<uint>("seed");
    QTest::newRow("medium school, seed 1") << 1u;
    QTest::newRow("medium school, seed 2") << 2u;
}

// After a generation that leaves lessons over, each of them goes wherever the
// window offers a legal period; what is left has none.
void TestSchoolYear::unplacedLessonsPlacedByHand() {
    QFETCH(uint, seed);
    const QString demo = m_home->filePath("demo.db");
    QCOMPARE(MakeSchoolFile(demo, DemoSchool(DemoSize::Medium, seed)), QString());
    QVERIFY(WriteDbFileName(demo));
    STEP(start());
    QCOMPARE(m_ctx->db.path(), demo);
    QVERIFY(BuildTimetable(m_ctx->db, Week::ofLessons(m_ctx->lessonsPerDay)) >= 0);
    const int missing = checked().unplacedLessons;
    QVERIFY2(missing > 0, "generation placed everything; nothing to place by hand");

    int placed = 0;
    int left = 0;
    openFromMenu<frmManualSetLesson>("mnuManualBuild", [&](frmManualSetLesson* w) {
        const int lessons = m_ctx->lessonsPerDay;
        // Rows without a legal period stay in the list; each is tried once.
        int tried = 0;
        while (tried < w->lstCourse->topLevelItemCount()) {
            QTreeWidgetItem* row = w->lstCourse->topLevelItem(tried);
            const int remain = row->text(2).toInt();
            clickItem(w->lstCourse, row);
            const QList<Cell> free = cellsOf(w->MSFlexGrid1, CellColour::Free, lessons);
            if (remain <= 0 || free.isEmpty()) {
                left += std::max(remain, 0);
                ++tried;
                continue;
            }
            QCOMPARE(w->CmbClass->currentText(), row->text(0));
            const QString course = row->text(1);
            clickGrid(w->MSFlexGrid1, free.first());
            QCOMPARE(textAt(w->MSFlexGrid1, free.first()), course);
            QVERIFY(cellsOf(w->MSFlexGrid1, CellColour::Free, lessons).isEmpty());
            ++placed;
        }
        w->cmdOK->click();
    });
    QCOMPARE(placed + left, missing);
    const TimetableCheck c = checked();
    QVERIFY2(c.ok(), qPrintable(problemsOf(c)));
    QCOMPARE(c.unplacedLessons, left);
    qInfo("%d of %d unplaced lessons placed by hand", placed, missing);
}

QTEST_MAIN(TestSchoolYear)
#include "test_school_year.moc"
