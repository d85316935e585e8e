#pragma once
// Time limits in Limittb: how welcome a lesson is at one lesson time of a class,
// course, teacher, classroom or subject group. The limit windows share this
// code; what differs between them is one row of LimitFamilyOf().
#include "core/model/Limits.h"

#include <QList>
#include <QString>
#include <QStringList>

class TimetableDb;

// Attr values (LimitLevel) and their texts: 0 "最佳位置", 1 "正常", 2 "尽量不排", 3 "不排".
QString LimitAttrText(int attr);       // cell text; empty for an unknown value
int LimitAttrOfText(const QString& t); // -1 for a text that is no value
QString LimitMenuText(int attr);       // popup item text
const char* LimitMenuObjectName(int attr);

// What one limit window is made of.
struct LimitFamily {
    LimitKind kind;
    const char* formName;
    const char* caption;
    const char* comboName;
    const char* labelName;
    const char* labelText;
    const char* prevName;
    const char* prevText;
    const char* nextName;
    const char* nextText;
    const char* namesQuery;
    QString (*codeOfName)(TimetableDb&, const QString&);
    // Only the course window follows the lessons-per-day setting, and only it
    // leaves an object without stored limits unwritten (generation reads a
    // missing course limit as normal).
    bool followsLessonsPerDay;
    bool writesNormalWhenEmpty;
};
const LimitFamily& LimitFamilyOf(LimitKind kind);

// Lessons a day shown by a window of this family.
int LimitLessonsPerDay(const LimitFamily& family, int lessonsPerDay);

// The names of the family's objects in the order stored. Throws on a database failure.
QStringList LimitObjectNames(TimetableDb& db, const LimitFamily& family);
// The stored limits of one object, in the order stored. Throws on a database failure.
QList<LimitCell> ReadLimits(TimetableDb& db, LimitKind kind, const QString& code);
// Writes one lesson time: updates its row, or inserts one when there is none.
// Throws on a database failure.
void WriteLimit(TimetableDb& db, LimitKind kind, const QString& code, int day, int lessonNo,
                int attr);
// Writes the periods of the object (a whole day, a whole lesson of the week)
// at once, in one transaction. Throws Failure with the reason.
void WriteLimits(TimetableDb& db, LimitKind kind, const QString& code, const QList<Period>& periods,
                 int attr);
// Writes every lesson time of the object as normal, in one transaction: on a
// failure nothing is changed. Throws on a database failure.
void WriteAllNormal(TimetableDb& db, LimitKind kind, const QString& code, int lessonsPerDay);
