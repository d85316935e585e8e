#pragma once
// Why a lesson of the plan cannot go anywhere in the week as it stands: the
// reasons at every period, and one sentence that names the main obstacle
// ("老师 王芳 在本班空闲的 4 个时间都有课").
#include "core/rules/Placement.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace rules {

// kind 'c' class, 'k' course, 't' teacher → name (may be empty: the code is shown).
using NameOf = std::function<QString(char, const QString&)>;

struct PeriodReasons {
    Period period;
    std::vector<Reason> reasons; // empty: the lesson may go there now
    QString text;                // the reasons in Chinese, one per line
};

struct WhyUnplaced {
    std::vector<PeriodReasons> periods; // every period of the week, Monday first
    QString summary;
};

WhyUnplaced whyUnplaced(const School& school, const Placing& p, const NameOf& nameOf = {});

// Whose "不排" closes the period for the lesson: "课程 语文", "老师 王芳",
// "语文组教研活动", "班级 一（1）班", as many as apply.
QStringList neverOwners(const School& school, const Placing& p, Period period,
                        const NameOf& nameOf = {});

} // namespace rules
