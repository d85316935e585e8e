#include "gui/widgets/VersionPrompt.h"

#include "core/store/TimetableDb.h"
#include "core/store/TimetableVersions.h"
#include "gui/widgets/UiDialogs.h"

bool KeepVersionOrAsk(QWidget* parent, TimetableDb& db, const QString& cause) {
    try {
        KeepVersion(db, cause);
        return true;
    } catch (const Failure& e) {
        // The timetable itself unreadable: the operation meets the same fault
        // and reports it in its own words.
        if (e.file() == db.path())
            return true;
        return AskOkCancel(parent, QStringLiteral("课表版本"),
                           QStringLiteral("无法保留现在的课表作为版本，以后不能恢复它。\n%1\n"
                                          "仍要继续吗？")
                               .arg(e.message()),
                           UiDialogs::Icon::Warning);
    }
}
