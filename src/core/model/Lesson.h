#pragma once
// One lesson of the timetable: a class has a course with a teacher at a period.
#include "core/model/Week.h"

#include <QString>

// Who put the lesson there; stored as SetFlag.
enum class Origin {
    Preset = 0,    // fixed before generation, kept by every run
    Generated = 1, // placed by the last generation
    ByHand = 2,    // placed or moved in the hand-placing window
    // SetFlag was empty. Such a lesson survives generation (the delete keeps
    // it) but is not counted as pre-set.
    Unrecorded = -1,
};

// SetFlag as stored; Unrecorded has none (write Null).
constexpr int setFlagOf(Origin o) {
    return static_cast<int>(o);
}
// A stored SetFlag: 0, 1 and 2 as named; any other number counts as placed by
// hand (generation deletes it, pre-setting does not see it).
constexpr Origin originOfSetFlag(long long setFlag) {
    return setFlag == 0 ? Origin::Preset : setFlag == 1 ? Origin::Generated : Origin::ByHand;
}

struct Lesson {
    // LessonNo of a lesson whose lesson number is missing or unreadable.
    static constexpr int kNoLessonNo = -1;

    QString classCode;
    Period period;
    QString courseCode;
    QString teacherCode;
    Origin origin = Origin::Generated;
    // LessonNo was empty (Null): the lesson counts for its day, has no period,
    // and hides the best and avoid cells of that day from its class (see
    // Timetable::classHasUnnumberedLesson).
    bool lessonNoEmpty = false;
    // Its row in LessonListtb, so that a change can be written to that row;
    // 0 for a lesson not stored yet.
    long long rowid = 0;
};
