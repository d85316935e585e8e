#pragma once
// Faults of the teaching plan itself, whatever the timetable: a row that
// names a class, course or teacher the lists do not have, a row repeated,
// a count beyond the week. Generation and completion refuse to run on a
// count beyond the week; check and plan-check list them all.
#include "core/model/School.h"

#include <QStringList>
#include <functional>
#include <vector>

namespace rules {

struct PlanFault {
    enum class Kind {
        UnknownClass,
        UnknownCourse,
        UnknownTeacher,
        Duplicate,
        CountOutOfRange,
        // 合班 (row: the first class's row; otherClass: the further class)
        JointNoRow,        // a class of the joint row has no plan row of it
        JointCountDiffers, // a further class plans another count than the first
        JointUnknownClass, // the further class is not in the class list
    };
    Kind kind;
    PlanRow row;
    QString otherClass = {};
};

// In the order of the plan's rows; a row may have several faults.
std::vector<PlanFault> planFaultsOf(const School& school);

// One line in Chinese for each; nameOf as in WhyUnplaced.h (kind 'c', 'k', 't').
QStringList planFaultLines(const std::vector<PlanFault>& faults, Week week,
                           const std::function<QString(char, const QString&)>& nameOf = {});

// What stops generation and completion before they start: counts beyond the
// week and lessons at a day or lesson number no week has, one line each; empty when they may run.
QStringList unrunnableReasons(const School& school,
                              const std::function<QString(char, const QString&)>& nameOf = {});

} // namespace rules
