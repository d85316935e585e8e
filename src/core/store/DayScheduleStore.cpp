#include "core/store/DayScheduleStore.h"

#include "core/store/Savepoint.h"
#include "core/store/Sql.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

namespace {

bool HasTable(SQLite::Database& db, const char* name) {
    return sql::hasRow(db, "select 1 from sqlite_master where type = 'table' and name = ?", name);
}

} // namespace

DaySchedule LoadDaySchedule(TimetableDb& db, const QDate& today) {
    DaySchedule s = DefaultDaySchedule(today);
    try {
        SQLite::Database& con = db.sql();
        if (HasTable(con, "LessonTimetb")) {
            SQLite::Statement st(con, "select LessonNo, StartTime, EndTime from LessonTimetb "
                                      "order by rowid");
            while (st.executeStep()) {
                const int n = st.getColumn(0).getInt();
                const int start = ParseClock(sql::text(st.getColumn(1)));
                const int end = ParseClock(sql::text(st.getColumn(2)));
                if (n >= 1 && n <= Week::kMaxLessonsPerDay && start >= 0 && end > start)
                    s.lessons.at(static_cast<size_t>(n - 1)) = {start, end};
            }
        }
        if (HasTable(con, "TermDaytb")) {
            SQLite::Statement st(con, "select FirstDay, LastDay from TermDaytb order by rowid");
            if (st.executeStep()) {
                const QDate first = QDate::fromString(sql::text(st.getColumn(0)), Qt::ISODate);
                const QDate last = QDate::fromString(sql::text(st.getColumn(1)), Qt::ISODate);
                if (first.isValid() && last.isValid() && first <= last) {
                    s.firstDay = first;
                    s.lastDay = last;
                }
            }
        }
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
    return s;
}

void SaveDaySchedule(TimetableDb& db, const DaySchedule& schedule) {
    try {
        SQLite::Database& con = db.sql();
        Savepoint sp(con);
        con.exec("CREATE TABLE IF NOT EXISTS LessonTimetb "
                 "(LessonNo INTEGER, StartTime TEXT, EndTime TEXT)");
        con.exec("CREATE TABLE IF NOT EXISTS TermDaytb (FirstDay TEXT, LastDay TEXT)");
        con.exec("delete from LessonTimetb");
        con.exec("delete from TermDaytb");
        for (int n = 1; n <= Week::kMaxLessonsPerDay; ++n) {
            const LessonTime& t = schedule.lesson(n);
            sql::exec(con,
                      "insert into LessonTimetb (LessonNo, StartTime, EndTime) values (?, ?, ?)", n,
                      ClockText(t.start), ClockText(t.end));
        }
        sql::exec(con, "insert into TermDaytb (FirstDay, LastDay) values (?, ?)",
                  schedule.firstDay.toString(Qt::ISODate), schedule.lastDay.toString(Qt::ISODate));
        sp.release();
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}
