#include "core/model/TextRules.h"

#include "core/model/PlanRow.h"

#include <QList>

char32_t HiddenCharacterIn(const QString& text) {
    for (const char32_t c : text.toUcs4()) {
        const QChar::Category cat = QChar::category(c);
        if (cat == QChar::Other_Control || cat == QChar::Other_Format ||
            cat == QChar::Separator_Line || cat == QChar::Separator_Paragraph)
            return c;
    }
    return 0;
}

bool HasControlCharacter(const QString& text) {
    return HiddenCharacterIn(text) != 0;
}

QString HiddenCharacterText(const QString& text) {
    const char32_t c = HiddenCharacterIn(text);
    if (c == 0)
        return {};
    const QString code =
        QStringLiteral("U+%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
    if (QChar::category(c) == QChar::Other_Control)
        return QStringLiteral("换行、制表符等控制字符（%1）").arg(code);
    return QStringLiteral("看不见的字符（%1）").arg(code);
}

QString ControlCharacterMessage(const QString& text) {
    return QStringLiteral("名称中有%1，请删去后再保存。").arg(HiddenCharacterText(text));
}

QString lessonCountRule(Week week) {
    return QStringLiteral("节数应是 0 到 %1 的整数").arg(week.periodCount());
}
