#include "core/store/SchoolWriter.h"

#include "core/store/Schema.h"
#include "core/store/Sql.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

#include <QFile>
#include <QFileInfo>

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
    for (const QString& c : school.exclusiveCourses)
        sql::exec(d, "insert into CourseAttrtb(CourseCode) values(?)", c);
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
    if (QString why; !CreateTimetableFile(path, &why))
        return QStringLiteral("无法创建数据库文件：%1").arg(why);
    QString error;
    {
        TimetableDb db;
        if (!db.open(path)) {
            error = QStringLiteral("无法打开新建的数据库文件：%1").arg(path);
        } else {
            try {
                WriteSchool(db, school);
            } catch (const std::exception& e) {
                error = QStringLiteral("写入学校数据失败：%1").arg(AsFailure(e, path).message());
            }
        }
    }
    if (!error.isEmpty())
        QFile::remove(path);
    return error;
}
