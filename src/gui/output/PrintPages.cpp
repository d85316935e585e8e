#include "gui/output/PrintPages.h"

#include "gui/widgets/UiMetrics.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

namespace {

const QColor kHeaderFill(236, 236, 236);
const QColor kSeparatorFill(214, 214, 214);
constexpr double kMinFontSize = 5.0;

QPageSize::PageSizeId PaperId(const QString& paper, bool* known = nullptr) {
    static const std::pair<const char*, QPageSize::PageSizeId> papers[] = {
        {"A3", QPageSize::A3},      {"A4", QPageSize::A4}, {"A5", QPageSize::A5},
        {"B4", QPageSize::B4},      {"B5", QPageSize::B5}, {"Letter", QPageSize::Letter},
        {"Legal", QPageSize::Legal}};
    for (const auto& [name, id] : papers)
        if (paper.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            if (known)
                *known = true;
            return id;
        }
    if (known)
        *known = false;
    return QPageSize::A4;
}

QSizeF PaperMm(const PrintTemplate& tpl) {
    const QSizeF s = QPageSize(PaperId(tpl.paper)).size(QPageSize::Millimeter);
    return tpl.landscape ? s.transposed() : s;
}

// The whole-school table's vertical budget for class rows on one page.
double TotalRowSpace(const PrintTemplate& t) {
    return PaperMm(t).height() - t.marginTop - t.marginBottom - t.titleHeight - t.headerHeight -
           t.lessonHeaderHeight;
}

} // namespace

FittedText FitPrintedText(const QFont& base, const QString& text, double widthMm, double heightMm,
                          double pt, const QPaintDevice* device, double pxPerMm) {
    const double room = widthMm * pxPerMm * 0.94;
    const double height = heightMm * pxPerMm;
    const auto fit = [&](const QStringList& lines) {
        QFont f = base;
        f.setPointSizeF(pt);
        const auto fits = [&] {
            const QFontMetricsF m(f, device);
            for (const QString& line : lines)
                if (m.horizontalAdvance(line) > room)
                    return false;
            // One line keeps its old rule, the width alone; two must stack.
            return lines.size() == 1 ||
                   m.lineSpacing() * static_cast<double>(lines.size()) <= height;
        };
        while (f.pointSizeF() > kMinFontSize && !fits())
            f.setPointSizeF(std::max(kMinFontSize, f.pointSizeF() - 0.5));
        return f.pointSizeF();
    };
    FittedText one{{text}, fit({text})};
    if (one.pt >= pt * 0.75 || text.size() < 4 || text.contains(QLatin1Char(' ')))
        return one;
    const qsizetype half = (text.size() + 1) / 2;
    const QStringList split{text.left(half), text.mid(half)};
    const double twoPt = fit(split);
    return twoPt > one.pt ? FittedText{split, twoPt} : one;
}

namespace {

// Millimetres to device pixels, and the fonts of the template.
class Canvas {
public:
    Canvas(QPainter& p, const PrintTemplate& t) : m_p(p) {
        m_k = p.device()->logicalDpiX() / 25.4;
        m_base = t.fontFamily == QStringLiteral("宋体") ? SongTi() : QFont(t.fontFamily);
    }
    QPainter& painter() { return m_p; }
    double px(double mm) const { return mm * m_k; }
    QRectF rect(double x, double y, double w, double h) const {
        return QRectF(px(x), px(y), px(w), px(h));
    }
    QSizeF pageMm() const {
        return QSizeF(m_p.device()->width() / m_k, m_p.device()->height() / m_k);
    }
    QFont font(double pt, bool bold = false) const {
        QFont f = m_base;
        f.setPointSizeF(pt);
        f.setBold(bold);
        return f;
    }
    void line(double x1, double y1, double x2, double y2, double width) {
        m_p.setPen(QPen(Qt::black, px(width), Qt::SolidLine, Qt::FlatCap));
        m_p.drawLine(QPointF(px(x1), px(y1)), QPointF(px(x2), px(y2)));
    }
    void fill(double x, double y, double w, double h, const QColor& c) {
        m_p.fillRect(rect(x, y, w, h), c);
    }
    void frame(double x, double y, double w, double h, double width) {
        m_p.setPen(QPen(Qt::black, px(width), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        m_p.setBrush(Qt::NoBrush);
        m_p.drawRect(rect(x, y, w, h));
    }
    // Centred in the box, the font made smaller until the text fits its width.
    void text(double x, double y, double w, double h, const QString& s, double pt,
              bool bold = false, Qt::Alignment align = Qt::AlignCenter) {
        if (s.isEmpty())
            return;
        const FittedText fitted = FitPrintedText(font(pt, bold), s, w, h, pt, m_p.device(), m_k);
        m_p.setFont(font(fitted.pt, bold));
        m_p.setPen(Qt::black);
        if (fitted.lines.size() == 1)
            m_p.drawText(rect(x, y, w, h), int(align) | Qt::TextSingleLine, s);
        else
            m_p.drawText(rect(x, y, w, h), int(align), fitted.lines.join(QLatin1Char('\n')));
    }

private:
    QPainter& m_p;
    double m_k = 1;
    QFont m_base;
};

// The fields of one cell share its height in proportion to their font sizes.
void DrawFields(Canvas& c, const PrintTemplate& t, double x, double y, double w, double h,
                const QStringList& values) {
    double weight = 0;
    for (const auto& f : t.fields)
        weight += f.size;
    const double pad = h * 0.12;
    double top = y + pad;
    for (int i = 0; i < t.fields.size(); ++i) {
        const double part = (h - 2 * pad) * t.fields[i].size / weight;
        c.text(x, top, w, part, values.value(i), t.fields[i].size);
        top += part;
    }
}

// "星期|节次" gives a diagonal corner: the first text top right, the second
// bottom left.
void DrawCorner(Canvas& c, const PrintTemplate& t, double x, double y, double w, double h) {
    const QStringList parts = t.corner.split(QLatin1Char('|'));
    if (parts.size() == 2) {
        c.line(x, y, x + w, y + h, t.lineWidth);
        c.text(x + w / 2, y, w / 2, h / 2, parts[0], t.headerSize * 0.8);
        c.text(x, y + h / 2, w / 2, h / 2, parts[1], t.headerSize * 0.8);
    } else {
        c.text(x, y, w, h, t.corner, t.headerSize, true);
    }
}

QString FieldValue(const SchedulePage::Cell& cell, const QString& field) {
    if (field == QLatin1String("coursename"))
        return cell.course;
    if (field == QLatin1String("classname"))
        return cell.className;
    return QString();
}

void PaintSchedulePage(Canvas& c, const PrintTemplate& t, const SchedulePage& page) {
    const QSizeF paper = c.pageMm();
    const int lessons = t.lessonCount();
    const bool separated = t.separatorAfter > 0 && t.separatorAfter < lessons;
    const double sepH = separated ? t.separatorHeight : 0;
    const double x0 = t.marginLeft, y0 = t.marginTop + t.titleHeight;
    const double width = paper.width() - t.marginLeft - t.marginRight;
    const double totalLine = t.totalText.isEmpty() ? 0 : t.totalSize * 0.9;
    const double room = paper.height() - y0 - t.marginBottom - totalLine - t.headerHeight - sepH;
    const double rowH = std::min(t.rowHeight, room / lessons);
    const double dayW = (width - t.headerWidth) / 5;
    const double height = t.headerHeight + lessons * rowH + sepH;

    c.text(x0, t.marginTop, width, t.titleHeight, page.title.trimmed(), t.titleSize, true);

    c.fill(x0, y0, width, t.headerHeight, kHeaderFill);
    c.fill(x0, y0 + t.headerHeight, t.headerWidth, height - t.headerHeight, kHeaderFill);
    DrawCorner(c, t, x0, y0, t.headerWidth, t.headerHeight);
    for (int d = 0; d < 5; ++d)
        c.text(x0 + t.headerWidth + d * dayW, y0, dayW, t.headerHeight, t.days[d], t.headerSize,
               true);

    auto rowTop = [&](int lesson) { // lesson 1-based
        return y0 + t.headerHeight + (lesson - 1) * rowH +
               (separated && lesson > t.separatorAfter ? sepH : 0);
    };
    for (int l = 1; l <= lessons; ++l) {
        const double y = rowTop(l);
        if (l <= t.lessonTimes.size()) {
            c.text(x0, y, t.headerWidth, rowH * 0.6, t.lessons[l - 1], t.headerSize, true);
            c.text(x0, y + rowH * 0.5, t.headerWidth, rowH * 0.4, t.lessonTimes[l - 1],
                   t.headerSize * 0.7);
        } else {
            c.text(x0, y, t.headerWidth, rowH, t.lessons[l - 1], t.headerSize, true);
        }
        for (int d = 1; d <= 5; ++d) {
            const int index = (l - 1) * 5 + (d - 1);
            if (index >= page.cells.size())
                continue;
            QStringList values;
            for (const auto& f : t.fields)
                values << FieldValue(page.cells[index], f.name);
            DrawFields(c, t, x0 + t.headerWidth + (d - 1) * dayW, y, dayW, rowH, values);
        }
        if (l > 1 && !(separated && l == t.separatorAfter + 1))
            c.line(x0, y, x0 + width, y, t.lineWidth);
    }
    if (separated) {
        const double y = rowTop(t.separatorAfter + 1) - sepH;
        c.fill(x0, y, width, sepH, kSeparatorFill);
        c.line(x0, y, x0 + width, y, t.lineWidth);
        c.line(x0, y + sepH, x0 + width, y + sepH, t.lineWidth);
        c.text(x0, y, width, sepH, t.separatorText, t.separatorSize);
    }
    c.line(x0, y0 + t.headerHeight, x0 + width, y0 + t.headerHeight, t.frameWidth / 2);
    c.line(x0 + t.headerWidth, y0, x0 + t.headerWidth, y0 + height, t.frameWidth / 2);
    for (int d = 1; d < 5; ++d) {
        const double x = x0 + t.headerWidth + d * dayW;
        // The separator band runs through the day columns.
        if (separated) {
            c.line(x, y0, x, rowTop(t.separatorAfter + 1) - sepH, t.lineWidth);
            c.line(x, rowTop(t.separatorAfter + 1), x, y0 + height, t.lineWidth);
        } else {
            c.line(x, y0, x, y0 + height, t.lineWidth);
        }
    }
    c.frame(x0, y0, width, height, t.frameWidth);

    if (!t.totalText.isEmpty()) {
        QString line = t.totalText;
        line.replace(QStringLiteral("{total}"),
                     page.total.isEmpty() ? QStringLiteral("0") : page.total);
        c.text(x0, y0 + height + 1, width, totalLine + 2, line, t.totalSize, false,
               Qt::AlignRight | Qt::AlignVCenter);
    }
}

void PaintTotalPage(Canvas& c, const PrintTemplate& t, const QList<TotalRow>& rows, int first,
                    int count) {
    const QSizeF paper = c.pageMm();
    const int lessons = t.lessonCount();
    const double x0 = t.marginLeft, y0 = t.marginTop + t.titleHeight;
    const double width = paper.width() - t.marginLeft - t.marginRight;
    const double colW = (width - t.headerWidth) / (5 * lessons);
    const double dayW = colW * lessons;
    const double headH = t.headerHeight + t.lessonHeaderHeight;
    const double rowH =
        std::max(t.minRowHeight, std::min(t.rowHeight, TotalRowSpace(t) / std::max(1, count)));
    const double height = headH + count * rowH;

    c.text(x0, t.marginTop, width, t.titleHeight, rows.value(first).title.trimmed(), t.titleSize,
           true);

    c.fill(x0, y0, width, headH, kHeaderFill);
    c.fill(x0, y0 + headH, t.headerWidth, height - headH, kHeaderFill);
    DrawCorner(c, t, x0, y0, t.headerWidth, headH);
    for (int d = 0; d < 5; ++d) {
        const double dx = x0 + t.headerWidth + d * dayW;
        c.text(dx, y0, dayW, t.headerHeight, t.days[d], t.headerSize, true);
        for (int l = 0; l < lessons; ++l)
            c.text(dx + l * colW, y0 + t.headerHeight, colW, t.lessonHeaderHeight, t.lessons[l],
                   t.lessonSize);
    }
    for (int i = 0; i < count; ++i) {
        const TotalRow& row = rows[first + i];
        const double y = y0 + headH + i * rowH;
        c.text(x0, y, t.headerWidth, rowH, row.classLabel, t.classSize, true);
        for (int d = 1; d <= 5; ++d)
            for (int l = 1; l <= lessons; ++l) {
                const TotalRow::Cell cell = row.cells.value(l * 10 + d);
                QStringList values;
                for (const auto& f : t.fields)
                    values << (f.name == QLatin1String("teachername")  ? cell.teacher
                               : f.name == QLatin1String("coursename") ? cell.course
                                                                       : row.classLabel);
                DrawFields(c, t, x0 + t.headerWidth + (d - 1) * dayW + (l - 1) * colW, y, colW,
                           rowH, values);
            }
        if (i > 0)
            c.line(x0, y, x0 + width, y, t.lineWidth);
    }
    // Lesson columns; the day header row is split by day only.
    for (int d = 0; d < 5; ++d)
        for (int l = 1; l < lessons; ++l) {
            const double x = x0 + t.headerWidth + d * dayW + l * colW;
            c.line(x, y0 + t.headerHeight, x, y0 + height, t.lineWidth);
        }
    c.line(x0 + t.headerWidth, y0 + t.headerHeight, x0 + width, y0 + t.headerHeight, t.lineWidth);
    c.line(x0, y0 + headH, x0 + width, y0 + headH, t.frameWidth / 2);
    c.line(x0 + t.headerWidth, y0, x0 + t.headerWidth, y0 + height, t.frameWidth / 2);
    // Double rules between the days keep each day's block apart.
    for (int d = 1; d < 5; ++d) {
        const double x = x0 + t.headerWidth + d * dayW;
        c.line(x - t.dayRuleGap / 2, y0, x - t.dayRuleGap / 2, y0 + height, t.lineWidth);
        c.line(x + t.dayRuleGap / 2, y0, x + t.dayRuleGap / 2, y0 + height, t.lineWidth);
    }
    c.frame(x0, y0, width, height, t.frameWidth);
}

} // namespace

int PrintJob::pageCount() const {
    if (tpl.layout == PrintTemplate::Layout::Schedule)
        return static_cast<int>(schedulePages.size());
    if (totalRows.isEmpty() || rowsPerPage <= 0)
        return 0;
    return int((totalRows.size() + rowsPerPage - 1) / rowsPerPage);
}

bool MakePrintJob(const PrintDocumentData& doc, const PrintTemplate& tpl, PrintJob& job) {
    bool known = false;
    PaperId(tpl.paper, &known);
    if (!known)
        return false;
    job = PrintJob{};
    job.tpl = tpl;
    job.tpl.lessonTimes = doc.lessonTimes;
    if (tpl.layout == PrintTemplate::Layout::Schedule) {
        job.schedulePages = SchedulePagesOf(doc);
    } else {
        job.totalRows = TotalRowsOf(doc);
        const double rowH = std::max(tpl.minRowHeight, 1.0);
        job.rowsPerPage = std::max(1, int(std::floor(TotalRowSpace(tpl) / rowH)));
    }
    return true;
}

QPageLayout PageLayoutOf(const PrintTemplate& tpl) {
    return QPageLayout(QPageSize(PaperId(tpl.paper)),
                       tpl.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void PaintPrintJob(const PrintJob& job, QPainter& painter, QPagedPaintDevice& device) {
    Canvas canvas(painter, job.tpl);
    painter.setRenderHint(QPainter::Antialiasing);
    const int pages = job.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            device.newPage();
        if (job.tpl.layout == PrintTemplate::Layout::Schedule) {
            PaintSchedulePage(canvas, job.tpl, job.schedulePages[page]);
        } else {
            const int first = page * job.rowsPerPage;
            const int count =
                std::min<int>(job.rowsPerPage, static_cast<int>(job.totalRows.size()) - first);
            PaintTotalPage(canvas, job.tpl, job.totalRows, first, count);
        }
    }
}
