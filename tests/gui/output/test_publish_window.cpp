// 作息时间设置 and 发布课表 driven offscreen, and the pictures they draw.
#include "ExportFixture.h"
#include "FakeDialogs.h"
#include "GuiTest.h"
#include "core/store/DayScheduleStore.h"
#include "gui/limits/frmDaySchedule.h"
#include "gui/output/PublishPictures.h"
#include "gui/output/frmPublish.h"
#include "gui/widgets/AppContext.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>

class TestPublishWindow : public QObject {
    Q_OBJECT

    struct School {
        TestDb t;
        AppContext ctx;
        School() {
            FillSmallSchool(t);
            t.db.close();
            if (!ctx.db.open(t.path))
                qFatal("open");
            ctx.lessonsPerDay = 6;
        }
    };

private slots:
    void theDayScheduleWindowSavesWhatItShowsAndRefusesOverlaps() {
        School s;
        FakeDialogs dialogs;
        {
            frmDaySchedule w(s.ctx);
            QCOMPARE(w.txtStart[0]->time(), QTime(8, 0));
            QCOMPARE(w.txtEnd[3]->time(), QTime(11, 30));
            // Lesson 2 starting inside lesson 1 is refused and nothing is stored.
            w.txtStart[1]->setTime(QTime(8, 30));
            w.cmdOK->click();
            QVERIFY(dialogs.lastText().contains("第2节"));
            QCOMPARE(s.ctx.db.isOpen(), true);
            QCOMPARE(LoadDaySchedule(s.ctx.db).lesson(2).start, 8 * 60 + 50);
            w.txtStart[1]->setTime(QTime(8, 45));
            w.dtpFirstDay->setDate(QDate(2027, 2, 22));
            w.dtpLastDay->setDate(QDate(2027, 7, 2));
            dialogs.clear();
            w.cmdOK->click();
            QVERIFY2(dialogs.shown.isEmpty(), qPrintable(dialogs.lastText()));
            QCOMPARE(w.result(), int(QDialog::Accepted));
        }
        const DaySchedule stored = LoadDaySchedule(s.ctx.db);
        QCOMPARE(stored.lesson(2).start, 8 * 60 + 45);
        QCOMPARE(stored.firstDay, QDate(2027, 2, 22));
        frmDaySchedule again(s.ctx);
        QCOMPARE(again.txtStart[1]->time(), QTime(8, 45));
        QCOMPARE(again.dtpLastDay->date(), QDate(2027, 7, 2));
        again.cmdDefault->click();
        QCOMPARE(again.txtStart[1]->time(), QTime(8, 50));
    }

    void publishingWritesTheFolderOpensItAndSaysWhat() {
        School s;
        FakeDialogs dialogs;
        QTemporaryDir out;
        frmPublish w(s.ctx);
        w.title = QStringLiteral("实验小学");
        QString opened;
        w.openFolder = [&](const QString& folder) {
            opened = folder;
            return true;
        };
        // The folder offered lies beside the database.
        QCOMPARE(QFileInfo(w.txtFolder->text()).absolutePath(), QFileInfo(s.t.path).absolutePath());
        dialogs.fileNames.enqueue(out.filePath("网页"));
        w.cmdBrowse->click();
        QCOMPARE(w.txtFolder->text(), QDir::toNativeSeparators(out.filePath("网页")));
        w.cmdPublish->click();
        QVERIFY2(dialogs.shown.isEmpty(), qPrintable(dialogs.lastText()));
        QCOMPARE(opened, out.filePath("网页"));
        const QDir site(opened);
        // 3 classes and 2 teachers: a page, a picture and a calendar each.
        QCOMPARE(site.entryList({"*.html"}).size(), 3 + 2 + 2);
        QCOMPARE(site.entryList({"*.png"}).size(), 5);
        QCOMPARE(site.entryList({"*.ics"}).size(), 5);
        QVERIFY(w.lblResult->text().contains("7 个网页、5 张图片、5 个日历文件"));

        // A folder of someone else's is refused with the reason, left as it was.
        QVERIFY(QDir().mkpath(out.filePath("其他")));
        QFile(out.filePath("其他/a.txt")).open(QIODevice::WriteOnly);
        w.txtFolder->setText(out.filePath("其他"));
        w.chkPictures->setChecked(false);
        w.cmdPublish->click();
        QVERIFY(dialogs.lastText().contains("不是本程序发布的课表"));
        QCOMPARE(QDir(out.filePath("其他")).entryList(QDir::Files), QStringList{"a.txt"});
    }

    void aPictureIsTheGridAtTheWidthChatsShow() {
        School s;
        const PublishSchool set = ReadPublishSchool(s.ctx.db, 6, QStringLiteral("实验小学"));
        const PublishTable& cls = set.classes.at(0); // 一(1)班: Monday lesson 1 语文
        QCOMPARE(cls.name, QStringLiteral("一(1)班"));
        const QImage picture = RenderPublishTable(set, cls, false);
        QCOMPARE(picture.width(), kPublishPictureWidth);
        QVERIFY(picture.height() > 700 && picture.height() < 1600);
        // Grid lines cross the picture, and the cell of a lesson holds ink
        // where an empty cell is white.
        const auto inkIn = [&](const QRect& r) {
            int dark = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    dark += qGray(picture.pixel(x, y)) < 128;
            return dark;
        };
        const int dayWidth = (kPublishPictureWidth - 72 - 120) / 5;
        const int firstRowTop = 36 + 64 + 40 + 64;
        const QRect monday1(36 + 120 + 8, firstRowTop + 8, dayWidth - 16, 84 - 16);
        const QRect tuesday1 = monday1.translated(dayWidth, 0);
        QVERIFY(inkIn(monday1) > 50);
        QCOMPARE(inkIn(tuesday1), 0);
    }
};

QTEST_MAIN(TestPublishWindow)
#include "test_publish_window.moc"
