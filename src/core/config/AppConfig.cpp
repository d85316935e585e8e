#include "core/config/AppConfig.h"

#include "core/config/AppPaths.h"
#include "core/config/IniFile.h"
#include "core/model/TextRules.h"

#include <QFileInfo>

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

QString GetSchoolName() {
    return IniFile(IniFilePath()).readString("SCHOOL", "NAME").trimmed();
}

bool WriteSchoolName(const QString& name) {
    if (HasControlCharacter(name))
        return false;
    return IniFile(IniFilePath()).writeString("SCHOOL", "NAME", name.trimmed());
}

namespace {
bool IsSchoolYear(int year) {
    return year >= 2000 && year <= 2099;
}
bool IsTerm(int term) {
    return term == 1 || term == 2;
}
} // namespace

int GetSchoolYear() {
    const int year = IniFile(IniFilePath()).readString("SCHOOL", "YEAR").trimmed().toInt();
    return IsSchoolYear(year) ? year : 0;
}

int GetSchoolTerm() {
    const int term = IniFile(IniFilePath()).readString("SCHOOL", "TERM").trimmed().toInt();
    return IsTerm(term) ? term : 0;
}

bool WriteSchoolTerm(int year, int term) {
    const bool clear = year == 0 && term == 0;
    if (!clear && (!IsSchoolYear(year) || !IsTerm(term)))
        return false;
    IniFile ini(IniFilePath());
    return ini.writeString("SCHOOL", "YEAR", clear ? QString() : QString::number(year)) &&
           ini.writeString("SCHOOL", "TERM", clear ? QString() : QString::number(term));
}

QString GetOutputFolder() {
    const QString folder = IniFile(IniFilePath()).readString("PATH", "OUTPUT").trimmed();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void WriteOutputFolder(const QString& folder) {
    (void)IniFile(IniFilePath()).writeString("PATH", "OUTPUT", folder);
}

QString MakeSystemTitle(const QString& schoolName) {
    return schoolName + QStringLiteral("排课软件系统");
}
