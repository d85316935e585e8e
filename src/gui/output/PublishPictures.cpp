#include "gui/output/PublishPictures.h"

#include "core/model/Failure.h"

#include <QDir>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

namespace {

constexpr int kMargin = 36;
constexpr int kLessonColumn = 120;
constexpr int kHeaderHeight = 64;
constexpr int kEntryHeight = 84;
constexpr int kBreakHeight = 36;
constexpr int kBreakAfter = 4;
// QImage's PNG quality: 100 stores, 0 compresses hardest.
constexpr int kPngQuality = 80;

QFont PictureFont(int pixels, bool bold = false) {
    QFont f;
    // A sans face reads best on a phone; the serif one is the fallback that
    // the print fonts already require.
    f.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
                   QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Serif CJK SC"),
                   QStringLiteral("AR PL UMing CN")});
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// The largest size up to `pixels` at which text fits the width on one line.
QFont Fitted(const QString& text, int pixels, int minPixels, int width, bool bold = false) {
    QFont f = PictureFont(pixels, bold);
    while (pixels > minPixels && QFontMetrics(f).horizontalAdvance(text) > width)
        f = PictureFont(--pixels, bold);
    return f;
}

int RowHeight(const PublishTable& t, int lessonNo) {
    size_t most = 1;
    for (int day = 1; day <= 5; ++day)
        most = std::max(most, t.at(day, lessonNo).size());
    return kEntryHeight * static_cast<int>(most);
}

} // namespace

QImage RenderPublishTable(const PublishSchool& s, const PublishTable& t, bool teacher) {
    const int width = kPublishPictureWidth;
    const int dayWidth = (width - 2 * kMargin - kLessonColumn) / 5;
    const int tableWidth = kLessonColumn + 5 * dayWidth;
    const int titleHeight = 64, subHeight = 40, footHeight = 40;
    int tableHeight = kHeaderHeight;
    for (int n = 1; n <= s.lessonsPerDay; ++n)
        tableHeight +=
            RowHeight(t, n) + (n == kBreakAfter && n < s.lessonsPerDay ? kBreakHeight : 0);
    const int height = kMargin + titleHeight + subHeight + tableHeight + footHeight + kMargin;

    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    // The lines are all straight: only the text needs smoothing.
    p.setRenderHint(QPainter::TextAntialiasing);

    const QString title =
        t.name + (teacher ? QStringLiteral(" 老师课表") : QStringLiteral(" 课表"));
    p.setPen(QColor(0x22, 0x22, 0x22));
    p.setFont(Fitted(title, 44, 24, width - 2 * kMargin, true));
    p.drawText(QRect(kMargin, kMargin, width - 2 * kMargin, titleHeight), Qt::AlignCenter, title);
    p.setPen(QColor(0x55, 0x55, 0x55));
    const QString sub = s.schoolName + QStringLiteral("  ") + s.termTitle;
    p.setFont(Fitted(sub, 26, 16, width - 2 * kMargin));
    p.drawText(QRect(kMargin, kMargin + titleHeight, width - 2 * kMargin, subHeight),
               Qt::AlignCenter, sub);

    const int left = kMargin + (width - 2 * kMargin - tableWidth) / 2;
    int y = kMargin + titleHeight + subHeight;
    const QColor line(0x88, 0x88, 0x88);
    const QColor headFill(0xe8, 0xee, 0xf7), sideFill(0xf3, 0xf3, 0xf3);

    const auto box = [&](const QRect& r, const QColor& fill) {
        p.fillRect(r, fill);
        p.setPen(QPen(line, 1.5));
        p.drawRect(r);
    };
    // Header: 节次 and the five days.
    box(QRect(left, y, kLessonColumn, kHeaderHeight), headFill);
    p.setPen(Qt::black);
    p.setFont(PictureFont(26, true));
    p.drawText(QRect(left, y, kLessonColumn, kHeaderHeight), Qt::AlignCenter,
               QStringLiteral("节次"));
    const QStringList days = {QStringLiteral("星期一"), QStringLiteral("星期二"),
                              QStringLiteral("星期三"), QStringLiteral("星期四"),
                              QStringLiteral("星期五")};
    for (int d = 0; d < 5; ++d) {
        const QRect r(left + kLessonColumn + d * dayWidth, y, dayWidth, kHeaderHeight);
        box(r, headFill);
        p.setPen(Qt::black);
        p.drawText(r, Qt::AlignCenter, days[d]);
    }
    y += kHeaderHeight;

    for (int n = 1; n <= s.lessonsPerDay; ++n) {
        const int h = RowHeight(t, n);
        const QRect side(left, y, kLessonColumn, h);
        box(side, sideFill);
        p.setPen(Qt::black);
        p.setFont(PictureFont(30, true));
        p.drawText(side.adjusted(0, 4, 0, -h / 2 - 2), Qt::AlignHCenter | Qt::AlignBottom,
                   QString::number(n));
        p.setPen(QColor(0x55, 0x55, 0x55));
        const QString time = LessonTimeText(s.times.lesson(n));
        p.setFont(Fitted(time, 17, 12, kLessonColumn - 8));
        p.drawText(side.adjusted(4, h / 2 + 4, -4, -4), Qt::AlignHCenter | Qt::AlignTop, time);
        for (int day = 1; day <= 5; ++day) {
            const QRect cell(left + kLessonColumn + (day - 1) * dayWidth, y, dayWidth, h);
            box(cell, Qt::white);
            const std::vector<PublishEntry>& entries = t.at(day, n);
            const int each = entries.empty() ? h : h / static_cast<int>(entries.size());
            for (size_t k = 0; k < entries.size(); ++k) {
                const QRect part(cell.left() + 6, cell.top() + static_cast<int>(k) * each,
                                 cell.width() - 12, each);
                const PublishEntry& e = entries[k];
                p.setPen(Qt::black);
                p.setFont(Fitted(e.course, 32, 18, part.width()));
                const QRect upper =
                    e.detail.isEmpty() ? part : part.adjusted(0, 4, 0, -each / 2 + 6);
                p.drawText(upper,
                           (e.detail.isEmpty() ? Qt::AlignVCenter : Qt::AlignBottom) |
                               Qt::AlignHCenter,
                           e.course);
                if (!e.detail.isEmpty()) {
                    p.setPen(QColor(0x55, 0x55, 0x55));
                    p.setFont(Fitted(e.detail, 22, 14, part.width()));
                    p.drawText(part.adjusted(0, each / 2 + 6, 0, -4),
                               Qt::AlignHCenter | Qt::AlignTop, e.detail);
                }
            }
        }
        y += h;
        if (n == kBreakAfter && n < s.lessonsPerDay) {
            const QRect band(left, y, tableWidth, kBreakHeight);
            box(band, sideFill);
            p.setPen(QColor(0x66, 0x66, 0x66));
            p.setFont(PictureFont(20));
            p.drawText(band, Qt::AlignCenter, QStringLiteral("午　　休"));
            y += kBreakHeight;
        }
    }
    p.setPen(QColor(0x77, 0x77, 0x77));
    p.setFont(PictureFont(18));
    p.drawText(QRect(kMargin, y + 6, width - 2 * kMargin, footHeight - 6),
               Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("更新于 ") +
                   s.written.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    p.end();
    return image;
}

int WritePublishPictures(const PublishSchool& s, const QString& folder) {
    std::vector<std::pair<const PublishTable*, bool>> jobs;
    for (const PublishTable& t : s.classes)
        jobs.emplace_back(&t, false);
    for (const PublishTable& t : s.teachers)
        jobs.emplace_back(&t, true);
    const auto write = [&](const PublishTable& t, bool teacher) {
        const QString file = QDir(folder).filePath(t.fileStem + QStringLiteral(".png"));
        // Grey levels are all a timetable uses; a quarter of the bytes and
        // light compression make the pictures several times faster to write.
        if (!RenderPublishTable(s, t, teacher)
                 .convertToFormat(QImage::Format_Grayscale8)
                 .save(file, "PNG", kPngQuality))
            throw Failure(QStringLiteral("无法写入课表图片"), file,
                          QStringLiteral("请检查磁盘空间后再试。"));
    };
    // Drawing and compressing dominate a school's set; each picture stands
    // alone, so they are shared among the cores.
    std::atomic<size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    const auto worker = [&] {
        for (size_t i = next++; i < jobs.size(); i = next++) {
            try {
                write(*jobs[i].first, jobs[i].second);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failureLock);
                if (!failure)
                    failure = std::current_exception();
                next = jobs.size();
            }
        }
    };
    const unsigned cores = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<std::thread> helpers;
    for (unsigned k = 1; k < cores && k < jobs.size(); ++k)
        helpers.emplace_back(worker);
    worker();
    for (std::thread& h : helpers)
        h.join();
    if (failure)
        std::rethrow_exception(failure);
    return static_cast<int>(jobs.size());
}
