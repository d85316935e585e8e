#include "core/model/TextRules.h"

#include "core/model/PlanRow.h"

bool HasControlCharacter(const QString& text) {
    for (const QChar c : text) {
        const QChar::Category cat = c.category();
        if (cat == QChar::Other_Control || cat == QChar::Separator_Line ||
            cat == QChar::Separator_Paragraph)
            return true;
    }
    return false;
}

QString ControlCharacterMessage() {
    return QStringLiteral("名称中不能有换行、制表符等控制字符，请删去后再保存。");
}

QString lessonCountRule(Week week) {
    return QStringLiteral("节数应是 0 到 %1 的整数").arg(week.periodCount());
}
