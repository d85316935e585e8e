#include "core/formats/PublishCalendar.h"

#include <QCryptographicHash>

namespace {

QString LocalStamp(const QDate& d, int minutes) {
    return d.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('T') +
           QStringLiteral("%1").arg(minutes / 60, 2, 10, QLatin1Char('0')) +
           QStringLiteral("%1").arg(minutes % 60, 2, 10, QLatin1Char('0')) + QStringLiteral("00");
}

// The first day of the term that falls on the weekday (1 Monday … 5 Friday).
QDate FirstWeekday(const QDate& from, int day) {
    return from.addDays((day - from.dayOfWeek() + 7) % 7);
}

} // namespace

QString CalendarEscape(const QString& text) {
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char(';') || c == QLatin1Char(','))
            out += QLatin1Char('\\') + QString(c);
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c.unicode() >= 0x20 && c.unicode() != 0x7f)
            out += c;
    }
    return out;
}

QByteArray FoldCalendarLine(const QString& line) {
    const QByteArray bytes = line.toUtf8();
    QByteArray out;
    qsizetype lineLength = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        // A UTF-8 character is its lead byte and the continuation bytes after it.
        qsizetype n = 1;
        while (i + n < bytes.size() && (static_cast<unsigned char>(bytes[i + n]) & 0xC0) == 0x80)
            ++n;
        if (lineLength + n > 75) {
            out += "\r\n ";
            lineLength = 1;
        }
        out += bytes.mid(i, n);
        lineLength += n;
        i += n;
    }
    return out + "\r\n";
}

QByteArray PublishCalendarText(const PublishSchool& s, const PublishTable& t, bool teacher) {
    QByteArray out;
    const auto line = [&](const QString& l) { out += FoldCalendarLine(l); };
    // UIDs stay the same from one publication to the next, so importing the
    // calendar again updates a lesson rather than adding it twice.
    const QString uidTail = QStringLiteral("@kbxt-") +
                            QString::fromLatin1(QCryptographicHash::hash(s.schoolName.toUtf8(),
                                                                         QCryptographicHash::Sha1)
                                                    .toHex()
                                                    .left(12));
    const QString stamp = s.written.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    const QString calendarName =
        t.name + (teacher ? QStringLiteral(" 老师课表") : QStringLiteral(" 课表"));

    line(QStringLiteral("BEGIN:VCALENDAR"));
    line(QStringLiteral("VERSION:2.0"));
    line(QStringLiteral("PRODID:-//kbxt//timetable//ZH"));
    line(QStringLiteral("CALSCALE:GREGORIAN"));
    line(QStringLiteral("METHOD:PUBLISH"));
    line(QStringLiteral("X-WR-CALNAME:") + CalendarEscape(calendarName));
    for (int day = 1; day <= 5; ++day) {
        const QDate first = FirstWeekday(s.times.firstDay, day);
        if (!first.isValid() || first > s.times.lastDay)
            continue;
        for (int n = 1; n <= s.lessonsPerDay; ++n) {
            const LessonTime& time = s.times.lesson(n);
            const std::vector<PublishEntry>& entries = t.at(day, n);
            for (size_t k = 0; k < entries.size(); ++k) {
                const PublishEntry& e = entries[k];
                QString summary = e.course;
                if (!e.detail.isEmpty())
                    summary += QStringLiteral(" · ") + e.detail;
                const QString description =
                    QStringLiteral("%1 %2 第%3节").arg(s.schoolName, t.name).arg(n);
                line(QStringLiteral("BEGIN:VEVENT"));
                line(QStringLiteral("UID:%1-%2-%3-%4-%5%6")
                         .arg(s.times.firstDay.toString(QStringLiteral("yyyyMMdd")), t.fileStem)
                         .arg(day)
                         .arg(n)
                         .arg(k + 1)
                         .arg(uidTail));
                line(QStringLiteral("DTSTAMP:") + stamp);
                line(QStringLiteral("DTSTART:") + LocalStamp(first, time.start));
                line(QStringLiteral("DTEND:") + LocalStamp(first, time.end));
                // A floating DTSTART needs a floating UNTIL; the end of the
                // last day keeps a lesson on that day.
                line(QStringLiteral("RRULE:FREQ=WEEKLY;UNTIL=") +
                     LocalStamp(s.times.lastDay, 23 * 60 + 59));
                line(QStringLiteral("SUMMARY:") + CalendarEscape(summary));
                line(QStringLiteral("DESCRIPTION:") + CalendarEscape(description));
                line(QStringLiteral("END:VEVENT"));
            }
        }
    }
    line(QStringLiteral("END:VCALENDAR"));
    return out;
}
