#include "core/store/CodeRecords.h"

#include "core/store/CourseRuleStore.h"
#include "core/store/Sql.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

namespace {

struct TableStatements {
    const char* load;
    const char* exists;
    const char* insert;
    const char* update;
    // The dependent rows first, the record last; unused entries are null.
    const char* deletes[4];
};

const TableStatements& StatementsOf(CodeTable table) {
    static const TableStatements classes{
        "select Code, Name, FullName, ShortName from Classtb order by rowid",
        "Select Code from Classtb where Code = ?",
        "Insert Into Classtb (Code,Name,FullName,ShortName) Values (?,?,?,?)",
        "Update Classtb Set Name = ?, FullName = ?, ShortName = ? Where Code = ?",
        {"Delete From LessonListtb Where ClassCode = ?",
         "Delete From ClassPlantb Where ClassCode = ?",
         "Delete From Limittb Where Kind=0 and Code = ?", "Delete From Classtb Where Code = ?"}};
    static const TableStatements courses{
        "select Code, Name, FullName, ShortName from Coursetb order by rowid",
        "Select Code from Coursetb where Code = ?",
        "Insert Into Coursetb (Code,Name,FullName,ShortName) Values (?,?,?,?)",
        "Update Coursetb Set Name = ?, FullName = ?, ShortName = ? Where Code = ?",
        {"Delete From LessonListtb Where CourseCode = ?",
         "Delete From ClassPlantb Where CourseCode = ?",
         "Delete From Limittb Where Kind=1 and Code = ?", "Delete From Coursetb Where Code = ?"}};
    static const TableStatements teachers{
        "select Code, Name, FullName, ShortName from Teachertb order by rowid",
        "Select Code from Teachertb where Code = ?",
        "Insert Into Teachertb (Code,Name,FullName,ShortName) Values (?,?,?,?)",
        "Update Teachertb Set Name = ?, FullName = ?, ShortName = ? Where Code = ?",
        {"Delete From LessonListtb Where TeacherCode = ?",
         "Delete From ClassPlantb Where TeacherCode = ?",
         "Delete From Limittb Where Kind=2 and Code = ?", "Delete From Teachertb Where Code = ?"}};
    // A classroom's time limits stay: data maintenance removes such rows.
    static const TableStatements classRooms{
        "select Code, Name, FullName, ShortName from ClassRoomtb order by rowid",
        "Select Code from ClassRoomtb where Code = ?",
        "Insert Into ClassRoomtb (Code,Name,FullName,ShortName) Values (?,?,?,?)",
        "Update ClassRoomtb Set Name = ?, FullName = ?, ShortName = ? Where Code = ?",
        {"Delete From ClassRoomtb Where Code = ?", nullptr, nullptr, nullptr}};
    switch (table) {
    case CodeTable::Class:
        return classes;
    case CodeTable::Course:
        return courses;
    case CodeTable::Teacher:
        return teachers;
    case CodeTable::ClassRoom:
        break;
    }
    return classRooms;
}

} // namespace

bool LoadCodeRecords(TimetableDb& db, CodeTable table, QList<CodeRecord>& out, QString* why) {
    return TryOrSay(why, [&] {
        try {
            SQLite::Statement st(db.sql(), StatementsOf(table).load);
            while (st.executeStep())
                out.append({sql::text(st.getColumn(0)), sql::text(st.getColumn(1)),
                            sql::text(st.getColumn(2)), sql::text(st.getColumn(3))});
        } catch (const std::exception& e) {
            throw AsFailure(e, db.path());
        }
    });
}

bool CodeExists(TimetableDb& db, CodeTable table, const QString& code) {
    return sql::hasRow(db.sql(), StatementsOf(table).exists, code);
}

void InsertCodeRecord(TimetableDb& db, CodeTable table, const CodeRecord& r) {
    sql::exec(db.sql(), StatementsOf(table).insert, r.code, r.name, r.fullName, r.shortName);
}

int UpdateCodeRecord(TimetableDb& db, CodeTable table, const CodeRecord& r) {
    return sql::exec(db.sql(), StatementsOf(table).update, r.name, r.fullName, r.shortName, r.code);
}

int DeleteCodeRecord(TimetableDb& db, CodeTable table, const QString& code) {
    SQLite::Database& d = db.sql();
    SQLite::Transaction tx(d);
    int deleted = 0;
    for (const char* statement : StatementsOf(table).deletes)
        if (statement)
            deleted = sql::exec(d, statement, code); // the last one is the record itself
    if (table == CodeTable::Course)
        DeleteCourseRule(d, code);
    tx.commit();
    return deleted;
}
