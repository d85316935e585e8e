#include "core/model/DaySchedule.h"

#include <QRegularExpression>

DaySchedule DefaultDaySchedule(const QDate& today) {
    DaySchedule s;
    int at = 8 * 60;
    for (int n = 1; n <= Week::kMaxLessonsPerDay; ++n) {
        if (n == 3)
            at += 20; // the long break after lesson 2 (30 minutes in all)
        if (n == 5)
            at = 14 * 60;
        s.lessons.at(static_cast<size_t>(n - 1)) = {at, at + 40};
        at += 50;
    }
    const int year = today.isValid() ? today.year() : 2000;
    const int month = today.isValid() ? today.month() : 9;
    if (month >= 8) {
        s.firstDay = QDate(year, 9, 1);
        s.lastDay = QDate(year + 1, 1, 20);
    } else if (month == 1) {
        s.firstDay = QDate(year - 1, 9, 1);
        s.lastDay = QDate(year, 1, 20);
    } else {
        s.firstDay = QDate(year, 3, 1);
        s.lastDay = QDate(year, 7, 10);
    }
    return s;
}

QString ClockText(int minutes) {
    return QStringLiteral("%1:%2")
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

int ParseClock(const QString& text) {
    static const QRegularExpression clock(QStringLiteral("^\\s*(\\d{1,2})[:：](\\d{2})\\s*$"));
    const QRegularExpressionMatch m = clock.match(text);
    if (!m.hasMatch())
        return -1;
    const int h = m.captured(1).toInt();
    const int min = m.captured(2).toInt();
    if (h > 23 || min > 59)
        return -1;
    return h * 60 + min;
}

QString LessonTimeText(const LessonTime& t) {
    return ClockText(t.start) + QLatin1Char('-') + ClockText(t.end);
}

QStringList LessonTimeTexts(const DaySchedule& s, int lessonsPerDay) {
    QStringList out;
    for (int n = 1; n <= lessonsPerDay && n <= Week::kMaxLessonsPerDay; ++n)
        out << LessonTimeText(s.lesson(n));
    return out;
}

QString DayScheduleProblem(const DaySchedule& s, int lessonsPerDay) {
    for (int n = 1; n <= lessonsPerDay && n <= Week::kMaxLessonsPerDay; ++n) {
        const LessonTime& t = s.lesson(n);
        if (t.start < 0 || t.end > 24 * 60 || t.end <= t.start)
            return QStringLiteral("第%1节的下课时间必须晚于上课时间").arg(n);
        if (n > 1 && t.start < s.lesson(n - 1).end)
            return QStringLiteral("第%1节在第%2节下课之前就开始了").arg(n).arg(n - 1);
    }
    if (!s.firstDay.isValid() || !s.lastDay.isValid())
        return QStringLiteral("学期起止日期不完整");
    if (s.lastDay < s.firstDay)
        return QStringLiteral("学期结束日期早于开始日期");
    if (s.firstDay.daysTo(s.lastDay) > 366)
        return QStringLiteral("一个学期不能超过一年");
    return {};
}
