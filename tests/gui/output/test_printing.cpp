#include "FakeDialogs.h"
#include "GuiTest.h"
#include "TestDb.h"
#include "core/config/AppConfig.h"
#include "core/config/AppPaths.h"
#include "core/formats/PrintQueries.h"
#include "gui/output/PrintComponent.h"
#include "gui/output/PrintPages.h"
#include "gui/output/frmPrint.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiMetrics.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFontMetricsF>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Three classes (the third without lessons), three teachers (one without).
void FillSchool(TestDb& t) {
    t.addClass("21", "二年级(1)班", "", "二(1)");
    t.addClass("11", "一年级(1)班", "", "一(1)");
    t.addClass("12", "一年级(2)班", "", "一(2)");
    t.addCourse("1", "语文", "语");
    t.addCourse("2", "数学", "数");
    t.addCourse("3", "综合实践活动", "综合");
    t.addTeacher("T3", "赵磊");
    t.addTeacher("T2", "王丽");
    t.addTeacher("T1", "李强");
    t.addLesson("11", 1, 1, "1", "T2", 1);
    t.addLesson("11", 3, 5, "3", "T1", 1);
    t.addLesson("11", 5, 7, "2", "T1", 2);
    t.addLesson("21", 2, 2, "2", "T1", 0);
}

// The window's own database connection, as the shell hands it over.
struct PrintWindow {
    TestDb t;
    AppContext ctx;
    std::unique_ptr<frmPrint> w;
    explicit PrintWindow(int lessonsPerDay = 6, bool fill = true) {
        if (fill)
            FillSchool(t);
        t.db.close();
        ctx.lessonsPerDay = lessonsPerDay;
        if (!ctx.db.open(t.path))
            qFatal("cannot open the test database");
        w = std::make_unique<frmPrint>(ctx);
    }
    void click(const QString& button) {
        auto* b = w->findChild<QPushButton*>(button);
        QVERIFY2(b, qPrintable(button));
        b->click();
    }
};

QStringList Items(QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// "pages WxH" from pdfinfo, e.g. "2 595x842"; empty when pdfinfo is missing.
QString PdfPages(const QString& pdf) {
    if (QStandardPaths::findExecutable("pdfinfo").isEmpty())
        return QString();
    QProcess p;
    p.start("pdfinfo", {pdf});
    p.waitForFinished();
    const QString info = QString::fromUtf8(p.readAllStandardOutput());
    const QString pages = info.section("Pages:", 1).section('\n', 0, 0).trimmed();
    const QString size = info.section("Page size:", 1).section("pts", 0, 0).simplified();
    return pages + ' ' + QString(size).remove(' ');
}

// The text of a PDF without blanks; the CJK font maps some glyphs to
// compatibility characters (⼀ for 一, ： for :), which NFKC folds back.
QString PdfText(const QString& pdf) {
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput())
        .normalized(QString::NormalizationForm_KC)
        .remove(QRegularExpression("\\s"));
}

int RunCli(const QStringList& args, QString* err = nullptr) {
    QProcess p;
    p.start(qEnvironmentVariable("KBXT_BINARY_DIR") + "/bin/kbxt-cli", args);
    if (!p.waitForFinished(60000))
        return -1000;
    if (err)
        *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1001;
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
private slots:
    void init();
    void listsLoadAndSelectionMovesWithinBounds();
    void printButtonsReport_data();
    void printButtonsReport();
    void emptyListPrintsNothing();
    void pagesHoldTheTimetable_data();
    void pagesHoldTheTimetable();
    void cancellingThePreviewIsNoFailure();
    void commandLinePrintsDocumentAndPdf();
    void longShortNamesGoOnTwoLinesRatherThanTiny();
};

void TestPrinting::init() {
    PrintTarget::usePrintDialog();
    QFile::remove(AppFilePath("tmp.xml"));
    QDir(AppFilePath("tmp.xml")).removeRecursively();
    QVERIFY(WriteSchoolName(QStringLiteral("阳光小学")));
}

void TestPrinting::listsLoadAndSelectionMovesWithinBounds() {
    PrintWindow p;
    QCOMPARE(p.w->windowTitle(), QString("打印课表"));
    QCOMPARE(Items(p.w->CmbClass), QStringList({"二年级(1)班", "一年级(1)班", "一年级(2)班"}));
    QCOMPARE(Items(p.w->CmbTeacher), QStringList({"李强", "王丽", "赵磊"}));
    QCOMPARE(p.w->CmbClass->currentIndex(), 0);
    QCOMPARE(p.w->CmbTeacher->currentIndex(), 0);
    p.w->CmdPrevClass->click();
    QCOMPARE(p.w->CmbClass->currentIndex(), 0);
    for (int i = 0; i < 4; ++i)
        p.w->CmdNextClass->click();
    QCOMPARE(p.w->CmbClass->currentIndex(), 2);
    p.w->CmdPrevClass->click();
    QCOMPARE(p.w->CmbClass->currentIndex(), 1);
    p.w->CmdNextTeacher->click();
    p.w->CmdNextTeacher->click();
    p.w->CmdNextTeacher->click();
    QCOMPARE(p.w->CmbTeacher->currentText(), QString("赵磊"));
    p.w->CmdPrevTeacher->click();
    QCOMPARE(p.w->CmbTeacher->currentText(), QString("王丽"));
}

void TestPrinting::printButtonsReport_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("classIndex");
    QTest::addColumn<int>("lessonsPerDay");
    QTest::addColumn<QString>("trouble"); // "", "folder", "closed"
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("error");
    QTest::addColumn<QString>("pdf"); // expected "pages WxH", empty: no PDF

    const QString done = QStringLiteral("打印完成");
    QTest::newRow("selected class")
        << "cmdPrintClass" << 1 << 6 << "" << done << false << "1 595x842";
    QTest::newRow("all classes") << "cmdPrintAllClass" << 0 << 6 << "" << done << false
                                 << "2 595x842";
    QTest::newRow("selected teacher, 7 a day")
        << "cmdPrintTeacher" << 0 << 7 << "" << done << false << "1 595x842";
    QTest::newRow("all teachers") << "cmdPrintAllTeacher" << 0 << 6 << "" << done << false
                                  << "2 595x842";
    QTest::newRow("whole school") << "CmdPrintTotal" << 0 << 6 << "" << done << false
                                  << "1 1191x842";
    QTest::newRow("class without lessons") << "cmdPrintClass" << 2 << 6 << ""
                                           << "没有课表数据" << false << "";
    QTest::newRow("no template for the lessons per day")
        << "cmdPrintAllClass" << 0 << 5 << ""
        << "打印失败！打印模板缺失或损坏：" << true << "";
    QTest::newRow("document cannot be written")
        << "CmdPrintTotal" << 0 << 6 << "folder"
        << "打印失败！这是一个文件夹，不能写成文件：" << true << "";
    QTest::newRow("database closed") << "cmdPrintAllTeacher" << 0 << 6 << "closed"
                                     << "打印失败！没有打开的课表数据库" << true << "";
}

void TestPrinting::printButtonsReport() {
    QFETCH(QString, button);
    QFETCH(int, classIndex);
    QFETCH(int, lessonsPerDay);
    QFETCH(QString, trouble);
    QFETCH(QString, text);
    QFETCH(bool, error);
    QFETCH(QString, pdf);

    PrintWindow p(lessonsPerDay);
    p.w->CmbClass->setCurrentIndex(classIndex);
    if (trouble == "folder")
        QVERIFY(QDir().mkpath(AppFilePath("tmp.xml")));
    if (trouble == "closed")
        p.ctx.db.close();
    QTemporaryDir out;
    const QString pdfPath = out.filePath("out.pdf");
    PrintToPdfScope toPdf(pdfPath);
    FakeDialogs dialogs;
    p.click(button);

    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.lastTitle(), QString("打印课表"));
    // Failures name their reason and file after the given beginning.
    QVERIFY2(error ? dialogs.lastText().startsWith(text) : dialogs.lastText() == text,
             qPrintable(dialogs.lastText()));
    QCOMPARE(dialogs.shown.last().icon,
             error ? UiDialogs::Icon::Error : UiDialogs::Icon::Information);
    QVERIFY(!QApplication::overrideCursor()); // the hourglass is gone
    QCOMPARE(QFile::exists(pdfPath), !pdf.isEmpty());
    // No lessons: no document either.
    if (text == "没有课表数据")
        QVERIFY(!QFile::exists(AppFilePath("tmp.xml")));
    if (!pdf.isEmpty()) {
        QVERIFY(QFileInfo(AppFilePath("tmp.xml")).isFile());
        const QString pages = PdfPages(pdfPath);
        if (!pages.isEmpty())
            QCOMPARE(pages, pdf);
    }
}

void TestPrinting::emptyListPrintsNothing() {
    PrintWindow p(6, false);
    FakeDialogs dialogs;
    p.click("cmdPrintClass");
    p.click("cmdPrintTeacher");
    QVERIFY(dialogs.shown.isEmpty());
    p.click("cmdPrintAllClass");
    QCOMPARE(dialogs.lastText(), QString("没有课表数据"));
}

void TestPrinting::pagesHoldTheTimetable_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("class") << "cmdPrintClass"
                           << QStringList{"阳光小学", "二年级(1)班", "星期二",
                                          "第五节",   "数学",        "本周课时合计:1节"};
    QTest::newRow("teacher") << "cmdPrintTeacher"
                             << QStringList{"李强",  "综合实践活动", "一(1)",
                                            "二(1)", "第七节",       "本周课时合计:3节"};
    QTest::newRow("whole school") << "CmdPrintTotal"
                                  << QStringList{"学年度第", "学期总课程表", "班级", "一(1)",
                                                 "二(1)",    "综合",         "王丽", "星期五"};
}

void TestPrinting::pagesHoldTheTimetable() {
    QFETCH(QString, button);
    QFETCH(QStringList, texts);
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    PrintWindow p(7);
    QTemporaryDir out;
    PrintToPdfScope toPdf(out.filePath("page.pdf"));
    FakeDialogs dialogs;
    p.click(button);
    QCOMPARE(dialogs.lastText(), QString("打印完成"));
    const QString text = PdfText(out.filePath("page.pdf"));
    for (const QString& s : texts)
        QVERIFY2(text.contains(s), qPrintable(s + " missing in:\n" + text));
}

void TestPrinting::cancellingThePreviewIsNoFailure() {
    PrintWindow p;
    FakeDialogs dialogs;
    bool sawPreview = false;
    OnNextModal([&](QWidget* w) {
        sawPreview = qobject_cast<QPrintPreviewDialog*>(w) != nullptr;
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
    });
    p.click("cmdPrintClass");
    QVERIFY(sawPreview);
    QVERIFY(dialogs.shown.isEmpty()); // the user's choice, not a failure
    QVERIFY(!QApplication::overrideCursor());
}

void TestPrinting::commandLinePrintsDocumentAndPdf() {
    TestDb t;
    FillSchool(t);
    const ScheduleRecords records = QueryScheduleRecords(t.db, ScheduleKind::Teacher, "李强");
    t.db.close();
    QTemporaryDir out;
    const QString xml = out.filePath("doc.xml"), pdf = out.filePath("doc.pdf");
    QString err;

    QCOMPARE(RunCli({"print", "--teacher", "李强", "--lessons-per-day", "7", "--school", "某校",
                     "--xml", xml, "--pdf", pdf, t.path},
                    &err),
             0);
    QFile f(xml);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), ScheduleXmlText(records, 7, "某校"));
    QVERIFY(QFileInfo(pdf).size() > 5000);
    const QString pages = PdfPages(pdf);
    if (!pages.isEmpty())
        QCOMPARE(pages, QString("1 595x842"));

    QCOMPARE(RunCli({"print", "--class", "一年级(2)班", "--xml", out.filePath("none.xml"), t.path},
                    &err),
             2);
    QVERIFY(err.contains("没有课表数据"));
    QVERIFY(!QFile::exists(out.filePath("none.xml")));
    QCOMPARE(RunCli({"print", "--total", "--all-classes", "--xml", xml, t.path}), 2);
    QCOMPARE(RunCli({"print", "--total", "--lessons-per-day", "8", "--xml", xml, t.path}), 2);
    QCOMPARE(RunCli({"print", "--total", "--force", "--xml", xml, out.filePath("missing.db")}), 1);
}

QTEST_MAIN(TestPrinting)
// A whole-school cell of seven lessons a day leaves about 11 × 6 mm for the
// course: "道德与法治" is set whole, on one line or two, whichever gives the
// larger type, and never below 5 pt.
void TestPrinting::longShortNamesGoOnTwoLinesRatherThanTiny() {
    QTemporaryDir dir;
    QPdfWriter pdf(dir.filePath("fit.pdf"));
    pdf.setResolution(300);
    const double k = 300 / 25.4;
    const QFont base = SongTi();
    const auto fitsWhole = [&](const FittedText& t, double w, double h) {
        QFont used = base;
        used.setPointSizeF(t.pt);
        const QFontMetricsF m(used, &pdf);
        for (const QString& line : t.lines)
            if (m.horizontalAdvance(line) > w * k * 0.94)
                return false;
        return t.lines.join(QString()) == QStringLiteral("道德与法治") &&
               (t.lines.size() == 1 || m.lineSpacing() * 2 <= h * k);
    };
    const FittedText total = FitPrintedText(base, "道德与法治", 10.9, 5.9, 10, &pdf, k);
    QVERIFY(total.pt >= 5);
    QVERIFY(fitsWhole(total, 10.9, 5.9));
    if (total.lines.size() == 2)
        QCOMPARE(total.lines, (QStringList{"道德与", "法治"}));
    // A class page's wide cell: one line at full size; a short name too.
    const FittedText wide = FitPrintedText(base, "道德与法治", 40, 12, 16, &pdf, k);
    QCOMPARE(wide.lines.size(), 1);
    QCOMPARE(wide.pt, 16.0);
    const FittedText two = FitPrintedText(base, "语文", 10.9, 5.9, 10, &pdf, k);
    QCOMPARE(two.lines, QStringList{"语文"});
    QCOMPARE(two.pt, 10.0);
}

#include "test_printing.moc"
