#pragma once
// iCalendar files of a published set (RFC 5545), one per class and teacher: a
// weekly repeating event for each lesson from the first to the last day of the
// term, which phone calendars import.
//
// Times are floating local times (no TZID): a lesson at 08:00 is at 08:00 on
// the phones of the school, whatever zone they are set to. The program does
// not know the school's zone, and schools that keep local hours apart from
// the official zone would see every lesson shifted by a TZID.
#include "core/formats/PublishSet.h"

#include <QByteArray>

// teacher: the calendar of a teacher (events name the class) rather than of a
// class (events name the teacher).
QByteArray PublishCalendarText(const PublishSchool& s, const PublishTable& t, bool teacher);

// TEXT values with \ ; , and line breaks escaped.
QString CalendarEscape(const QString& text);
// Content lines folded at 75 octets, never inside a UTF-8 character, each
// ending in CR LF.
QByteArray FoldCalendarLine(const QString& line);
