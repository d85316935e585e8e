#include "core/store/TeacherRuleStore.h"

#include "core/store/Savepoint.h"
#include "core/store/Sql.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

#include <QStringList>

bool HasTeacherRuleTables(SQLite::Database& d) {
    return sql::hasRow(d, "select name from sqlite_master where type='table' and name=?",
                       "TeacherRuletb");
}

void EnsureTeacherRuleTables(SQLite::Database& d) {
    d.exec("CREATE TABLE IF NOT EXISTS TeacherRuletb (TeacherCode TEXT, MaxPerDay INTEGER, "
           "MaxInRow INTEGER, GroupCode TEXT)");
    d.exec("CREATE TABLE IF NOT EXISTS TeacherGrouptb (Code TEXT, Name TEXT, FullName TEXT, "
           "ShortName TEXT)");
}

namespace {

// A stored limit: a positive integer, anything else (Null, text, 0) is none.
int limitOf(const SQLite::Column& c) {
    if (c.getType() != SQLite::INTEGER)
        return 0;
    const long long v = c.getInt64();
    return v > 0 && v < 1000 ? static_cast<int>(v) : 0;
}

} // namespace

TeacherRules ReadTeacherRules(SQLite::Database& d) {
    TeacherRules rules;
    if (!HasTeacherRuleTables(d))
        return rules;
    {
        SQLite::Statement st(d, "select TeacherCode,MaxPerDay,MaxInRow,GroupCode from "
                                "TeacherRuletb order by rowid");
        while (st.executeStep()) {
            if (st.getColumn(0).isNull())
                continue;
            TeacherRule r;
            r.maxPerDay = limitOf(st.getColumn(1));
            r.maxInRow = limitOf(st.getColumn(2));
            r.groupCode = sql::text(st.getColumn(3));
            rules.set(sql::text(st.getColumn(0)), r); // a later row of the teacher wins
        }
    }
    {
        SQLite::Statement st(d, "select Code,Name from TeacherGrouptb order by rowid");
        while (st.executeStep()) {
            const QString code = sql::text(st.getColumn(0));
            if (!code.isEmpty() && !rules.groupNames.contains(code))
                rules.groupNames.insert(code, sql::text(st.getColumn(1)));
        }
    }
    return rules;
}

QString GetGroupCode(TimetableDb& db, const QString& name) {
    if (!HasTeacherRuleTables(db.sql()))
        return {};
    return sql::firstText(db.sql(), "select Code from TeacherGrouptb where Name=? order by rowid",
                          name);
}

TeacherRules ReadTeacherRules(TimetableDb& db) {
    return ReadTeacherRules(db.sql());
}

namespace {

void writeRule(SQLite::Database& d, const QString& teacher, const TeacherRule& r) {
    sql::exec(d, "delete from TeacherRuletb where TeacherCode=?", teacher);
    if (r.maxPerDay <= 0 && r.maxInRow <= 0 && r.groupCode.isEmpty())
        return; // nothing to keep
    SQLite::Statement st(d, "insert into TeacherRuletb (TeacherCode,MaxPerDay,MaxInRow,GroupCode) "
                            "values (?,?,?,?)");
    sql::bindOne(st, 1, teacher);
    if (r.maxPerDay > 0)
        sql::bindOne(st, 2, r.maxPerDay);
    if (r.maxInRow > 0)
        sql::bindOne(st, 3, r.maxInRow);
    if (!r.groupCode.isEmpty())
        sql::bindOne(st, 4, r.groupCode);
    st.exec();
}

int writeAll(SQLite::Database& d, std::optional<int> maxPerDay, std::optional<int> maxInRow) {
    Savepoint sp(d);
    EnsureTeacherRuleTables(d);
    const TeacherRules now = ReadTeacherRules(d);
    int written = 0;
    SQLite::Statement st(d, "select Code from Teachertb where Code<>'' order by rowid");
    QStringList teachers;
    while (st.executeStep())
        teachers << sql::text(st.getColumn(0));
    teachers.removeDuplicates();
    for (const QString& t : teachers) {
        TeacherRule r = now.of(t);
        if (maxPerDay)
            r.maxPerDay = *maxPerDay;
        if (maxInRow)
            r.maxInRow = *maxInRow;
        writeRule(d, t, r);
        ++written;
    }
    sp.release();
    return written;
}

} // namespace

void WriteTeacherRule(TimetableDb& db, const QString& teacherCode, const TeacherRule& rule) {
    try {
        SQLite::Database& d = db.sql();
        Savepoint sp(d);
        EnsureTeacherRuleTables(d);
        writeRule(d, teacherCode, rule);
        sp.release();
    } catch (const Failure&) {
        throw;
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}

int WriteLimitsOfAllTeachers(TimetableDb& db, std::optional<int> maxPerDay,
                             std::optional<int> maxInRow) {
    try {
        return writeAll(db.sql(), maxPerDay, maxInRow);
    } catch (const Failure&) {
        throw;
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}
