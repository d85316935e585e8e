// 检查课表: the check's findings in a window, opened from the main menu.
#include "GuiTest.h"
#include "TestContext.h"
#include "TestDb.h"
#include "gui/manual/frmCheckTimetable.h"
#include "gui/shell/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>

namespace {

// Class 11 plans 体育 twice; one lesson stands in 体育's "不排" Tuesday 1.
void fillSchool(TestDb& t) {
    t.addClass("11", "一（1）班", "一年级（1）班", "一1");
    t.addCourse("6", "体育");
    t.addTeacher("T7", "钱老师");
    t.addPlan("11", "6", "T7", 2, 2, 1);
    t.addLesson("11", 1, 4, "6", "T7", 1);
    t.addLesson("11", 2, 1, "6", "T7", 2);
    t.addLimit(1, "6", 2, 1, 3);
}

} // namespace

class TestCheckTimetable : public QObject {
    Q_OBJECT
private slots:
    void listsABrokenRuleFromTheMenu() {
        TestDb t;
        fillSchool(t);
        TestContext c(t);
        frmMain main(c.ctx);
        QString report, title;
        bool focused = false;
        OnNextModal([&](QWidget* w) {
            auto* dlg = qobject_cast<frmCheckTimetable*>(w);
            QVERIFY(dlg);
            title = dlg->windowTitle();
            report = dlg->txtReport->toPlainText();
            focused = dlg->txtReport->hasFocus() || dlg->focusWidget() == dlg->txtReport;
            QVERIFY(dlg->txtReport->isReadOnly());
            dlg->cmdCopy->click();
            dlg->close();
        });
        main.mnuCheckTimetable->trigger();
        QCOMPARE(title, QStringLiteral("检查课表"));
        // The line names the rule, the class, the course and the day.
        const QStringList lines = report.split('\n');
        QVERIFY2(std::any_of(lines.begin(), lines.end(),
                             [](const QString& l) {
                                 return l.contains(QStringLiteral("不排")) &&
                                        l.contains(QStringLiteral("一（1）班")) &&
                                        l.contains(QStringLiteral("体育")) &&
                                        l.contains(QStringLiteral("二"));
                             }),
                 qPrintable(report));
        QVERIFY(focused);
        QCOMPARE(QApplication::clipboard()->text(), report);
    }

    void recheckFollowsTheTimetableAndSaysWhyItCannotRead() {
        TestDb t;
        fillSchool(t);
        TestContext c(t);
        frmCheckTimetable w(c.ctx);
        const QString before = w.txtReport->toPlainText();
        c.exec("update LessonListtb set Day=3 where Day=2");
        w.cmdRecheck->click();
        QVERIFY(w.txtReport->toPlainText() != before);
        QVERIFY(w.txtReport->toPlainText().size() < before.size()); // one finding fewer

        AppContext closed; // nothing open
        frmCheckTimetable none(closed);
        QVERIFY(none.lblResult->text().startsWith(QStringLiteral("读取课表数据失败：")));
        QVERIFY(none.txtReport->toPlainText().isEmpty());
    }
};

QTEST_MAIN(TestCheckTimetable)
#include "test_check_timetable.moc"
