#include "core/store/SchoolWriter.h"

#include "core/config/SafeFile.h"
#include "core/store/CourseRuleStore.h"
#include "core/store/DoubleLessons.h"
#include "core/store/Schema.h"
#include "core/store/Sql.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TeacherRuleStore.h"
#include "core/store/TimetableDb.h"

#include <QFileInfo>

namespace {

// Double lessons, teacher limits and groups live in tables of their own,
// made only for a school that has some, as the windows do.
void writeNewerSettings(TimetableDb& db, const SchoolRecords& school) {
    for (const auto& r : school.plan)
        if (r.doubles > 0)
            WritePlanDoubles(db, r.classCode, r.courseCode, r.teacherCode, r.doubles);
    if (school.groups.empty() && school.teacherRules.empty())
        return;
    SQLite::Database& d = db.sql();
    EnsureTeacherRuleTables(d);
    SQLite::Statement st(
        d, "insert into TeacherGrouptb(Code,Name,FullName,ShortName) values(?,?,?,?)");
    for (const auto& g : school.groups) {
        st.reset();
        sql::bind(st, g.code, g.name, g.fullName, g.shortName);
        st.exec();
    }
    for (const auto& t : school.teacherRules)
        WriteTeacherRule(db, t.teacherCode, t.rule);
}

} // namespace

void WriteSchool(TimetableDb& db, const SchoolRecords& school) {
    SQLite::Database& d = db.sql();
    SQLite::Transaction tx(d);
    auto names = [&](const char* q, const std::vector<SchoolRecords::Named>& rows) {
        SQLite::Statement st(d, q);
        for (const auto& r : rows) {
            st.reset();
            sql::bind(st, r.code, r.name, r.fullName, r.shortName);
            st.exec();
        }
    };
    names("insert into Classtb(Code,Name,FullName,ShortName) values(?,?,?,?)", school.classes);
    names("insert into Coursetb(Code,Name,FullName,ShortName) values(?,?,?,?)", school.courses);
    names("insert into ClassRoomtb(Code,Name,FullName,ShortName) values(?,?,?,?)", school.rooms);
    names("insert into Teachertb(Code,Name,FullName,ShortName) values(?,?,?,?)", school.teachers);
    {
        SQLite::Statement st(d, "insert into ClassPlantb(ClassCode,CourseCode,TeacherCode,Count,"
                                "BuildCount,IsAutoBuild) values(?,?,?,?,?,?)");
        for (const auto& r : school.plan) {
            st.reset();
            sql::bind(st, r.classCode, r.courseCode, r.teacherCode, r.count, r.buildCount,
                      r.autoBuilt ? 1 : 0);
            st.exec();
        }
    }
    {
        SQLite::Statement st(d, "insert into Limittb values(?,?,?,?,?)");
        for (const auto& r : school.limits) {
            st.reset();
            sql::bind(st, r.kind, r.code, r.day, r.lessonNo, r.attr);
            st.exec();
        }
    }
    writeNewerSettings(db, school);
    for (const QString& c : school.exclusiveCourses)
        sql::exec(d, "insert into CourseAttrtb(CourseCode) values(?)", c);
    for (const auto& r : school.courseRules)
        WriteCourseRule(d, r.courseCode, r.rule);
    {
        SQLite::Statement st(d, "insert into LessonListtb values(?,?,?,?,?,?)");
        for (const auto& r : school.lessons) {
            st.reset();
            sql::bind(st, r.classCode, r.day, r.lessonNo, r.courseCode, r.teacherCode, r.setFlag);
            st.exec();
        }
    }
    tx.commit();
}

QString MakeSchoolFile(const QString& path, const SchoolRecords& school) {
    if (QFileInfo::exists(path))
        return QStringLiteral("文件已存在，不会覆盖：%1").arg(path);
    try {
        // Built under a temporary name and renamed when complete, so a kill or
        // a full disk never leaves a half-filled school under the chosen name.
        SafeFile safe(path);
        if (!CreateTimetableFile(safe.tempPath()))
            throw safe.writeFailure();
        {
            TimetableDb db;
            db.openChecked(safe.tempPath());
            try {
                WriteSchool(db, school);
            } catch (const std::exception& e) {
                throw AsFailure(e, path);
            }
        }
        safe.commit();
        return {};
    } catch (const std::exception& e) {
        return AsFailure(e, path).message();
    }
}
