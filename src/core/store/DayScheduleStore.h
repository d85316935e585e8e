#pragma once
// 作息时间 in the database: LessonTimetb (one row per lesson) and TermDaytb (the
// term's first and last day). Older databases have neither table and older
// copies of the program ignore them, so both are made only when first written.
#include "core/model/DaySchedule.h"

class TimetableDb;

// The stored schedule; whatever is missing or unreadable (no table, no row, a
// time that is not HH:MM) is taken from DefaultDaySchedule(today). Never writes.
// Throws Failure when the database cannot be read.
DaySchedule LoadDaySchedule(TimetableDb& db, const QDate& today = QDate::currentDate());

// Replaces the stored schedule in one transaction, making the tables when the
// database has none yet. Throws Failure with nothing changed.
void SaveDaySchedule(TimetableDb& db, const DaySchedule& schedule);
