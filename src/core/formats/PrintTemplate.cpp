#include "core/formats/PrintTemplate.h"

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {

bool Fail(QString* error, const QString& why) {
    if (error)
        *error = why;
    return false;
}

void ReadNumber(const QXmlStreamAttributes& a, const char* name, double& target) {
    const QString text = a.value(QLatin1String(name)).toString();
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (ok && v >= 0)
        target = v;
}

void ReadText(const QXmlStreamAttributes& a, const char* name, QString& target) {
    if (a.hasAttribute(QLatin1String(name)))
        target = a.value(QLatin1String(name)).toString();
}

void ReadTable(QXmlStreamReader& xml, PrintTemplate& t) {
    const QXmlStreamAttributes a = xml.attributes();
    ReadNumber(a, "headerWidth", t.headerWidth);
    ReadNumber(a, "headerHeight", t.headerHeight);
    ReadNumber(a, "lessonHeaderHeight", t.lessonHeaderHeight);
    ReadNumber(a, "rowHeight", t.rowHeight);
    ReadNumber(a, "minRowHeight", t.minRowHeight);
    ReadNumber(a, "headerSize", t.headerSize);
    ReadNumber(a, "lessonSize", t.lessonSize);
    ReadNumber(a, "classSize", t.classSize);
    ReadNumber(a, "lineWidth", t.lineWidth);
    ReadNumber(a, "frameWidth", t.frameWidth);
    ReadNumber(a, "dayRuleGap", t.dayRuleGap);
    ReadText(a, "corner", t.corner);
    while (xml.readNextStartElement()) {
        const QXmlStreamAttributes e = xml.attributes();
        if (xml.name() == QLatin1String("day")) {
            t.days << xml.readElementText().trimmed();
        } else if (xml.name() == QLatin1String("lesson")) {
            t.lessons << xml.readElementText().trimmed();
        } else if (xml.name() == QLatin1String("field")) {
            PrintTemplate::Field f;
            ReadText(e, "name", f.name);
            ReadNumber(e, "size", f.size);
            t.fields << f;
            xml.skipCurrentElement();
        } else if (xml.name() == QLatin1String("separator")) {
            double after = t.separatorAfter;
            ReadNumber(e, "after", after);
            t.separatorAfter = int(after);
            ReadNumber(e, "height", t.separatorHeight);
            ReadNumber(e, "size", t.separatorSize);
            ReadText(e, "text", t.separatorText);
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
}

QString Unescape(QString v) {
    static const QRegularExpression numeric(QStringLiteral("&#(x?)([0-9A-Fa-f]+);"));
    QRegularExpressionMatch m;
    qsizetype from = 0;
    while ((m = numeric.match(v, from)).hasMatch()) {
        bool ok = false;
        const uint code = m.captured(2).toUInt(&ok, m.captured(1).isEmpty() ? 10 : 16);
        const QString repl =
            ok ? QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1) : m.captured(0);
        v.replace(m.capturedStart(), m.capturedLength(), repl);
        from = m.capturedStart() + repl.size();
    }
    v.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    v.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    v.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    v.replace(QStringLiteral("&apos;"), QStringLiteral("'"));
    v.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return v;
}

} // namespace

bool ReadPrintTemplate(const QString& path, PrintTemplate& out, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(error, QStringLiteral("无法打开模板文件 %1").arg(path));
    return ParsePrintTemplate(file.readAll(), out, error);
}

bool ParsePrintTemplate(const QByteArray& text, PrintTemplate& out, QString* error) {
    PrintTemplate t;
    QXmlStreamReader xml(text);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("printtemplate"))
        return Fail(error, QStringLiteral("不是打印模板"));
    const QXmlStreamAttributes a = xml.attributes();
    const QString layout = a.value(QLatin1String("layout")).toString();
    if (layout == QLatin1String("schedule"))
        t.layout = PrintTemplate::Layout::Schedule;
    else if (layout == QLatin1String("total"))
        t.layout = PrintTemplate::Layout::Total;
    else
        return Fail(error, QStringLiteral("模板版式未知：%1").arg(layout));
    ReadText(a, "paper", t.paper);
    t.landscape = a.value(QLatin1String("orientation")) == QLatin1String("landscape");

    while (xml.readNextStartElement()) {
        const QXmlStreamAttributes e = xml.attributes();
        if (xml.name() == QLatin1String("font")) {
            ReadText(e, "family", t.fontFamily);
            xml.skipCurrentElement();
        } else if (xml.name() == QLatin1String("margins")) {
            ReadNumber(e, "left", t.marginLeft);
            ReadNumber(e, "top", t.marginTop);
            ReadNumber(e, "right", t.marginRight);
            ReadNumber(e, "bottom", t.marginBottom);
            xml.skipCurrentElement();
        } else if (xml.name() == QLatin1String("title")) {
            ReadNumber(e, "size", t.titleSize);
            ReadNumber(e, "height", t.titleHeight);
            xml.skipCurrentElement();
        } else if (xml.name() == QLatin1String("table")) {
            ReadTable(xml, t);
        } else if (xml.name() == QLatin1String("total")) {
            ReadNumber(e, "size", t.totalSize);
            ReadText(e, "text", t.totalText);
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError())
        return Fail(error, QStringLiteral("模板格式错误：%1").arg(xml.errorString()));
    if (t.days.size() != 5)
        return Fail(error, QStringLiteral("模板须有五个星期栏"));
    if (t.lessons.isEmpty() || t.lessons.size() > 12)
        return Fail(error, QStringLiteral("模板的节次数不对"));
    if (t.fields.isEmpty())
        return Fail(error, QStringLiteral("模板没有课表字段"));
    out = t;
    return true;
}

QString PrintDocumentRow::value(const QString& name) const {
    for (const auto& [n, v] : values)
        if (n == name)
            return v;
    return QString();
}

bool ReadPrintDocument(const QString& path, PrintDocumentData& out, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(error, QStringLiteral("无法打开打印文档 %1").arg(path));
    return ParsePrintDocument(file.readAll(), out, error);
}

bool ParsePrintDocument(const QByteArray& text, PrintDocumentData& out, QString* error) {
    static const QRegularExpression tag(
        QStringLiteral(R"(<(/?)([A-Za-z_][\w.\-]*)((?:\s+[\w:.\-]+\s*=\s*"[^"]*")*)\s*/?>)"));
    static const QRegularExpression attr(QStringLiteral(R"re(([\w:.\-]+)\s*=\s*"([^"]*)")re"));
    PrintDocumentData doc;
    const QString s = QString::fromUtf8(text);
    bool inRoot = false, rootClosed = false, inRow = false;
    auto it = tag.globalMatch(s);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const bool closing = !m.captured(1).isEmpty();
        const QString name = m.captured(2);
        QString value;
        bool hasValue = false;
        QString docName;
        auto attrs = attr.globalMatch(m.captured(3));
        while (attrs.hasNext()) {
            const auto am = attrs.next();
            if (am.captured(1) == QLatin1String("value")) {
                value = Unescape(am.captured(2));
                hasValue = true;
            } else if (am.captured(1) == QLatin1String("docname")) {
                docName = Unescape(am.captured(2));
            }
        }
        if (!inRoot) {
            if (closing || name != QLatin1String("root") || rootClosed)
                return Fail(error, QStringLiteral("不是课表打印文档"));
            inRoot = true;
            doc.docName = docName;
            continue;
        }
        if (name == QLatin1String("root") && closing) {
            inRoot = false;
            rootClosed = true;
        } else if (name == QLatin1String("tr")) {
            inRow = !closing;
            if (!closing)
                doc.rows.append(PrintDocumentRow{});
        } else if (!closing && !inRow && hasValue && name == QLatin1String("lessontime")) {
            doc.lessonTimes.append(value);
        } else if (!closing && inRow && name == QLatin1String("title")) {
            doc.rows.last().hasTitle = true;
            doc.rows.last().title = value;
        } else if (!closing && inRow && hasValue) {
            doc.rows.last().values.append({name, value});
        }
    }
    if (!rootClosed)
        return Fail(error, QStringLiteral("课表打印文档不完整"));
    out = doc;
    return true;
}

QList<SchedulePage> SchedulePagesOf(const PrintDocumentData& doc) {
    QList<SchedulePage> pages;
    for (const PrintDocumentRow& row : doc.rows) {
        if (row.hasTitle || pages.isEmpty()) {
            pages.append(SchedulePage{});
            pages.last().title = row.title;
        }
        SchedulePage& page = pages.last();
        page.cells.append({row.value(QStringLiteral("coursename")).trimmed(),
                           row.value(QStringLiteral("classname")).trimmed()});
        const QString total = row.value(QStringLiteral("totallesson")).trimmed();
        if (!total.isEmpty())
            page.total = total;
    }
    return pages;
}

QList<TotalRow> TotalRowsOf(const PrintDocumentData& doc) {
    static const QRegularExpression suffixed(
        QStringLiteral("^(coursename|classname|teachername)L(\\d+)([1-9])$"));
    QList<TotalRow> rows;
    for (const PrintDocumentRow& tr : doc.rows) {
        TotalRow row;
        row.title = tr.title;
        for (const auto& [name, value] : tr.values) {
            const auto m = suffixed.match(name);
            if (!m.hasMatch())
                continue;
            const int key = m.captured(2).toInt() * 10 + m.captured(3).toInt();
            const QString v = value.trimmed();
            if (m.captured(1) == QLatin1String("coursename"))
                row.cells[key].course = v;
            else if (m.captured(1) == QLatin1String("teachername"))
                row.cells[key].teacher = v;
            else if (row.classLabel.isEmpty())
                row.classLabel = v;
        }
        rows.append(row);
    }
    return rows;
}
