#include "gui/shell/StartUp.h"

#include "core/config/AppConfig.h"
#include "core/config/AppPaths.h"
#include "gui/shell/frmMain.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/QtChinese.h"
#include "gui/widgets/ScreenFit.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

std::unique_ptr<frmMain> Main(AppContext& ctx) {
    InstallFontSubstitutions();
    InstallQtChinese();
    InstallScreenFit();
    ctx.systemTitle = MakeSystemTitle(GetSchoolName());
    EnsureDefaultDatabase();

    QString path = GetDbFileName();
    if (!OpenTimetableDb(ctx.db, path)) {
        path = DefaultDbFileName();
        if (!OpenTimetableDb(ctx.db, path)) {
            ShowError(nullptr, ctx.systemTitle, QStringLiteral("打开数据库失败！"));
            return nullptr;
        }
        WriteDbFileName(path);
    }

    ctx.lessonsPerDay = LessonsPerDaySetting();
    TrimLessonsBeyondDay(ctx.db, ctx.lessonsPerDay);

    auto window = std::make_unique<frmMain>(ctx);
    window->setWindowTitle(ctx.systemTitle + QStringLiteral(" -- ") + path);
    return window;
}
