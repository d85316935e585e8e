#include "core/config/AppConfig.h"

#include "core/config/AppPaths.h"
#include "core/config/IniFile.h"
#include "core/store/Sql.h"
#include "core/store/TimetableDb.h"

QString IniFilePath() {
    return AppFilePath("kbxt.ini");
}

QString GetDbFileName() {
    // The value is limited as a 254-character buffer would limit it.
    const QString name = IniFile(IniFilePath()).readString("DB", "FILENAME").left(254).trimmed();
    return name.isEmpty() ? DefaultDbFileName() : name;
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

QString GetSchoolName() {
    return IniFile(IniFilePath()).readString("SCHOOL", "NAME").trimmed();
}

bool WriteSchoolName(const QString& name) {
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
