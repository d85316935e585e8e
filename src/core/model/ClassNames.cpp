#include "core/model/ClassNames.h"

#include <QStringList>

QString GradeName(int gradeIndex) {
    static const QStringList numerals{
        QStringLiteral("学前"), QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三"),
        QStringLiteral("四"),   QStringLiteral("五"), QStringLiteral("六")};
    return numerals.value(gradeIndex);
}

QString FormClassCode(int gradeIndex, int classNumber) {
    return QString::number(gradeIndex) + QString::number(classNumber);
}

ClassNames FormClassNames(int gradeIndex, int classNumber) {
    const QString numeral = GradeName(gradeIndex);
    const QString n = QString::number(classNumber);
    return {numeral + QStringLiteral("（") + n + QStringLiteral("）班"),
            numeral + QStringLiteral("年级（") + n + QStringLiteral("）班"),
            numeral + QStringLiteral("（") + n + QStringLiteral("）")};
}

ClassCodeParts SplitClassCode(const QString& code) {
    ClassCodeParts parts;
    bool ok = false;
    const int grade = code.left(1).toInt(&ok);
    if (!ok)
        return parts;
    parts.grade = grade;
    const int number = code.mid(1).toInt(&ok);
    if (ok)
        parts.classNumber = number;
    return parts;
}
