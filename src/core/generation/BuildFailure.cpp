#include "core/generation/BuildFailure.h"

#include "core/store/PlanStore.h"
#include "core/store/TimetableDb.h"

Failure ExplainBuildFailure(TimetableDb& db) {
    try {
        if (PlannedLessonCount(db) <= 0)
            return Failure(
                QStringLiteral("教学计划中没有要排的课"), {},
                QStringLiteral("请先在“基础数据 → 各班教学计划”中录入各班的课程和节数。"));
    } catch (const std::exception&) {
        // The plan cannot be read: the file tells why below.
    }
    return db.explainFailure();
}
