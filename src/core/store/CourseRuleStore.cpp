#include "core/store/CourseRuleStore.h"

#include "core/store/Savepoint.h"
#include "core/store/Sql.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

namespace {

bool hasRuleTable(SQLite::Database& d) {
    return sql::hasRow(d, "select 1 from sqlite_master where type = 'table' and name = ?",
                       "CourseRuletb");
}

std::optional<int> positive(const SQLite::Column& c) {
    if (c.getType() != SQLite::INTEGER || c.getInt64() <= 0 || c.getInt64() > 1000)
        return std::nullopt; // Null, text or nonsense: no setting
    return c.getInt();
}

void bindValue(SQLite::Statement& st, int i, const std::optional<int>& v) {
    if (v)
        st.bind(i, *v);
    else
        st.bind(i);
}

} // namespace

CourseRules ReadCourseRules(SQLite::Database& d) {
    CourseRules rules;
    {
        SQLite::Statement st(d, "select CourseCode from CourseAttrtb");
        while (st.executeStep())
            if (!st.getColumn(0).isNull())
                rules[sql::text(st.getColumn(0))].maxClasses = 1;
    }
    if (!hasRuleTable(d))
        return rules;
    SQLite::Statement st(d, "select CourseCode, MaxClasses, MaxPerDay from CourseRuletb "
                            "order by rowid");
    while (st.executeStep()) {
        if (st.getColumn(0).isNull())
            continue;
        CourseRule& r = rules[sql::text(st.getColumn(0))];
        if (const auto n = positive(st.getColumn(1)))
            r.maxClasses = n;
        r.maxPerDay = positive(st.getColumn(2));
    }
    for (auto it = rules.begin(); it != rules.end();)
        it = it->isEmpty() ? rules.erase(it) : std::next(it);
    return rules;
}

CourseRules ReadCourseRules(TimetableDb& db) {
    return ReadCourseRules(db.sql());
}

void WriteCourseRule(SQLite::Database& d, const QString& code, const CourseRule& rule) {
    // An older database gets the table with its first setting, not before.
    if (!rule.isEmpty())
        d.exec("create table if not exists CourseRuletb (CourseCode TEXT, MaxClasses INTEGER, "
               "MaxPerDay INTEGER)");
    if (hasRuleTable(d))
        sql::exec(d, "delete from CourseRuletb where CourseCode = ?", code);
    if (!rule.isEmpty()) {
        SQLite::Statement st(d, "insert into CourseRuletb (CourseCode, MaxClasses, MaxPerDay) "
                                "values (?, ?, ?)");
        sql::bindOne(st, 1, code);
        bindValue(st, 2, rule.maxClasses);
        bindValue(st, 3, rule.maxPerDay);
        st.exec();
    }
    const bool exclusive = rule.maxClasses == 1;
    if (exclusive != sql::hasRow(d, "select 1 from CourseAttrtb where CourseCode = ?", code)) {
        if (exclusive)
            sql::exec(d, "insert into CourseAttrtb (CourseCode) values (?)", code);
        else
            sql::exec(d, "delete from CourseAttrtb where CourseCode = ?", code);
    }
}

void WriteCourseRule(TimetableDb& db, const QString& code, const CourseRule& rule) {
    try {
        Savepoint sp(db.sql());
        WriteCourseRule(db.sql(), code, rule);
        sp.release();
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}

void DeleteCourseRule(SQLite::Database& d, const QString& code) {
    sql::exec(d, "delete from CourseAttrtb where CourseCode = ?", code);
    if (hasRuleTable(d))
        sql::exec(d, "delete from CourseRuletb where CourseCode = ?", code);
}
