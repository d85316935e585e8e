#include "gui/widgets/RecordList.h"

#include "gui/widgets/UiMetrics.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTreeWidget>

RecordList::RecordList(QTreeWidget* list, const QStringList& captions)
    : QObject(list), m_list(list) {
    m_list->setColumnCount(static_cast<int>(captions.size()));
    m_list->setHeaderLabels(captions);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSortingEnabled(false);
    QHeaderView* header = m_list->header();
    header->setStretchLastSection(false);
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    for (int c = 0; c < captions.size(); ++c)
        m_list->setColumnWidth(c, Twips(c == 0 ? 1700 : 2000));
    connect(header, &QHeaderView::sectionClicked, this, &RecordList::sortByColumn);
    connect(m_list, &QTreeWidget::itemClicked, this, [this] { emit rowChosen(); });
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (current)
            emit rowChosen();
    });
    m_list->installEventFilter(this);
}

bool RecordList::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_list || event->type() != QEvent::KeyPress ||
        static_cast<QKeyEvent*>(event)->key() != Qt::Key_Delete)
        return QObject::eventFilter(watched, event);
    emit deleteKeyPressed();
    return true;
}

void RecordList::fill(const QList<CodeRecord>& records) {
    QList<QTreeWidgetItem*> items;
    for (const CodeRecord& r : records)
        items.append(new QTreeWidgetItem(QStringList{r.code, r.name, r.fullName, r.shortName}));
    const QSignalBlocker block(m_list);
    m_list->addTopLevelItems(items);
}

void RecordList::add(const CodeRecord& r) {
    auto* item = new QTreeWidgetItem(QStringList{r.code, r.name, r.fullName, r.shortName});
    {
        const QSignalBlocker block(m_list);
        m_list->addTopLevelItem(item);
        if (m_sorted)
            resort();
    }
    select(item);
}

QTreeWidgetItem* RecordList::find(const QString& code) const {
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        if (m_list->topLevelItem(i)->text(0) == code)
            return m_list->topLevelItem(i);
    return nullptr;
}

bool RecordList::refresh(const CodeRecord& r) {
    QTreeWidgetItem* item = find(r.code);
    if (!item)
        return false;
    {
        const QSignalBlocker block(m_list);
        item->setText(1, r.name);
        item->setText(2, r.fullName);
        item->setText(3, r.shortName);
        if (m_sorted && m_sortColumn > 0)
            resort();
    }
    select(item);
    return true;
}

void RecordList::remove(const QString& code) {
    const QSignalBlocker block(m_list);
    delete find(code);
    // Nothing stays chosen: the next delete or modify needs a row picked again.
    m_list->clearSelection();
    m_list->setCurrentItem(nullptr);
}

QTreeWidgetItem* RecordList::selected() const {
    const QList<QTreeWidgetItem*> items = m_list->selectedItems();
    return items.isEmpty() ? nullptr : items.first();
}

CodeRecord RecordList::recordOf(const QTreeWidgetItem* item) {
    return {item->text(0), item->text(1), item->text(2), item->text(3)};
}

void RecordList::sortByColumn(int column) {
    if (column == m_sortColumn)
        m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    else
        m_sortColumn = column;
    m_sorted = true;
    const QSignalBlocker block(m_list);
    resort();
}

void RecordList::resort() {
    m_list->header()->setSortIndicatorShown(true);
    m_list->header()->setSortIndicator(m_sortColumn, m_sortOrder);
    m_list->sortItems(m_sortColumn, m_sortOrder);
}

void RecordList::select(QTreeWidgetItem* item) {
    const QSignalBlocker block(m_list);
    m_list->setCurrentItem(item);
    item->setSelected(true);
    m_list->scrollToItem(item);
}

void SetInputMark(QWidget* field, bool failed) {
    const QColor colour = failed ? QColor(255, 0, 0) : QColor(255, 255, 255);
    QPalette p = field->palette();
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Button, colour);
    field->setPalette(p);
}

QLabel* AddStatusPanel(QStatusBar* bar) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(bar->objectName() + QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    bar->addWidget(panel, 1);
    bar->setSizeGripEnabled(false);
    return panel;
}
