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

QString HalfWidthDigits(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= QChar(u'０') && c <= QChar(u'９'))
            c = QChar(u'0' + (c.unicode() - u'０'));
    return out;
}

namespace {

const QString kNumerals = QStringLiteral("一二三四五六七八九");

// 1–99 in digits, or 一 to 二十 in numerals (一班, 十二班); -1 otherwise.
int ReadNumber(const QString& t) {
    if (t.isEmpty())
        return -1;
    bool ok = false;
    const int n = t.toInt(&ok);
    if (ok)
        return t.size() <= 2 && t.at(0).isDigit() ? n : -1;
    const qsizetype ten = t.indexOf(u'十');
    if (ten < 0)
        return t.size() == 1 ? static_cast<int>(kNumerals.indexOf(t.at(0))) + 1 : -1;
    if (t.size() > 3 || (ten != 0 && ten != 1) || t.lastIndexOf(u'十') != ten)
        return -1;
    const int tens = ten == 0 ? 1 : static_cast<int>(kNumerals.indexOf(t.at(0))) + 1;
    const int ones =
        ten + 1 < t.size() ? static_cast<int>(kNumerals.indexOf(t.at(ten + 1))) + 1 : 0;
    if (tens <= 0 || (ten + 1 < t.size() && ones <= 0))
        return -1;
    return tens * 10 + ones;
}

} // namespace

ClassCodeParts ReadClassName(const QString& text) {
    QString t;
    for (const QChar c : HalfWidthDigits(text)) {
        if (c.isSpace())
            continue;
        if (c == u'(' || c == u'[' || c == u'【')
            t += u'（';
        else if (c == u')' || c == u']' || c == u'】')
            t += u'）';
        else
            t += c;
    }
    int grade = -1;
    bool digitGrade = false;
    qsizetype at = 0;
    if (t.startsWith(u"学前")) {
        grade = 0;
        at = 2;
    } else if (!t.isEmpty() && QStringView(u"一二三四五六").contains(t.at(0))) {
        grade = static_cast<int>(QStringView(u"一二三四五六").indexOf(t.at(0))) + 1;
        at = 1;
    } else if (!t.isEmpty() && t.at(0) >= u'0' && t.at(0) <= u'6') {
        grade = t.at(0).unicode() - u'0';
        digitGrade = true;
        at = 1;
    } else {
        return {};
    }
    bool gradeWord = false;
    for (const QStringView word : {QStringView(u"年级"), QStringView(u"年")})
        if (QStringView(t).mid(at).startsWith(word)) {
            at += word.size();
            gradeWord = true;
            break;
        }
    const bool classWord = t.endsWith(u'班');
    QStringView rest = QStringView(t).mid(at);
    if (classWord)
        rest.chop(1);
    const bool bracketed = rest.startsWith(u'（') && rest.endsWith(u'）') && rest.size() > 2;
    if (bracketed)
        rest = rest.mid(1, rest.size() - 2);
    // Without brackets or 年级 the grade and the number run together: 一1班
    // reads, but 11班 and 一1 could be anything.
    if (!bracketed && !gradeWord && (digitGrade || !classWord))
        return {};
    if (!bracketed && !classWord)
        return {};
    const int number = ReadNumber(rest.toString());
    if (number < 1 || number > kClassNumberCount)
        return {};
    ClassCodeParts parts;
    parts.grade = grade;
    parts.classNumber = number;
    return parts;
}

QString ClassNameForms() {
    return QStringLiteral(
        "一（1）班、一年级（1）班、一(1)班、一年级1班、1(1)班、一（1）或班级代码 11");
}
