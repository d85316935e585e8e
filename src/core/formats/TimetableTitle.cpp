#include "core/formats/TimetableTitle.h"

#include "core/config/AppConfig.h"
#include "core/formats/PrintDocument.h"

QString TimetableTitle::termText() const {
    if (!hasTerm())
        return QString();
    return QStringLiteral("%1—%2学年度第%3学期")
        .arg(year)
        .arg(year + 1)
        .arg(term == 1 ? QStringLiteral("一") : QStringLiteral("二"));
}

QString TimetableTitle::ofGroup(const QString& name) const {
    const QString head = hasTerm() ? school + QLatin1Char(' ') + termText() : school;
    return head + QStringLiteral("     ") + name;
}

QString TimetableTitle::ofTotal() const {
    if (!hasTerm())
        return school + QString::fromUtf8(kTotalTitleTail);
    return school + QLatin1Char(' ') + termText() + QStringLiteral("总课程表");
}

TimetableTitle CurrentTimetableTitle() {
    return {GetSchoolName(), GetSchoolYear(), GetSchoolTerm()};
}

QString OfferedFileName(ScheduleKind kind, const QString& name, const QString& suffix) {
    QString base;
    switch (kind) {
    case ScheduleKind::Class:
    case ScheduleKind::Teacher:
        base = name.trimmed() + QStringLiteral("课表");
        break;
    case ScheduleKind::AllClasses:
        base = QStringLiteral("全校班级课表");
        break;
    case ScheduleKind::AllTeachers:
        base = QStringLiteral("全校教师课表");
        break;
    case ScheduleKind::Total:
        base = QStringLiteral("全校总课表");
        break;
    }
    for (QChar& c : base)
        if (QStringLiteral("/\\:*?\"<>|").contains(c) || c.unicode() < 0x20)
            c = QLatin1Char('_');
    if (base.startsWith(QLatin1Char('.')))
        base[0] = QLatin1Char('_');
    return base + suffix;
}
