#include "core/config/AppConfig.h"

#include "core/config/AppPaths.h"
#include "core/config/IniFile.h"
#include "core/model/TextRules.h"
#include "core/store/Lookups.h"
#include "core/store/Sql.h"
#include "core/store/TimetableDb.h"

QString IniFilePath() {
    return AppFilePath("kbxt.ini");
}

QString GetDbFileName() {
    const QString name = IniFile(IniFilePath()).readString("DB", "FILENAME").trimmed();
    return name.isEmpty() ? DefaultDbFileName() : name;
}

bool DbFileNameConfigured() {
    return !IniFile(IniFilePath()).readString("DB", "FILENAME").trimmed().isEmpty();
}

bool WriteDbFileName(const QString& path) {
    return IniFile(IniFilePath()).writeString("DB", "FILENAME", path);
}

QString GetLessonOfDay() {
    return QString::number(IniFile(IniFilePath()).readInt("LESSON", "LESSON_OF_DAY", 6));
}

int LessonsPerDaySetting() {
    return GetLessonOfDay().toInt() >= 7 ? 7 : 6;
}

bool WriteLessonOfDay(int lessons) {
    return IniFile(IniFilePath()).writeString("LESSON", "LESSON_OF_DAY", QString::number(lessons));
}

std::optional<int> ReadLessonsPerDay() {
    bool ok = false;
    const int n = IniFile(IniFilePath()).readString("LESSON", "LESSON_OF_DAY").toInt(&ok);
    if (!ok || n < 6)
        return std::nullopt;
    return n >= 7 ? 7 : 6;
}

int LessonsPerDayFor(TimetableDb& db, bool writeBack) {
    if (const std::optional<int> setting = ReadLessonsPerDay())
        return *setting;
    const int lessons = HighestLessonNo(db) >= 7 ? 7 : 6;
    // A fresh installation without the key stays without it at 6.
    const bool damaged = !IniFile(IniFilePath()).readString("LESSON", "LESSON_OF_DAY").isNull();
    if (writeBack && (damaged || lessons == 7))
        WriteLessonOfDay(lessons);
    return lessons;
}

QString GetSchoolName() {
    return IniFile(IniFilePath()).readString("SCHOOL", "NAME").trimmed();
}

bool WriteSchoolName(const QString& name) {
    if (HasControlCharacter(name))
        return false;
    return IniFile(IniFilePath()).writeString("SCHOOL", "NAME", name.trimmed());
}

QString MakeSystemTitle(const QString& schoolName) {
    return schoolName + QStringLiteral("排课软件系统");
}

bool TrimLessonsBeyondDay(TimetableDb& db, int lessonsPerDay) {
    try {
        SQLite::Transaction tx(db.sql());
        if (sql::exec(db.sql(), "delete from LessonListtb where LessonNo>?", lessonsPerDay) > 0) {
            // The deleted lessons no longer count as placed, so they show up as
            // unplaced in the manual adjustment window.
            db.sql().exec("update ClassPlantb set BuildCount = (select count(*) from LessonListtb l"
                          " where l.ClassCode = ClassPlantb.ClassCode"
                          " and l.CourseCode = ClassPlantb.CourseCode"
                          " and l.TeacherCode = ClassPlantb.TeacherCode)");
        }
        tx.commit();
        return false;
    } catch (const std::exception&) {
        return true;
    }
}
