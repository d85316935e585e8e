#include "gui/widgets/UiMetrics.h"

#include <QStringList>

QFont SongTi(int pointSize) {
    InstallFontSubstitutions();
    QFont f(QStringLiteral("宋体"), pointSize);
    return f;
}

void InstallFontSubstitutions() {
    static bool done = false;
    if (done)
        return;
    done = true;
    QFont::insertSubstitutions(QStringLiteral("宋体"),
                               {QStringLiteral("Noto Serif CJK SC"),
                                QStringLiteral("AR PL UMing CN"),
                                QStringLiteral("Noto Sans CJK SC"),
                                QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("SimSun")});
}
