#include "core/store/ImportStore.h"

#include "core/store/CourseRuleStore.h"
#include "core/store/DoubleLessons.h"
#include "core/store/JointStore.h"
#include "core/store/Sql.h"
#include "core/store/TeacherRuleStore.h"
#include "core/store/TimeLimits.h"
#include "core/store/TimetableDb.h"

QList<PlanRow> ReadAllPlanRows(TimetableDb& db) {
    // Rows of a class that is not in the class list come last, in stored order.
    SQLite::Statement st(db.sql(),
                         "select P.ClassCode, P.CourseCode, P.TeacherCode, P.Count, P.BuildCount"
                         " from ClassPlantb P"
                         " left join (select Code, min(rowid) as Pos from Classtb group by Code) C"
                         " on C.Code = P.ClassCode"
                         " order by C.Pos is null, C.Pos, P.rowid");
    QList<PlanRow> rows;
    while (st.executeStep()) {
        PlanRow row;
        row.classCode = sql::text(st.getColumn(0));
        row.courseCode = sql::text(st.getColumn(1));
        row.teacherCode = sql::text(st.getColumn(2));
        if (!st.getColumn(3).isNull())
            row.count = st.getColumn(3).getInt64();
        row.buildCount = st.getColumn(4).getInt64();
        rows.append(row);
    }
    return rows;
}

void WriteImport(TimetableDb& db, const ImportAdditions& additions) {
    SQLite::Database& d = db.sql();
    SQLite::Transaction tx(d);
    for (const auto& [table, record] : additions.records)
        InsertCodeRecord(db, table, record);
    for (const NewPlanRow& r : additions.planRows)
        sql::exec(d,
                  "insert into ClassPlantb (ClassCode, CourseCode, TeacherCode, Count, BuildCount,"
                  " IsAutoBuild) values (?, ?, ?, ?, (select count(*) from LessonListtb where"
                  " ClassCode = ? and CourseCode = ? and TeacherCode = ?), 0)",
                  r.classCode, r.courseCode, r.teacherCode, r.count, r.classCode, r.courseCode,
                  r.teacherCode);
    for (const NewJointRow& j : additions.joints)
        InsertJointLinks(d, j.classCode, j.courseCode, j.teacherCode, j.others);
    for (const NewPlanRow& r : additions.planRows)
        if (r.doubles > 0)
            WritePlanDoubles(db, r.classCode, r.courseCode, r.teacherCode, r.doubles);
    for (const auto& [table, record] : additions.renamed)
        UpdateCodeRecord(db, table, record);
    // The lessons already placed keep their teacher: the timetable changes only
    // by generating or by hand, where the clashes of the new teacher are seen.
    for (const ChangedPlanRow& r : additions.changedPlanRows)
        sql::exec(d,
                  "update ClassPlantb set TeacherCode = ?, Count = ?, BuildCount = (select"
                  " count(*) from LessonListtb where ClassCode = ? and CourseCode = ? and"
                  " TeacherCode = ?) where ClassCode = ? and CourseCode = ? and TeacherCode = ?",
                  r.teacherCode, r.count, r.classCode, r.courseCode, r.teacherCode, r.classCode,
                  r.courseCode, r.oldTeacherCode);
    // The double lessons follow the row to its new teacher.
    for (const ChangedPlanRow& r : additions.changedPlanRows) {
        if (r.oldTeacherCode != r.teacherCode)
            WritePlanDoubles(db, r.classCode, r.courseCode, r.oldTeacherCode, 0);
        WritePlanDoubles(db, r.classCode, r.courseCode, r.teacherCode, r.doubles);
    }
    for (const NewPlanRow& r : additions.changedDoubles)
        WritePlanDoubles(db, r.classCode, r.courseCode, r.teacherCode, r.doubles);
    for (const auto& [course, rule] : additions.courseRules)
        WriteCourseRule(d, course, rule);
    for (const auto& [teacher, rule] : additions.teacherRules)
        WriteTeacherRule(db, teacher, rule);
    for (const TimeOffCell& c : additions.timeOff)
        WriteLimit(db, c.kind, c.code, c.period.day, c.period.lessonNo, attrOf(LimitLevel::Never));
    tx.commit();
}
