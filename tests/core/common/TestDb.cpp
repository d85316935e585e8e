#include "TestDb.h"

#include "core/store/Schema.h"
#include "core/store/Sql.h"

#include <stdexcept>

TestDb::TestDb() {
    path = m_dir.filePath("kb.db");
    if (!CreateTimetableFile(path) || !db.open(path))
        throw std::runtime_error("cannot make a test database");
}

void TestDb::exec(const QString& statement) {
    db.sql().exec(statement.toStdString());
}

long long TestDb::count(const QString& selectCount) {
    SQLite::Statement st(db.sql(), selectCount.toStdString());
    return st.executeStep() ? st.getColumn(0).getInt64() : -1;
}

QString TestDb::text(const QString& select) {
    return sql::firstText(db.sql(), select.toStdString().c_str());
}

void TestDb::addClass(const QString& code, const QString& name, const QString& fullName,
                      const QString& shortName) {
    sql::exec(db.sql(), "insert into Classtb(Code,Name,FullName,ShortName) values(?,?,?,?)", code,
              name, fullName.isEmpty() ? name : fullName, shortName.isEmpty() ? name : shortName);
}

void TestDb::addCourse(const QString& code, const QString& name, const QString& shortName) {
    sql::exec(db.sql(), "insert into Coursetb(Code,Name,FullName,ShortName) values(?,?,?,?)", code,
              name, name, shortName.isEmpty() ? name : shortName);
}

void TestDb::addTeacher(const QString& code, const QString& name) {
    sql::exec(db.sql(), "insert into Teachertb(Code,Name,FullName,ShortName) values(?,?,?,?)", code,
              name, name, name);
}

void TestDb::addClassRoom(const QString& code, const QString& name) {
    sql::exec(db.sql(), "insert into ClassRoomtb(Code,Name,FullName,ShortName) values(?,?,?,?)",
              code, name, name, name);
}

void TestDb::addPlan(const QString& classCode, const QString& courseCode,
                     const QString& teacherCode, int count, int buildCount, int isAutoBuild) {
    sql::exec(db.sql(),
              "insert into ClassPlantb(ClassCode,CourseCode,TeacherCode,Count,BuildCount,"
              "IsAutoBuild) values(?,?,?,?,?,?)",
              classCode, courseCode, teacherCode, count, buildCount, isAutoBuild);
}

void TestDb::addLesson(const QString& classCode, int day, int lessonNo, const QString& courseCode,
                       const QString& teacherCode, int setFlag) {
    sql::exec(db.sql(), "insert into LessonListtb values(?,?,?,?,?,?)", classCode, day, lessonNo,
              courseCode, teacherCode, setFlag);
}

void TestDb::addLimit(int kind, const QString& code, int day, int lessonNo, int attr) {
    sql::exec(db.sql(), "insert into Limittb values(?,?,?,?,?)", kind, code, day, lessonNo, attr);
}
