#include "core/store/TimetableEdits.h"

#include "core/store/Sql.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

#include <QSet>
#include <algorithm>

namespace {

EditHistory::Rows ReadRows(TimetableDb& db) {
    EditHistory::Rows rows;
    try {
        SQLite::Statement lessons(db.sql(), "select rowid, ClassCode, Day, LessonNo, CourseCode,"
                                            " TeacherCode, SetFlag from LessonListtb");
        while (lessons.executeStep())
            rows.lessons.insert(lessons.getColumn(0).getInt64(),
                                {sql::text(lessons.getColumn(1)), lessons.getColumn(2).getInt(),
                                 lessons.getColumn(3).getInt(), sql::text(lessons.getColumn(4)),
                                 sql::text(lessons.getColumn(5)), lessons.getColumn(6).getInt()});
        SQLite::Statement counters(db.sql(),
                                   "select rowid, BuildCount, IsAutoBuild from ClassPlantb");
        while (counters.executeStep())
            rows.counters.insert(
                counters.getColumn(0).getInt64(),
                {counters.getColumn(1).getInt64(), counters.getColumn(2).getInt64()});
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
    return rows;
}

// Keeps in `before` and `after` only the rows that differ between them.
template <class T> void KeepChanged(QMap<long long, T>& before, QMap<long long, T>& after) {
    QSet<long long> ids;
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        ids.insert(it.key());
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        ids.insert(it.key());
    for (long long id : ids) {
        const auto b = before.constFind(id);
        const auto a = after.constFind(id);
        if (b != before.cend() && a != after.cend() && *b == *a) {
            before.remove(id);
            after.remove(id);
        }
    }
}

Failure Changed() {
    return Failure(QStringLiteral("课表已被其他操作改变，不能再撤销或重做这一步"));
}

} // namespace

void EditHistory::beforeChange(TimetableDb& db) {
    m_before = ReadRows(db);
}

void EditHistory::afterChange(TimetableDb& db, const QString& classCode) {
    if (!m_before)
        return;
    Rows before = std::move(*m_before);
    m_before.reset();
    Rows after = ReadRows(db);
    KeepChanged(before.lessons, after.lessons);
    KeepChanged(before.counters, after.counters);
    if (before.lessons.isEmpty() && after.lessons.isEmpty() && before.counters.isEmpty())
        return;
    m_done.append({classCode, std::move(before), std::move(after)});
    m_undone.clear();
}

QString EditHistory::undo(TimetableDb& db) {
    if (m_done.isEmpty())
        return {};
    const Step& step = m_done.last();
    apply(db, step.after, step.before);
    m_lastPeriods = periodsOf(step);
    m_undone.append(m_done.takeLast());
    return m_undone.last().classCode;
}

QString EditHistory::redo(TimetableDb& db) {
    if (m_undone.isEmpty())
        return {};
    const Step& step = m_undone.last();
    apply(db, step.before, step.after);
    m_lastPeriods = periodsOf(step);
    m_done.append(m_undone.takeLast());
    return m_done.last().classCode;
}

QList<Period> EditHistory::periodsOf(const Step& step) {
    QList<Period> periods;
    for (const Rows* rows : {&step.before, &step.after})
        for (const Lesson& l : rows->lessons)
            if (l.classCode == step.classCode && !periods.contains(Period{l.day, l.lessonNo}))
                periods.append({l.day, l.lessonNo});
    std::sort(periods.begin(), periods.end());
    return periods;
}

// Turns the rows that stand as `from` into `to`, checking first that they do.
void EditHistory::apply(TimetableDb& db, const Rows& from, const Rows& to) {
    try {
        SQLite::Database& d = db.sql();
        SQLite::Transaction tx(d);
        QSet<long long> ids;
        for (auto it = from.lessons.cbegin(); it != from.lessons.cend(); ++it)
            ids.insert(it.key());
        for (auto it = to.lessons.cbegin(); it != to.lessons.cend(); ++it)
            ids.insert(it.key());
        SQLite::Statement read(d, "select ClassCode, Day, LessonNo, CourseCode, TeacherCode,"
                                  " SetFlag from LessonListtb where rowid = ?");
        for (long long id : ids) {
            sql::bind(read, id);
            std::optional<Lesson> now;
            if (read.executeStep())
                now = Lesson{sql::text(read.getColumn(0)), read.getColumn(1).getInt(),
                             read.getColumn(2).getInt(),   sql::text(read.getColumn(3)),
                             sql::text(read.getColumn(4)), read.getColumn(5).getInt()};
            read.reset();
            const auto expected = from.lessons.constFind(id);
            const bool stands = expected == from.lessons.cend() ? !now : now && *now == *expected;
            if (!stands)
                throw Changed();
            sql::exec(d, "delete from LessonListtb where rowid = ?", id);
        }
        // The rows come back under their own rowids, so the table's order — which
        // generation's tie-breaks read — is as it was.
        for (auto it = to.lessons.cbegin(); it != to.lessons.cend(); ++it) {
            const Lesson& l = it.value();
            sql::exec(d,
                      "insert into LessonListtb (rowid, ClassCode, Day, LessonNo, CourseCode,"
                      " TeacherCode, SetFlag) values (?, ?, ?, ?, ?, ?, ?)",
                      it.key(), l.classCode, l.day, l.lessonNo, l.courseCode, l.teacherCode,
                      l.setFlag);
        }
        for (auto it = to.counters.cbegin(); it != to.counters.cend(); ++it) {
            const Counter& was = from.counters.value(it.key());
            const int changed =
                sql::exec(d,
                          "update ClassPlantb set BuildCount = ?, IsAutoBuild = ?"
                          " where rowid = ? and BuildCount = ? and IsAutoBuild = ?",
                          it->buildCount, it->autoBuild, it.key(), was.buildCount, was.autoBuild);
            if (changed != 1)
                throw Changed();
        }
        tx.commit();
    } catch (const Failure&) {
        throw;
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}
