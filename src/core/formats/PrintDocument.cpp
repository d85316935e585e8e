#include "core/formats/PrintDocument.h"

#include "core/config/SafeFile.h"
#include "core/model/Week.h"

#include <QFile>

namespace {

class Lines {
public:
    void add(const QString& line) {
        m_text += line.toUtf8();
        m_text += "\r\n";
    }
    QByteArray take() { return std::move(m_text); }

private:
    QByteArray m_text;
};

QString ValueLine(const QString& openName, const QString& value, const QString& closeName) {
    return QStringLiteral("<%1 value=\"%2\"></%3>").arg(openName, XmlEscape(value), closeName);
}

// The walk over the periods of a group shared by both documents: lesson by
// lesson, Monday to Friday within a lesson.
struct Cursor {
    int lesson = 1;
    int day = 1;
    void next() {
        if (day >= 5) {
            ++lesson;
            day = 1;
        } else {
            ++day;
        }
    }
};

bool GroupEndsAfter(const ScheduleRecords& records, size_t i) {
    return i + 1 == records.size() || records[i + 1].name != records[i].name;
}

} // namespace

void SaveDocumentText(const QString& path, const QByteArray& text) {
    SafeFile safe(path);
    QFile file(safe.tempPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw safe.writeFailure();
    if (file.write(text) != text.size() || !file.flush()) {
        file.close();
        throw safe.writeFailure();
    }
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw safe.writeFailure();
    safe.commit(text.size());
}

QString XmlEscape(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        // XML 1.0 allows tab, line feed and carriage return below the space,
        // surrogates only in pairs, and neither U+FFFE nor U+FFFF; anything
        // else would make the whole document unreadable, so it is dropped.
        if (c.isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate()) {
            out += c;
            out += value.at(++i);
            continue;
        }
        if ((c.unicode() < 0x20 && c != '\t' && c != '\n' && c != '\r') || c.isSurrogate() ||
            c.unicode() >= 0xFFFE)
            continue;
        switch (c.unicode()) {
        case '&':
            out += QStringLiteral("&amp;");
            break;
        case '<':
            out += QStringLiteral("&lt;");
            break;
        case '>':
            out += QStringLiteral("&gt;");
            break;
        case '"':
            out += QStringLiteral("&quot;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Lessons at a day or lesson number that no week has are damage; the empty
// periods written up to them would grow the document without bound.
static ScheduleRecords WithinAnyWeek(const ScheduleRecords& records) {
    ScheduleRecords kept;
    kept.reserve(records.size());
    for (const ScheduleRecord& r : records)
        if (r.day <= Week::kDays && r.lessonNo <= Week::kMaxLessonsPerDay)
            kept.push_back(r);
    return kept;
}

QByteArray ScheduleXmlText(const ScheduleRecords& stored, int lessonsPerDay,
                           const TimetableTitle& title) {
    const ScheduleRecords records = WithinAnyWeek(stored);
    Lines out;
    Cursor at;
    int count = 0;
    const auto cell = [&](const QString& course, const QString& cls) {
        out.add(ValueLine("coursename", course, "coursename"));
        out.add(ValueLine("classname", cls, "classname"));
        out.add(ValueLine("totallesson", QStringLiteral(" %1 ").arg(count), "totallesson"));
    };
    const auto emptyCell = [&] { cell(QStringLiteral(" "), QStringLiteral(" ")); };

    out.add(QStringLiteral("<root docname=\"%1\">").arg(QString::fromUtf8(kPrintDocName)));
    out.add(QStringLiteral("<record>"));
    for (size_t i = 0; i < records.size(); ++i) {
        const ScheduleRecord& r = records[i];
        const bool groupStarts = i == 0 || r.name != records[i - 1].name;
        if (groupStarts) {
            at = Cursor{};
            count = 0;
        }
        out.add(QStringLiteral("<tr>"));
        if (groupStarts)
            out.add(ValueLine("title", title.ofGroup(r.name), "title"));
        while (r.lessonNo > at.lesson) {
            for (; at.day <= 5; ++at.day) {
                emptyCell();
                out.add(QStringLiteral("</tr>"));
                out.add(QStringLiteral("<tr>"));
            }
            ++at.lesson;
            at.day = 1;
        }
        for (; r.day > at.day; ++at.day) {
            emptyCell();
            out.add(QStringLiteral("</tr>"));
            out.add(QStringLiteral("<tr>"));
        }
        // A second lesson in the same period (a double booking) is written in
        // the next period's place, so the group then has one tr more than the
        // week. The count is the page's footer: it tells only the lessons the
        // page shows, not one pushed past the last lesson of the day nor a
        // lesson beyond the lessons per day (left over from a switch to 6).
        if (at.lesson <= lessonsPerDay)
            ++count;
        cell(r.courseName, r.secondLine);
        out.add(QStringLiteral("</tr>"));
        at.next();
        if (GroupEndsAfter(records, i)) {
            for (; at.lesson <= lessonsPerDay; ++at.lesson, at.day = 1) {
                for (; at.day <= 5; ++at.day) {
                    out.add(QStringLiteral("<tr>"));
                    emptyCell();
                    out.add(QStringLiteral("</tr>"));
                }
            }
        }
    }
    out.add(QStringLiteral("</record>"));
    out.add(QStringLiteral("</root>"));
    return out.take();
}

QByteArray TotalXmlText(const ScheduleRecords& stored, int lessonsPerDay,
                        const TimetableTitle& title) {
    const ScheduleRecords records = WithinAnyWeek(stored);
    Lines out;
    Cursor at;
    const auto cell = [&](const QString& course, const QString& cls, const QString& teacher) {
        const QString suffix = QStringLiteral("L%1%2").arg(at.lesson).arg(at.day);
        out.add(ValueLine("coursename" + suffix, course, "coursename"));
        out.add(ValueLine("classname" + suffix, cls, "classname"));
        out.add(ValueLine("teachername" + suffix, teacher, "teachername"));
    };
    const QString blank = QStringLiteral(" ");
    const QString totalTitle = title.ofTotal();

    out.add(QStringLiteral("<root docname=\"%1\">").arg(QString::fromUtf8(kPrintDocName)));
    out.add(QStringLiteral("<record>"));
    for (size_t i = 0; i < records.size(); ++i) {
        const ScheduleRecord& r = records[i];
        if (i == 0 || r.name != records[i - 1].name) {
            at = Cursor{};
            out.add(QStringLiteral("<tr>"));
            out.add(ValueLine("title", totalTitle, "title"));
        }
        // Empty periods before a lesson name the class; those after its last
        // lesson of the week are written with an empty class name.
        while (r.lessonNo > at.lesson) {
            for (; at.day <= 5; ++at.day)
                cell(blank, r.name, blank);
            ++at.lesson;
            at.day = 1;
        }
        for (; r.day > at.day; ++at.day)
            cell(blank, r.name, blank);
        cell(r.courseName, r.name, r.secondLine);
        at.next();
        if (GroupEndsAfter(records, i)) {
            for (; at.lesson <= lessonsPerDay; ++at.lesson, at.day = 1)
                for (; at.day <= 5; ++at.day)
                    cell(blank, QString(), blank);
            out.add(QStringLiteral("</tr>"));
        }
    }
    out.add(QStringLiteral("</record>"));
    out.add(QStringLiteral("</root>"));
    return out.take();
}

QByteArray WithLessonTimes(const QByteArray& document, const QStringList& times) {
    const qsizetype afterRoot = document.indexOf("\r\n");
    if (times.isEmpty() || afterRoot < 0)
        return document;
    Lines lines;
    for (const QString& t : times)
        lines.add(ValueLine("lessontime", t, "lessontime"));
    QByteArray out = document;
    out.insert(afterRoot + 2, lines.take());
    return out;
}

void WriteScheduleXml(const QString& path, const ScheduleRecords& records, int lessonsPerDay,
                      const TimetableTitle& title) {
    SaveDocumentText(path, ScheduleXmlText(records, lessonsPerDay, title));
}

void WriteTotalXml(const QString& path, const ScheduleRecords& records, int lessonsPerDay,
                   const TimetableTitle& title) {
    SaveDocumentText(path, TotalXmlText(records, lessonsPerDay, title));
}
