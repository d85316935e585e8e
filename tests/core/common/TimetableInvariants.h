#pragma once
// Checks that hold for every sound timetable, to be asserted after any sequence
// of edits: nobody is in two places at once and every plan row counts exactly
// its lessons in the timetable.
#include <QStringList>

class TimetableDb;

// Classes or teachers with two lessons at one period, one line each.
QStringList DoubleBookings(TimetableDb& db);
// Plan rows whose BuildCount differs from their lessons in the timetable.
QStringList CounterMismatches(TimetableDb& db);
// Both of the above.
QStringList TimetableProblems(TimetableDb& db);

#define VERIFY_TIMETABLE_SOUND(db)                                                                 \
    do {                                                                                           \
        const QStringList problems_ = TimetableProblems(db);                                       \
        QVERIFY2(problems_.isEmpty(), qPrintable(problems_.join(QStringLiteral("; "))));           \
    } while (false)

#define VERIFY_COUNTERS_MATCH(db)                                                                  \
    do {                                                                                           \
        const QStringList problems_ = CounterMismatches(db);                                       \
        QVERIFY2(problems_.isEmpty(), qPrintable(problems_.join(QStringLiteral("; "))));           \
    } while (false)
