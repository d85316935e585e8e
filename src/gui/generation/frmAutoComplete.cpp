#include "gui/generation/frmAutoComplete.h"

#include "core/generation/BuildRandom.h"
#include "core/generation/BuildTimetable.h"
#include "core/store/CompletionStore.h"
#include "gui/widgets/AppContext.h"

#include <QGroupBox>
#include <QLabel>

frmAutoComplete::frmAutoComplete(AppContext& ctx, QWidget* parent)
    : RunDialog(ctx, "frmAutoComplete", QStringLiteral("自动补排"),
                QStringLiteral("正在自动补排 ..."), parent) {
    lblStatus = new QLabel(Frame1);
    lblStatus->setObjectName("lblStatus");
    addProgress(lblStatus, lblStatus);
}

void frmAutoComplete::Run() {
    CompletionRun run;
    run.lessonsPerDay = m_ctx.lessonsPerDay;
    run.seed = kDefaultBuildSeed;
    run.progress = [this](int missing) {
        return Carry([&] { lblStatus->setText(QStringLiteral("还有 %1 节未排").arg(missing)); });
    };
    report = CompleteTimetable(m_ctx.db, run);
    Finish(report.cancelled, report.ok, report.error, [this] { return Summary(); });
}

QString frmAutoComplete::Summary() const {
    QString text = QStringLiteral("自动补排：补排 %1 节，仍未排 %2 节")
                       .arg(report.placed)
                       .arg(report.remaining);
    try {
        int rate = 0;
        if (!tryCompletionRate(m_ctx.db, &rate))
            rate = -1; // a plan of nothing has no rate; the line shows −1 then
        text += '\n' + CompletionRateText(rate, MissingLessons(m_ctx.db));
    } catch (const std::exception&) {
    }
    if (report.remaining > 0)
        text += QStringLiteral("\n未排的课和排不进的原因见“手工调整课表”。");
    // Completion fills; the timetable may still have empty periods to close.
    text += QStringLiteral("\n用“自动排课 → 课表优化”可以减少班级和老师的空堂。");
    return text;
}
