#include "core/store/Maintenance.h"

#include "core/store/DoubleLessons.h"
#include "core/store/Sql.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TeacherRuleStore.h"
#include "core/store/TimetableDb.h"

#include <vector>

QString NextGradeName(const QString& name) {
    static const QString grades = QStringLiteral("一二三四五六");
    if (name.isEmpty())
        return name;
    const qsizetype g = grades.indexOf(name.at(0));
    if (g < 0 || g >= 5)
        return name;
    return grades.at(g + 1) + name.mid(1);
}

namespace {

// 合班 rows go with their classes' plan rows: a link whose first class no
// longer plans the lessons, or whose further class is gone, is dropped.
void maintainJointRows(SQLite::Database& d) {
    if (!d.tableExists("PlanJointtb"))
        return;
    d.exec("delete from PlanJointtb where OtherClassCode not in (select Code from Classtb)"
           " or not exists (select 1 from ClassPlantb p where p.ClassCode = PlanJointtb.ClassCode"
           " and p.CourseCode = PlanJointtb.CourseCode"
           " and p.TeacherCode = PlanJointtb.TeacherCode)");
}

// The year upgrade moves the joint rows with their classes, as it moves the
// plan: grade 6 leaves (a joint row of a grade 6 class ends; a grade 6
// further class leaves its row), the others go up one grade.
void upgradeJointRows(SQLite::Database& d) {
    if (!d.tableExists("PlanJointtb"))
        return;
    d.exec("delete from PlanJointtb where substr(ClassCode,1,1)='6'"
           " or substr(OtherClassCode,1,1)='6'");
    d.exec("update PlanJointtb set ClassCode = (cast(substr(ClassCode,1,1) as integer)+1)"
           " || substr(ClassCode,2) where substr(ClassCode,1,1)>'0'");
    d.exec("update PlanJointtb set OtherClassCode = (cast(substr(OtherClassCode,1,1) as integer)+1)"
           " || substr(OtherClassCode,2) where substr(OtherClassCode,1,1)>'0'");
}

} // namespace

void MaintainData(TimetableDb& db) {
    try {
        SQLite::Database& d = db.sql();
        SQLite::Transaction tx(d);
        d.exec("delete from LessonListtb where ClassCode not in (select Code from Classtb)"
               " or CourseCode not in (select Code from Coursetb)"
               " or TeacherCode not in (select Code from Teachertb)");
        d.exec("delete from ClassPlantb where ClassCode not in (select Code from Classtb)"
               " or CourseCode not in (select Code from Coursetb)"
               " or TeacherCode not in (select Code from Teachertb)");
        // Every lesson of the plan row counts, whatever its SetFlag.
        d.exec("update ClassPlantb set BuildCount = (select count(*) from LessonListtb l"
               " where l.ClassCode = ClassPlantb.ClassCode"
               " and l.CourseCode = ClassPlantb.CourseCode"
               " and l.TeacherCode = ClassPlantb.TeacherCode)");
        d.exec("delete from Limittb where (Kind = 0 and Code not in (select Code from Classtb))"
               " or (Kind = 1 and Code not in (select Code from Coursetb))"
               " or (Kind = 2 and Code not in (select Code from Teachertb))"
               " or (Kind = 3 and Code not in (select Code from ClassRoomtb))");
        // A group's "不排" cells without the group; with no group table, all.
        if (HasTeacherRuleTables(d))
            d.exec("delete from Limittb where Kind = 4"
                   " and Code not in (select Code from TeacherGrouptb)");
        else
            d.exec("delete from Limittb where Kind = 4");
        maintainJointRows(d);
        tx.commit();
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}

bool tryMaintainData(TimetableDb& db, QString* why) {
    return TryOrSay(why, [&] { MaintainData(db); });
}

void UpgradeSchoolYear(TimetableDb& db) {
    try {
        SQLite::Database& d = db.sql();
        SQLite::Transaction tx(d);
        d.exec("delete from LessonListtb where substr(ClassCode,1,1)='6'");
        d.exec("update LessonListtb set ClassCode = (cast(substr(ClassCode,1,1) as integer)+1)"
               " || substr(ClassCode,2) where substr(ClassCode,1,1)>'0'");
        d.exec("delete from ClassPlantb where substr(ClassCode,1,1)='6'");
        d.exec("update ClassPlantb set ClassCode = (cast(substr(ClassCode,1,1) as integer)+1)"
               " || substr(ClassCode,2) where substr(ClassCode,1,1)>'0'");
        UpgradePlanDoubles(d);
        d.exec("delete from Classtb where substr(Code,1,1)='6'");
        upgradeJointRows(d);

        struct Row {
            QString code, name, fullName, shortName;
        };
        std::vector<Row> rows;
        {
            // Descending codes: grade g+1 has moved on before grade g takes its codes.
            SQLite::Statement q(d, "select Code,Name,FullName,ShortName from Classtb"
                                   " where substr(Code,1,1)>'0' order by Code desc");
            while (q.executeStep())
                rows.push_back({sql::text(q.getColumn(0)), sql::text(q.getColumn(1)),
                                sql::text(q.getColumn(2)), sql::text(q.getColumn(3))});
        }
        for (const Row& r : rows) {
            const QString newCode = QString::number(r.code.left(1).toInt() + 1) + r.code.mid(1);
            sql::exec(d, "update Classtb set Code=?,Name=?,FullName=?,ShortName=? where Code=?",
                      newCode, NextGradeName(r.name), NextGradeName(r.fullName),
                      NextGradeName(r.shortName), r.code);
            if (r.code.startsWith('1'))
                sql::exec(d, "insert into Classtb(Code,Name,FullName,ShortName) values(?,?,?,?)",
                          r.code, r.name, r.fullName, r.shortName);
        }
        tx.commit();
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}

bool tryUpgradeSchoolYear(TimetableDb& db, QString* why) {
    return TryOrSay(why, [&] { UpgradeSchoolYear(db); });
}
