#include "gui/manual/BreachMarks.h"

#include "gui/widgets/TimetableGrid.h"

#include <QTableWidget>

QString BreachText(const rules::Breach& b) {
    QString detail;
    if (b.rule == rules::Rule::DailyShare)
        detail = QStringLiteral("（每天最多 %1 节）").arg(b.limit);
    else if (b.rule == rules::Rule::Exclusive && b.limit > 1)
        detail = QStringLiteral("（同时最多 %1 个班）").arg(b.limit);
    else if (b.rule == rules::Rule::InPlan)
        detail = b.limit < 0 ? QStringLiteral("（没有对应的教学计划）")
                             : QStringLiteral("（计划每周 %1 节）").arg(b.limit);
    else if (b.rule == rules::Rule::DoubleLessons)
        detail = QStringLiteral("（计划连堂 %1 次）").arg(b.limit);
    return QStringLiteral("违反排课规则：") + rules::ruleName(b.rule) + detail;
}

void MarkBreaches(QTableWidget* grid, const std::vector<rules::Breach>& breaches,
                  const std::function<bool(const Lesson&)>& shows) {
    ClearGridBreaches(grid);
    const int lessonRows = grid->rowCount() - 1;
    for (const rules::Breach& b : breaches) {
        if (b.noteOnly)
            continue;
        for (const Lesson& l : b.lessons) {
            const int row = GridRowOfLesson(l.period.lessonNo);
            if (l.lessonNoEmpty || l.period.day < 1 || l.period.day > kDays ||
                l.period.lessonNo < 1 || row > lessonRows || !shows(l))
                continue;
            const QString before = GridCellBreach(grid, row, l.period.day);
            const QString text = BreachText(b);
            if (!before.split('\n').contains(text))
                SetGridCellBreach(grid, row, l.period.day,
                                  before.isEmpty() ? text : before + '\n' + text);
        }
    }
}
