#include "gui/shell/StartUp.h"

#include "core/config/AppConfig.h"
#include "core/config/AppPaths.h"
#include "core/store/LessonsPerDay.h"
#include "core/store/SqliteFailure.h"
#include "gui/shell/frmMain.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/QtChinese.h"
#include "gui/widgets/ScreenFit.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QFileInfo>

namespace {

// Opens path, or shows why it cannot be opened and returns false.
bool OpenOrSay(AppContext& ctx, const QString& path) {
    try {
        ctx.db.openChecked(path);
        return true;
    } catch (const std::exception& e) {
        ShowError(nullptr, ctx.systemTitle,
                  QStringLiteral("打开数据库失败！\n") + AsFailure(e, path).message());
        return false;
    }
}

} // namespace

std::unique_ptr<frmMain> Main(AppContext& ctx) {
    InstallFontSubstitutions();
    InstallQtChinese();
    InstallScreenFit();
    ctx.systemTitle = MakeSystemTitle(GetSchoolName());
    // When the copy fails, opening the default file below names the reason.
    (void)EnsureDefaultDatabase();

    QString path = GetDbFileName();
    // Only a configured file that is gone is replaced by the default one. A file
    // that is there but cannot be opened (held by a second copy of the program,
    // read-only, damaged) is named with its reason and kbxt.ini is left alone:
    // opening another file would show the school an empty timetable.
    if (QFileInfo::exists(path) || path == DefaultDbFileName()) {
        if (!OpenOrSay(ctx, path))
            return nullptr;
    } else {
        const QString missing = path;
        path = DefaultDbFileName();
        if (!OpenOrSay(ctx, path))
            return nullptr;
        QString text = QStringLiteral("找不到课表数据库：%1\n已改为打开默认的课表数据库：%2\n"
                                      "如果文件被移动了，请用“文件 → 打开数据库”重新选择它。")
                           .arg(missing, path);
        // Unrecorded, the next start would look for the missing file again.
        if (!WriteDbFileName(path))
            text += QStringLiteral("\n无法把它记入设置文件：") + IniFilePath();
        ShowWarning(nullptr, ctx.systemTitle, text);
    }

    ctx.lessonsPerDay = LessonsPerDayFor(ctx.db, true);
    // The trim is all or nothing: when it fails the school works on with the
    // timetable as it was, but must know the extra lessons are still there.
    if (QString why; !tryTrimLessonsBeyondDay(ctx.db, ctx.lessonsPerDay, &why))
        ShowWarning(
            nullptr, ctx.systemTitle,
            QStringLiteral("删除每天第%1节以后的课失败，课表没有改动。\n").arg(ctx.lessonsPerDay) +
                why);

    auto window = std::make_unique<frmMain>(ctx);
    window->setWindowTitle(ctx.systemTitle + QStringLiteral(" -- ") + path);
    return window;
}
