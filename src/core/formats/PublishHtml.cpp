#include "core/formats/PublishHtml.h"

#include "core/formats/PrintDocument.h"

#include <QStringList>

namespace {

const QStringList kDays = {QStringLiteral("星期一"), QStringLiteral("星期二"),
                           QStringLiteral("星期三"), QStringLiteral("星期四"),
                           QStringLiteral("星期五")};

// Fixed column widths and breaking anywhere keep a week of five days inside a
// 360-pixel screen; wider screens get bigger type, not a wider table.
constexpr const char* kStyle =
    "*{box-sizing:border-box}"
    "body{margin:0 auto;padding:8px;max-width:1000px;color:#222;background:#fff;"
    "font-family:\"Noto Sans CJK SC\",\"Source Han Sans SC\",\"PingFang SC\","
    "\"Microsoft YaHei\",sans-serif;font-size:16px;line-height:1.35}"
    "h1{font-size:1.4em;margin:.2em 0}h2{font-size:1.1em;margin:.8em 0 .3em}"
    "p.sub{margin:0 0 .6em;color:#555;font-size:.9em}"
    "nav{margin:.3em 0 .6em;font-size:.9em}nav a{margin-right:1em}"
    "table{width:100%;border-collapse:collapse;table-layout:fixed}"
    "th,td{border:1px solid #999;padding:4px 2px;text-align:center;vertical-align:middle;"
    "overflow-wrap:anywhere;word-break:break-all}"
    "thead th{background:#e8eef7}th.no{width:3.4em;background:#f3f3f3}"
    "th.name{width:4.5em;background:#f3f3f3}"
    ".t{display:block;font-size:.7em;font-weight:normal;color:#555}"
    "td div+div{border-top:1px dashed #bbb}td small{display:block;font-size:.75em;color:#555}"
    "tr.break td{background:#f6f6f6;font-size:.8em;color:#666;padding:1px}"
    "ul.links{list-style:none;padding:0;margin:0;display:flex;flex-wrap:wrap;gap:6px}"
    "ul.links li{border:1px solid #ccd;border-radius:4px;padding:4px 8px}"
    "ul.links small a{margin-left:.5em}"
    ".days{display:flex;flex-wrap:wrap;gap:0 16px}.days section{flex:1 1 420px;min-width:0}"
    "footer{margin-top:1em;color:#777;font-size:.8em}"
    "@media (max-width:480px){body{font-size:13px;padding:4px}th.no{width:2.8em}"
    "th.name{width:3.6em}}"
    "@media print{nav{display:none}body{max-width:none;font-size:12px}"
    "table,section{break-inside:avoid}}";

QString Esc(const QString& s) {
    return XmlEscape(s);
}

class Page {
public:
    Page(const QString& title) {
        m_html += QStringLiteral("<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n"
                                 "<meta charset=\"utf-8\">\n"
                                 "<meta name=\"viewport\" content=\"width=device-width, "
                                 "initial-scale=1\">\n");
        m_html += QString::fromUtf8(kPublishGenerator) + QLatin1Char('\n');
        m_html += QStringLiteral("<title>%1</title>\n<style>%2</style>\n</head>\n<body>\n")
                      .arg(Esc(title), QString::fromUtf8(kStyle));
    }
    Page& operator<<(const QString& s) {
        m_html += s;
        return *this;
    }
    QByteArray finish(const PublishSchool& s) {
        m_html += QStringLiteral("<footer>%1 · 更新于 %2</footer>\n</body>\n</html>\n")
                      .arg(Esc(s.schoolName),
                           s.written.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
        return m_html.toUtf8();
    }

private:
    QString m_html;
};

QString Heading(const PublishSchool& s, const QString& title) {
    return QStringLiteral("<h1>%1</h1>\n<p class=\"sub\">%2 · %3</p>\n")
        .arg(Esc(title), Esc(s.schoolName), Esc(s.termTitle));
}

QString Cell(const std::vector<PublishEntry>& entries) {
    QString td = QStringLiteral("<td>");
    for (const PublishEntry& e : entries) {
        td += QStringLiteral("<div>") + Esc(e.course);
        if (!e.detail.isEmpty())
            td += QStringLiteral("<small>") + Esc(e.detail) + QStringLiteral("</small>");
        td += QStringLiteral("</div>");
    }
    return td + QStringLiteral("</td>");
}

QString LessonHeader(const PublishSchool& s, int n, const char* cls, const char* scope) {
    const LessonTime& t = s.times.lesson(n);
    return QStringLiteral("<th class=\"%1\" scope=\"%2\">%3<span class=\"t\">%4</span>"
                          "<span class=\"t\">%5</span></th>")
        .arg(QLatin1String(cls), QLatin1String(scope))
        .arg(n)
        .arg(ClockText(t.start), ClockText(t.end));
}

// The midday break: after lesson 4, as the printed timetables have it.
constexpr int kBreakAfter = 4;

QString Back() {
    return QStringLiteral("<nav><a href=\"index.html\">← 全部课表</a></nav>\n");
}

} // namespace

QByteArray PublishTableHtml(const PublishSchool& s, const PublishTable& t, bool teacher,
                            const PublishExtras& extras) {
    const QString title =
        t.name + (teacher ? QStringLiteral(" 老师课表") : QStringLiteral(" 课表"));
    Page page(title + QStringLiteral(" - ") + s.schoolName);
    page << Back() << Heading(s, title);
    page << QStringLiteral("<table class=\"week\">\n<thead><tr><th class=\"no\">节次</th>");
    for (const QString& day : kDays)
        page << QStringLiteral("<th scope=\"col\">") + day + QStringLiteral("</th>");
    page << QStringLiteral("</tr></thead>\n<tbody>\n");
    for (int n = 1; n <= s.lessonsPerDay; ++n) {
        page << QStringLiteral("<tr>") + LessonHeader(s, n, "no", "row");
        for (int day = 1; day <= 5; ++day)
            page << Cell(t.at(day, n));
        page << QStringLiteral("</tr>\n");
        if (n == kBreakAfter && n < s.lessonsPerDay)
            page << QStringLiteral("<tr class=\"break\"><td colspan=\"6\">午休</td></tr>\n");
    }
    page << QStringLiteral("</tbody>\n</table>\n");
    if (extras.pictures || extras.calendars) {
        page << QStringLiteral("<nav>");
        if (extras.pictures)
            page << QStringLiteral("<a href=\"%1.png\">课表图片</a>").arg(t.fileStem);
        if (extras.calendars)
            page << QStringLiteral("<a href=\"%1.ics\">加入手机日历</a>").arg(t.fileStem);
        page << QStringLiteral("</nav>\n");
    }
    return page.finish(s);
}

QByteArray PublishSchoolHtml(const PublishSchool& s) {
    const QString title = QStringLiteral("全校总课表");
    Page page(title + QStringLiteral(" - ") + s.schoolName);
    page << Back() << Heading(s, title) << QStringLiteral("<div class=\"days\">\n");
    for (int day = 1; day <= 5; ++day) {
        page << QStringLiteral("<section>\n<h2>%1</h2>\n<table class=\"day\">\n<thead><tr>"
                               "<th class=\"name\">班级</th>")
                    .arg(kDays[day - 1]);
        for (int n = 1; n <= s.lessonsPerDay; ++n)
            page << LessonHeader(s, n, "col", "col");
        page << QStringLiteral("</tr></thead>\n<tbody>\n");
        for (const PublishTable& row : s.school) {
            page << QStringLiteral("<tr><th class=\"name\" scope=\"row\">") + Esc(row.name) +
                        QStringLiteral("</th>");
            for (int n = 1; n <= s.lessonsPerDay; ++n)
                page << Cell(row.at(day, n));
            page << QStringLiteral("</tr>\n");
        }
        page << QStringLiteral("</tbody>\n</table>\n</section>\n");
    }
    page << QStringLiteral("</div>\n");
    return page.finish(s);
}

QByteArray PublishIndexHtml(const PublishSchool& s, const PublishExtras& extras) {
    const QString title = s.schoolName.isEmpty() ? QStringLiteral("课表") : s.schoolName;
    Page page(title + QStringLiteral(" 课表"));
    page << QStringLiteral("<h1>%1 课表</h1>\n<p class=\"sub\">%2</p>\n")
                .arg(Esc(title), Esc(s.termTitle));
    page << QStringLiteral("<h2>全校</h2>\n<ul class=\"links\"><li><a href=\"%1.html\">全校总课表"
                           "</a></li></ul>\n")
                .arg(QLatin1String(kPublishSchoolStem));
    const auto links = [&](const char* heading, const std::vector<PublishTable>& tables) {
        if (tables.empty())
            return;
        page << QStringLiteral("<h2>%1</h2>\n<ul class=\"links\">\n")
                    .arg(QString::fromUtf8(heading));
        for (const PublishTable& t : tables) {
            page << QStringLiteral("<li><a href=\"%1.html\">%2</a>").arg(t.fileStem, Esc(t.name));
            if (extras.pictures || extras.calendars) {
                page << QStringLiteral("<small>");
                if (extras.pictures)
                    page << QStringLiteral("<a href=\"%1.png\">图片</a>").arg(t.fileStem);
                if (extras.calendars)
                    page << QStringLiteral("<a href=\"%1.ics\">日历</a>").arg(t.fileStem);
                page << QStringLiteral("</small>");
            }
            page << QStringLiteral("</li>\n");
        }
        page << QStringLiteral("</ul>\n");
    };
    links("班级", s.classes);
    links("老师", s.teachers);
    page << QStringLiteral("<h2>作息时间</h2>\n<table class=\"times\">\n<thead><tr>"
                           "<th scope=\"col\">节次</th><th scope=\"col\">时间</th></tr></thead>\n"
                           "<tbody>\n");
    for (int n = 1; n <= s.lessonsPerDay; ++n)
        page << QStringLiteral("<tr><td>第%1节</td><td>%2</td></tr>\n")
                    .arg(n)
                    .arg(LessonTimeText(s.times.lesson(n)));
    page << QStringLiteral("</tbody>\n</table>\n");
    return page.finish(s);
}
