#pragma once
// Shared by the editor tests: a test database handed to the program's context,
// and small ways to act on a record list as the user does.
#include "TestDb.h"
#include "core/store/Sql.h"
#include "gui/widgets/AppContext.h"

#include "gui/widgets/UiMetrics.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QTest>
#include <QTreeWidget>

// Fill the tables through t first, then call open(): the database is held
// exclusively, so the windows' connection takes it over from t.
struct EditorFixture {
    TestDb t;
    AppContext ctx;

    void open() {
        t.db.close();
        QVERIFY(ctx.db.open(t.path));
        ctx.systemTitle = QStringLiteral("实验小学排课软件系统");
    }
    long long count(const char* q) { return sql::firstInt(ctx.db.sql(), -1, q); }
    QString text(const char* q, const QString& arg) { return sql::firstText(ctx.db.sql(), q, arg); }
    void exec(const char* q) { ctx.db.sql().exec(q); }
};

inline QStringList ColumnTexts(QTreeWidget* list, int column = 0) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

inline QTreeWidgetItem* RowOf(QTreeWidget* list, const QString& code) {
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(0) == code)
            return list->topLevelItem(i);
    return nullptr;
}

inline void ClickRow(QTreeWidget* list, const QString& code) {
    QTreeWidgetItem* item = RowOf(list, code);
    QVERIFY(item);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(item).center());
}

inline void ClickHeader(QTreeWidget* list, int column) {
    QHeaderView* h = list->header();
    const QPoint at(h->sectionViewportPosition(column) + h->sectionSize(column) / 2,
                    h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

inline bool IsRed(const QWidget* w) {
    return w->palette().color(QPalette::Base) == QColor(255, 0, 0);
}
inline bool IsWhite(const QWidget* w) {
    return w->palette().color(QPalette::Base) == QColor(255, 255, 255);
}

// Saves what the window looks like when KBXT_SCREENSHOTS names a folder.
inline void SaveScreenshot(QWidget* w) {
    const QString dir = qEnvironmentVariable("KBXT_SCREENSHOTS");
    if (!dir.isEmpty())
        w->grab().save(dir + QLatin1Char('/') + w->objectName() + QStringLiteral(".png"));
}
