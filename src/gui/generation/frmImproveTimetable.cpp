#include "gui/generation/frmImproveTimetable.h"

#include "core/generation/BuildRandom.h"
#include "gui/widgets/AppContext.h"

#include <QGroupBox>
#include <QProgressBar>

frmImproveTimetable::frmImproveTimetable(AppContext& ctx, QWidget* parent)
    : RunDialog(ctx, "frmImproveTimetable", QStringLiteral("课表优化"),
                QStringLiteral("正在优化课表 ..."), parent) {
    barProgress = new QProgressBar(Frame1);
    barProgress->setObjectName("barProgress");
    barProgress->setRange(0, 100);
    addProgress(barProgress);
}

QString frmImproveTimetable::Summary(const ImproveReport& r) {
    if (r.moved == 0)
        return QStringLiteral("课表已经没有可以改进的地方，没有调动任何课。");
    QStringList lines{QStringLiteral("课表优化：调动了 %1 节课。").arg(r.moved)};
    for (int i = 0; i < rules::kMeasureCount; ++i) {
        const auto m = static_cast<rules::Measure>(i);
        const long long a = rules::at(r.before, m), b = rules::at(r.after, m);
        if (a != b)
            lines << QStringLiteral("%1：%2 → %3 %4")
                         .arg(rules::measureName(m))
                         .arg(a)
                         .arg(b)
                         .arg(rules::measureUnit(m));
    }
    if (r.timedOut)
        lines << QStringLiteral("到了时间限制，优化提前结束。");
    return lines.join('\n');
}

void frmImproveTimetable::Run() {
    ImproveRun run;
    run.lessonsPerDay = m_ctx.lessonsPerDay;
    run.seed = kDefaultBuildSeed;
    run.progress = [this](int percent) { return Carry([&] { barProgress->setValue(percent); }); };
    report = ImproveTimetable(m_ctx.db, run);
    Finish(report.cancelled, report.ok, report.error, [this] { return Summary(report); });
}
