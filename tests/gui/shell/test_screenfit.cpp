// Every window of the program fits a 1366×768 screen at 125 % scaling, the
// smallest common school office screen; one larger than the screen is shrunk.
#include "FakeDialogs.h"
#include "GuiTest.h"
#include "core/config/AppConfig.h"
#include "core/generation/BuildRandom.h"
#include "core/model/DemoSchool.h"
#include "core/store/SchoolWriter.h"
#include "gui/generation/frmAutoBuild.h"
#include "gui/generation/frmAutoComplete.h"
#include "gui/limits/frmCourseLimitInput.h"
#include "gui/manual/frmManualSetLesson.h"
#include "gui/shell/StartUp.h"
#include "gui/shell/frmMain.h"
#include "gui/shell/frmSimpleManual.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/TimetableGrid.h"
#include "gui/widgets/UiMetrics.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <memory>

namespace {

// What a window's frame and title bar take, in logical pixels; the desktop's
// task bar is outside the screen's available area (below).
constexpr int kDecorationWidth = 16;
constexpr int kDecorationHeight = 40;

QSize Budget() {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    return {screen.width() - kDecorationWidth, screen.height() - kDecorationHeight};
}

QString Describe(const QWidget* w) {
    return QStringLiteral("%1 %2×%3 (budget %4×%5)")
        .arg(w->objectName())
        .arg(w->width())
        .arg(w->height())
        .arg(Budget().width())
        .arg(Budget().height());
}

bool Fits(const QWidget* w) {
    return w->width() <= Budget().width() && w->height() <= Budget().height();
}

// Every entry of a menu, sub-menus included, hidden ones too.
void CollectActions(const QList<QAction*>& in, QList<QAction*>& out) {
    for (QAction* a : in) {
        if (a->menu())
            CollectActions(a->menu()->actions(), out);
        else if (!a->isSeparator())
            out << a;
    }
}

} // namespace

class TestScreenFit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void screenIsTheSmallOne();
    void everyWindowOfTheMenuFits_data();
    void everyWindowOfTheMenuFits();
    void generationWindowsFit();
    void mainWindowFits();
    void gridsGrowWithTheirWindow();
    void aWindowLargerThanTheScreenIsShrunk();
    void briefInstructionsScrollInsteadOfBeingCut();

private:
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FakeDialogs> m_dialogs;
    std::unique_ptr<AppContext> m_ctx;
    std::unique_ptr<frmMain> m_main;
};

void TestScreenFit::initTestCase() {
    m_home = std::make_unique<QTemporaryDir>();
    qputenv("KBXT_HOME", m_home->path().toUtf8());
    const QString db = m_home->filePath("demo.db");
    QCOMPARE(MakeSchoolFile(db, DemoSchool(DemoSize::Small, kDefaultBuildSeed)), QString());
    QVERIFY(WriteDbFileName(db));
    // Seven lessons a day make the tallest grids; a long school name the
    // widest captions.
    QVERIFY(WriteLessonOfDay(7));
    QVERIFY(WriteSchoolName(QStringLiteral("阳光市实验区第一中心小学")));
    m_dialogs = std::make_unique<FakeDialogs>();
    m_ctx = std::make_unique<AppContext>();
    m_main = Main(*m_ctx);
    QVERIFY(m_main);
    m_main->show();
}

void TestScreenFit::cleanupTestCase() {
    m_main.reset();
    m_ctx.reset();
}

void TestScreenFit::screenIsTheSmallOne() {
    QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), 1.25);
    QCOMPARE(QGuiApplication::primaryScreen()->geometry().width(), 1093);
}

void TestScreenFit::everyWindowOfTheMenuFits_data() {
    QTest::addColumn<QString>("action");
    QList<QAction*> actions;
    CollectActions(m_main->menuBar()->actions(), actions);
    // Ending, writing a demo school and the two that start work at once are
    // left out; the generation windows are measured below.
    const QStringList skipped = {"mnuEnd", "mnuOpenDemo", "mnuAutoComplete"};
    for (QAction* a : actions)
        if (!skipped.contains(a->objectName()))
            QTest::newRow(qPrintable(a->objectName())) << a->objectName();
}

void TestScreenFit::everyWindowOfTheMenuFits() {
    QFETCH(QString, action);
    QStringList seen;
    bool fits = true;
    // A window may open another (the confirmation); each is measured and closed.
    std::function<void(QWidget*)> measure = [&](QWidget* w) {
        seen << Describe(w);
        fits = fits && Fits(w);
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
        else
            w->close();
    };
    const QPointer<QTimer> watch = OnNextModal(measure);
    m_main->findChild<QAction*>(action)->trigger();
    QApplication::processEvents();
    delete watch; // entries that open no dialog leave it waiting on this frame

    QVERIFY2(fits, qPrintable(seen.join(", ")));
    qInfo().noquote() << action << seen.join(", ");
}

void TestScreenFit::generationWindowsFit() {
    // Measured unshown: showing them starts their work.
    frmAutoBuild build(*m_ctx, m_main.get());
    build.adjustSize();
    QVERIFY2(Fits(&build), qPrintable(Describe(&build)));
    frmAutoComplete complete(*m_ctx, m_main.get());
    complete.adjustSize();
    QVERIFY2(Fits(&complete), qPrintable(Describe(&complete)));
}

void TestScreenFit::mainWindowFits() {
    QVERIFY2(Fits(m_main.get()), qPrintable(Describe(m_main.get())));
}

void TestScreenFit::gridsGrowWithTheirWindow() {
    frmCourseLimitInput limits(*m_ctx, m_main.get());
    frmManualSetLesson adjust(*m_ctx, m_main.get());
    for (QDialog* w : {static_cast<QDialog*>(&limits), static_cast<QDialog*>(&adjust)}) {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        auto* grid = w->findChild<QTableWidget*>("MSFlexGrid1");
        // As laid out: the lesson-number column 500 twips, the separator 100.
        QCOMPARE(grid->columnWidth(0), Twips(500));
        QCOMPARE(grid->rowHeight(kSeparatorRow), Twips(100));
        const int day = grid->columnWidth(1);
        const int lesson = grid->rowHeight(1);
        QCOMPARE(grid->size(), grid->minimumSize());

        w->resize(Budget());
        QTRY_VERIFY(grid->columnWidth(1) > day);
        QVERIFY2(grid->rowHeight(1) > lesson, qPrintable(Describe(w)));
        QCOMPARE(grid->columnWidth(0), Twips(500));
        QCOMPARE(grid->rowHeight(kSeparatorRow), Twips(100));
        for (int c = 2; c <= kDays; ++c)
            QVERIFY(qAbs(grid->columnWidth(c) - grid->columnWidth(1)) <= 1);
    }
    // The count column of the unplaced list keeps its width too.
    QCOMPARE(adjust.lstCourse->columnWidth(2), Twips(550));
}

void TestScreenFit::aWindowLargerThanTheScreenIsShrunk() {
    frmMain big(*m_ctx);
    big.resize(3000, 2000);
    big.show();
    QVERIFY(QTest::qWaitForWindowExposed(&big));
    QVERIFY2(Fits(&big), qPrintable(Describe(&big)));
}

void TestScreenFit::briefInstructionsScrollInsteadOfBeingCut() {
    frmSimpleManual w(m_main.get());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY2(Fits(&w), qPrintable(Describe(&w)));
    // Every line is laid out at its full wrapped height and within the width.
    QVERIFY(w.Label1->width() <= w.scrText->viewport()->width());
    QVERIFY(w.Label1->height() >= w.Label1->heightForWidth(w.Label1->width()));
    // The last line is reached by keyboard.
    QScrollBar* bar = w.scrText->verticalScrollBar();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QVERIFY(w.scrText->hasFocus());
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(w.scrText, Qt::Key_PageDown);
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(w.cmdClose->text().contains(QStringLiteral("(&C)")));
    QTest::keyClick(w.scrText, Qt::Key_Escape);
    QVERIFY(!w.isVisible());
}

// A 1366×768 screen at 125 % with a task bar 40 pixels high: Qt then works in
// 1093×582 logical pixels.
int main(int argc, char** argv) {
    QTemporaryDir config;
    const QString file = config.filePath("screen.json");
    QFile json(file);
    if (!json.open(QIODevice::WriteOnly))
        return 1;
    json.write(R"({"screens":[{"name":"office","x":0,"y":0,"width":1366,"height":728,)"
               R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
    json.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + file).toUtf8());
    qputenv("QT_SCALE_FACTOR", "1.25");
    QApplication app(argc, argv);
    TestScreenFit test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_screenfit.moc"
