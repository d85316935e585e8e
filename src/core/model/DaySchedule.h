#pragma once
// 作息时间: when each lesson of the day starts and ends, and the first and last
// day of the term. Published calendars and timetables that show times read it.
#include "core/model/Week.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <array>

// Minutes after midnight.
struct LessonTime {
    int start = 0;
    int end = 0;
    bool operator==(const LessonTime&) const = default;
};

struct DaySchedule {
    // Lesson n at lessons[n - 1]; always all seven, so switching between six
    // and seven lessons a day loses nothing.
    std::array<LessonTime, Week::kMaxLessonsPerDay> lessons{};
    QDate firstDay;
    QDate lastDay;

    const LessonTime& lesson(int lessonNo) const {
        return lessons.at(static_cast<size_t>(lessonNo - 1));
    }
    bool operator==(const DaySchedule&) const = default;
};

// A school day as most primary schools keep it: 08:00, 40-minute lessons with
// 10-minute breaks, a 30-minute break after lesson 2 (exercises), lunch after
// lesson 4 with the afternoon from 14:00; the term that today lies in or comes
// next (autumn 1 September to 20 January, spring 1 March to 10 July).
DaySchedule DefaultDaySchedule(const QDate& today);

// "08:00"; and back, -1 for anything but H:MM or HH:MM within a day.
QString ClockText(int minutes);
int ParseClock(const QString& text);
// "08:00-08:40"
QString LessonTimeText(const LessonTime& t);
// LessonTimeText of lessons 1 to lessonsPerDay, as print and export show them.
QStringList LessonTimeTexts(const DaySchedule& s, int lessonsPerDay);

// Why the schedule cannot be kept, in Chinese, or empty when it can: a lesson
// that ends before it starts or overlaps the one before, among the first
// lessonsPerDay; a term that ends before it starts or lasts over a year.
QString DayScheduleProblem(const DaySchedule& s, int lessonsPerDay);
