#pragma once
// The report list shared by the code list editors: one row per record, the code
// as the row text and the three names as its sub-items, sorted on a header click
// by the column texts.
#include "core/store/CodeRecords.h"

#include <QObject>

class QStatusBar;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

class RecordList : public QObject {
    Q_OBJECT
public:
    // Sets up the columns (widths in twips) of list and takes over its header clicks.
    RecordList(QTreeWidget* list, const QStringList& captions);

    void fill(const QList<CodeRecord>& records);
    // Adds a row (at its sorted place once the list has been sorted) and selects it.
    void add(const CodeRecord& record);
    // The row whose code is exactly code, or null.
    QTreeWidgetItem* find(const QString& code) const;
    // Rewrites the names of the row of record.code and selects it; false when there is none.
    bool refresh(const CodeRecord& record);
    void remove(const QString& code);
    QTreeWidgetItem* selected() const;
    static CodeRecord recordOf(const QTreeWidgetItem* item);

    // A header click: the clicked column becomes the key; a click on the key
    // column flips the order.
    void sortByColumn(int column);
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

signals:
    // The user clicked a row or moved to it with the keyboard.
    void rowChosen();
    // The user pressed Delete in the list.
    void deleteKeyPressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void select(QTreeWidgetItem* item);
    void resort();

    QTreeWidget* m_list;
    bool m_sorted = false; // the list keeps the order read until the first header click
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

// The validation mark of an input field: red when it failed the last check,
// white when it passed.
void SetInputMark(QWidget* field, bool failed);

// The status bar of the editors with its one panel; returns the panel.
QLabel* AddStatusPanel(QStatusBar* bar);
