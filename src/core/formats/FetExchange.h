#pragma once
// A school as a FET input file (.fet), and FET's timetable read back, so that
// the same school can be placed by Debian's `fet-cl` and by this program and
// the two timetables measured alike (kbxt-cli bench-fet).
//
// Each planned lesson is one FET activity of one period, each double lesson
// (连堂) one activity of two, which may not start where its second period
// would cross the midday break or end of day. The hard rules go
// in as FET's hard (100 %) constraints: the periods a lesson may not take
// ("不排" of its course, teacher or class) as preferred starting times, the
// daily share as a per-class activity-tag daily maximum (one tag per plan
// row, or per course where the course sets its own maximum), a course's room
// as a maximum of simultaneous activities, pre-set lessons as locked
// activities, teacher limits as FET's teacher maxima per day and in a row
// (FET knows no midday break, so its row runs on across it: stricter than
// ours), a subject group's "不排" as its teachers' unavailable times. What a
// primary school wants — no free period inside a class day,
// every day from lesson 1 — is asked of FET as hard constraints too (FET's
// own way of saying it); "尽量不排" and "最佳位置" are soft, weighted as the
// options say.
#include "core/model/Lesson.h"
#include "core/model/School.h"

#include <QByteArray>
#include <QString>
#include <vector>

struct FetOptions {
    QString institution = QStringLiteral("kbxt");
    // Weights (per cent) of the soft constraints; FET applies a constraint
    // of weight w at each placement with probability w.
    int avoidWeight = 95;
    int bestWeight = 50;
    // Teachers' free periods between lessons, at most so many a day (hard);
    // negative: not asked.
    int teacherMaxGapsPerDay = -1;
};

// One FET activity: the lesson it stands for, or a double lesson from
// `period` on.
struct FetActivity {
    int id = 0; // 1, 2, …
    QString classCode, courseCode, teacherCode;
    bool locked = false; // a pre-set lesson at its period
    Period period;       // where locked
    int length = 1;      // 2: a double lesson
};

struct FetInput {
    QByteArray document; // the .fet file, UTF-8 XML
    std::vector<FetActivity> activities;
};

// The school's plan rows and pre-set lessons (the lessons of its timetable
// with Origin::Preset) as a FET input.
FetInput FetInputOf(const School& school, const FetOptions& options = {});

// FET's timetable (the "…_data_and_timetable.fet" file FET writes, where
// every placed activity has a preferred starting time of weight 100): the
// lessons, pre-set ones kept as pre-set, the others as generated, a double
// lesson as its two lessons. An
// activity FET left without a place is left out. Returns an empty error on
// success, else why the file could not be read.
QString ReadFetTimetable(const QByteArray& activitiesXml, const FetInput& input, Week week,
                         std::vector<Lesson>& lessons);
