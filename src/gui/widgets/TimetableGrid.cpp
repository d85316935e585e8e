#include "gui/widgets/TimetableGrid.h"

#include "gui/widgets/UiMetrics.h"

#include <QFontMetricsF>
#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolTip>
#include <algorithm>

QString LessonHeader(int lessonNo) {
    static const char* const names[] = {"一", "二", "三", "四", "五", "六", "七", "八", "九"};
    return lessonNo >= 1 && lessonNo <= 9 ? QString::fromUtf8(names[lessonNo - 1]) : QString();
}

QString DayHeader(int day) {
    static const char* const names[] = {"星期一", "星期二", "星期三", "星期四", "星期五"};
    return day >= 1 && day <= 5 ? QString::fromUtf8(names[day - 1]) : QString();
}

namespace {

// Where a cell keeps the rule its lesson breaks.
constexpr int kBreachRole = Qt::UserRole + 77;

// Draws the red corner of a cell that breaks a rule and puts the rule before
// the cell's own hover text; frames the current cell while the grid has the
// focus (the cell's own colour is left alone: the windows' colours carry
// meaning); shrinks a long text to fit its cell instead of cutting it.
class BreachDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem plain(option);
        const bool current = option.state & QStyle::State_HasFocus;
        plain.state &= ~QStyle::State_HasFocus;
        QStyledItemDelegate::paint(painter, plain, index);
        if (current) {
            painter->save();
            QPen pen(option.palette.color(QPalette::Highlight), 3);
            pen.setJoinStyle(Qt::MiterJoin);
            painter->setPen(pen);
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(QRectF(option.rect).adjusted(1.5, 1.5, -1.5, -1.5));
            painter->restore();
        }
        if (index.data(kBreachRole).toString().isEmpty())
            return;
        const QRect r = option.rect;
        const int side = std::max(6, std::min(r.width(), r.height()) / 4);
        QPainterPath corner;
        corner.moveTo(r.topRight() + QPoint(1, 0));
        corner.lineTo(r.topRight() + QPoint(1 - side, 0));
        corner.lineTo(r.topRight() + QPoint(1, side));
        corner.closeSubpath();
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->fillPath(corner, QColor(220, 0, 0));
        painter->restore();
    }

protected:
    void initStyleOption(QStyleOptionViewItem* o, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(o, index);
        if (o->rect.width() > 0 && !o->text.isEmpty()) {
            o->font = CellFontToFit(o->font, o->text, o->rect.width());
            o->fontMetrics = QFontMetrics(o->font);
        }
    }

public:
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        const QString breach = index.data(kBreachRole).toString();
        if (event->type() != QEvent::ToolTip || breach.isEmpty())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const QString own = index.data(Qt::ToolTipRole).toString();
        QToolTip::showText(event->globalPos(), own.isEmpty() ? breach : breach + '\n' + own, view);
        return true;
    }
};

} // namespace

QFont CellFontToFit(const QFont& font, const QString& text, int cellWidth) {
    // The margins the style leaves on either side of a cell's text.
    const int room = cellWidth - 8;
    QFont f = font;
    const auto widest = [&text](const QFont& g) {
        qreal w = 0;
        for (const QString& line : text.split(QLatin1Char('\n')))
            w = std::max(w, QFontMetricsF(g).horizontalAdvance(line));
        return w;
    };
    while (f.pointSizeF() > kMinCellPoint && widest(f) > room)
        f.setPointSizeF(std::max(kMinCellPoint, f.pointSizeF() - 0.5));
    return f;
}

namespace {

QTableWidgetItem* itemAt(QTableWidget* grid, int row, int col) {
    QTableWidgetItem* item = grid->item(row, col);
    if (!item) {
        item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignCenter);
        item->setFlags(Qt::ItemIsEnabled);
        grid->setItem(row, col, item);
    }
    return item;
}

void setHeader(QTableWidget* grid, int row, int col, const QString& text) {
    QTableWidgetItem* item = itemAt(grid, row, col);
    item->setText(text);
    item->setBackground(grid->palette().color(QPalette::Button));
    item->setFlags(Qt::ItemIsEnabled);
}

} // namespace

void InitTimetableGrid(QTableWidget* grid, int lessonsPerDay, int dayColumnTwips, int rowTwips) {
    const int lessons = lessonsPerDay == 7 ? 7 : 6;
    const int rows = lessons + 2;
    if (rowTwips <= 0)
        rowTwips = lessons == 7 ? 700 : 800;
    grid->clear();
    if (!dynamic_cast<BreachDelegate*>(grid->itemDelegate()))
        grid->setItemDelegate(new BreachDelegate(grid));
    grid->setRowCount(rows);
    grid->setColumnCount(kDays + 1);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(true);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The header's default minimum (from its font) would widen the narrow
    // lesson-number column beyond its 500 twips.
    grid->horizontalHeader()->setMinimumSectionSize(1);
    grid->verticalHeader()->setMinimumSectionSize(1);
    // At the laid-out size every section has its given width and height; a
    // larger window (maximised) shares the extra room among the day columns
    // and the lesson rows, the narrow column and the separator stay.
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->verticalHeader()->setSectionResizeMode(kSeparatorRow, QHeaderView::Fixed);
    grid->setColumnWidth(0, Twips(500));
    for (int c = 1; c <= kDays; ++c)
        grid->setColumnWidth(c, Twips(dayColumnTwips));
    for (int r = 0; r < rows; ++r)
        grid->setRowHeight(r, Twips(r == kSeparatorRow ? 100 : rowTwips));
    setHeader(grid, 0, 0, QStringLiteral("※"));
    for (int d = 1; d <= kDays; ++d)
        setHeader(grid, 0, d, DayHeader(d));
    for (int r = 1; r < rows; ++r) {
        const int lesson = LessonOfGridRow(r);
        setHeader(grid, r, 0, lesson ? LessonHeader(lesson) : QString());
        for (int c = 1; c <= kDays; ++c) {
            QTableWidgetItem* item = itemAt(grid, r, c);
            item->setText(QString());
            item->setBackground(r == kSeparatorRow ? grid->palette().color(QPalette::Button)
                                                   : CellColour::Normal);
        }
    }
    // Stretched sections report the size of the moment; the laid-out size is
    // worked out from the given ones.
    const int width = 2 * grid->frameWidth() + Twips(500) + kDays * Twips(dayColumnTwips);
    const int height = 2 * grid->frameWidth() + (rows - 1) * Twips(rowTwips) + Twips(100);
    grid->setMinimumSize(width, height);
    grid->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    grid->setProperty("kbxtLaidOutSize", QSize(width, height));
}

void SetGridCell(QTableWidget* grid, int row, int col, const QString& text, const QColor& colour) {
    QTableWidgetItem* item = itemAt(grid, row, col);
    item->setText(text);
    item->setBackground(colour);
}

void SetGridCellColour(QTableWidget* grid, int row, int col, const QColor& colour) {
    itemAt(grid, row, col)->setBackground(colour);
}

QString GridCellText(const QTableWidget* grid, int row, int col) {
    const QTableWidgetItem* item = grid->item(row, col);
    return item ? item->text() : QString();
}

QColor GridCellColour(const QTableWidget* grid, int row, int col) {
    const QTableWidgetItem* item = grid->item(row, col);
    return item ? item->background().color() : QColor();
}

void ClearTimetableGrid(QTableWidget* grid, const QColor& colour) {
    for (int r = 1; r < grid->rowCount(); ++r) {
        if (r == kSeparatorRow)
            continue;
        for (int c = 1; c <= kDays; ++c)
            SetGridCell(grid, r, c, QString(), colour);
    }
}

void SetGridCellBreach(QTableWidget* grid, int row, int col, const QString& why) {
    itemAt(grid, row, col)->setData(kBreachRole, why.isEmpty() ? QVariant() : QVariant(why));
}

QString GridCellBreach(const QTableWidget* grid, int row, int col) {
    const QTableWidgetItem* item = grid->item(row, col);
    return item ? item->data(kBreachRole).toString() : QString();
}

void ClearGridBreaches(QTableWidget* grid) {
    for (int r = 1; r < grid->rowCount(); ++r)
        for (int c = 1; c < grid->columnCount(); ++c)
            if (QTableWidgetItem* item = grid->item(r, c))
                item->setData(kBreachRole, QVariant());
}
