#pragma once
// Asking the placement rules about a school built in memory.
#include "core/rules/Placement.h"

#include <QString>
#include <vector>

// Is `o` among the reasons?
inline bool has(const std::vector<rules::Reason>& reasons, rules::Obstacle o) {
    for (const rules::Reason& r : reasons)
        if (r.obstacle == o)
            return true;
    return false;
}

// Why a lesson of the class, course and teacher may not go to period p.
inline std::vector<rules::Reason> against(const School& s, const QString& cls,
                                          const QString& course, const QString& teacher, Period p) {
    return rules::reasonsAgainst(s, rules::placingOf(s, cls, course, teacher), p);
}
