#pragma once
// A class is chosen by grade and class number, never typed: its code is the
// grade digit followed by the class number, and its names are formed from the
// grade's numeral. The year upgrade relies on both forms.
#include <QString>

constexpr int kGradeCount = 7;        // 学前 and grades one to six
constexpr int kClassNumberCount = 20; // classes 1 to 20 of a grade

// 0 → "学前", 1..6 → "一".."六", anything else → empty text.
QString GradeName(int gradeIndex);

// Grade 1, class 12 → "112"; pre-school, class 2 → "02".
QString FormClassCode(int gradeIndex, int classNumber);

struct ClassNames {
    QString name;      // 一（1）班
    QString fullName;  // 一年级（1）班
    QString shortName; // 一（1）
};
ClassNames FormClassNames(int gradeIndex, int classNumber);

// The grade (first character) and the class number (the rest) read back from a
// code; -1 for a part that is not a number.
struct ClassCodeParts {
    int grade = -1;
    int classNumber = -1;
};
ClassCodeParts SplitClassCode(const QString& code);

// Digits typed with a Chinese input method (０–９) as the digits 0–9: office
// sheets hold both, and a count "５" means five.
QString HalfWidthDigits(const QString& text);

// The grade and class number that a class name in any form an office writes
// names: 一（1）班, 一(1)班, 一年级1班, 一年级(1)班, 一年级（1）班, 1(1)班,
// 一（１）班, 一年级一班, the short name 一（1） and the full name; 学前 for the
// pre-school. Grade and class number are -1 when the text names no class.
ClassCodeParts ReadClassName(const QString& text);

// The forms of a class name that ReadClassName reads, for a message.
QString ClassNameForms();
