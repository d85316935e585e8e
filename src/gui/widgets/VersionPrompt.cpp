#include "gui/widgets/VersionPrompt.h"

#include "core/store/TimetableVersions.h"
#include "gui/widgets/UiDialogs.h"

bool KeepVersionOrAsk(QWidget* parent, TimetableDb& db, const QString& cause) {
    QString why;
    if (tryKeepVersion(db, cause, &why))
        return true;
    return AskOkCancel(parent, QStringLiteral("课表版本"),
                       QStringLiteral("无法保留现在的课表作为版本（%1），以后不能恢复它。\n"
                                      "仍要继续吗？")
                           .arg(why),
                       UiDialogs::Icon::Warning);
}
