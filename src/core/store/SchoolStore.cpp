#include "core/store/SchoolStore.h"

#include "core/model/TextRules.h"
#include "core/store/CourseRuleStore.h"
#include "core/store/DoubleLessons.h"
#include "core/store/Savepoint.h"
#include "core/store/Sql.h"
#include "core/store/TeacherRuleStore.h"
#include "core/store/TimetableDb.h"

#include <limits>
#include <tuple>

namespace {

// An integer column that fits an int; false for Null, text, a real or a value
// beyond int.
bool intOf(const SQLite::Column& c, int& out) {
    if (c.getType() != SQLite::INTEGER)
        return false;
    const long long v = c.getInt64();
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    out = static_cast<int>(v);
    return true;
}

void loadLessons(SQLite::Database& d, Timetable& t) {
    SQLite::Statement st(d, "select ClassCode,Day,LessonNo,CourseCode,TeacherCode,SetFlag,rowid "
                            "from LessonListtb order by rowid");
    while (st.executeStep()) {
        Lesson l;
        l.classCode = sql::text(st.getColumn(0));
        if (!intOf(st.getColumn(1), l.period.day))
            l.period.day = 0; // a day nobody asks about
        const SQLite::Column lessonNo = st.getColumn(2);
        l.lessonNoEmpty = lessonNo.isNull();
        if (!intOf(lessonNo, l.period.lessonNo))
            l.period.lessonNo = Lesson::kNoLessonNo;
        l.courseCode = sql::text(st.getColumn(3));
        l.teacherCode = sql::text(st.getColumn(4));
        l.rowid = st.getColumn(6).getInt64();
        const SQLite::Column flag = st.getColumn(5);
        l.origin = flag.isNull() ? Origin::Unrecorded : originOfSetFlag(flag.getInt64());
        t.add(l);
    }
}

// A database written before 合班 has no PlanJointtb: no joint rows.
void loadJoints(SQLite::Database& d, JointClasses& joints) {
    if (!d.tableExists("PlanJointtb"))
        return;
    SQLite::Statement st(d, "select ClassCode,CourseCode,TeacherCode,OtherClassCode "
                            "from PlanJointtb order by rowid");
    while (st.executeStep())
        joints.add(sql::text(st.getColumn(0)), sql::text(st.getColumn(1)),
                   sql::text(st.getColumn(2)), sql::text(st.getColumn(3)));
}

} // namespace

JointClasses LoadJoints(TimetableDb& db) {
    JointClasses joints;
    loadJoints(db.sql(), joints);
    return joints;
}

Timetable LoadTimetable(TimetableDb& db, Week week) {
    Timetable t(week);
    loadLessons(db.sql(), t);
    return t;
}

School LoadSchool(TimetableDb& db, Week week) {
    SQLite::Database& d = db.sql();
    School s;
    s.timetable = Timetable(week);
    {
        SQLite::Statement st(d, "select rowid,ClassCode,CourseCode,TeacherCode,Count,BuildCount,"
                                "IsAutoBuild from ClassPlantb order by rowid");
        while (st.executeStep()) {
            PlanRow r;
            r.rowid = st.getColumn(0).getInt64();
            r.classCode = sql::text(st.getColumn(1));
            r.courseCode = sql::text(st.getColumn(2));
            r.teacherCode = sql::text(st.getColumn(3));
            if (!st.getColumn(4).isNull())
                r.count = st.getColumn(4).getInt64();
            r.buildCount = st.getColumn(5).getInt64();
            r.autoBuilt = st.getColumn(6).getInt64() != 0;
            s.plan.push_back(r);
        }
        const QHash<QString, long long> doubles = ReadPlanDoubles(d);
        if (!doubles.isEmpty())
            for (PlanRow& r : s.plan)
                r.doubles = doubles.value(PlanDoubleKey(r.classCode, r.courseCode, r.teacherCode));
    }
    s.middayBreak = ReadMiddayBreak(d);
    {
        SQLite::Statement st(d, "select Kind,Code,Day,LessonNo,Attr from Limittb order by rowid");
        while (st.executeStep()) {
            int kind = 0;
            LimitCell cell;
            if (!intOf(st.getColumn(0), kind) || kind < 0 ||
                kind > static_cast<int>(LimitKind::Group) || st.getColumn(1).isNull() ||
                !intOf(st.getColumn(2), cell.period.day) ||
                !intOf(st.getColumn(3), cell.period.lessonNo))
                continue;
            const SQLite::Column a = st.getColumn(4);
            if (a.getType() == SQLite::INTEGER)
                cell.attr = a.getInt();
            else if (!a.isNull())
                cell.attr = LimitCell::kAttrNotANumber;
            s.limits.add(static_cast<LimitKind>(kind), sql::text(st.getColumn(1)), cell);
        }
    }
    s.teacherRules = ReadTeacherRules(d);
    s.courseRules = ReadCourseRules(d);
    loadJoints(d, s.joints);
    // A joint lesson is never half of a double lesson: double lessons stored
    // for a joint row (by an older copy or by hand) do not count.
    if (!s.joints.empty())
        for (PlanRow& r : s.plan)
            if (s.joints.rowOf(r.classCode, r.courseCode, r.teacherCode))
                r.doubles = 0;
    {
        School::Codes codes;
        for (const auto& [statement, set, list] :
             {std::tuple{"select Code, Name, FullName, ShortName from Classtb", &codes.classes,
                         "班级"},
              std::tuple{"select Code, Name, FullName, ShortName from Coursetb", &codes.courses,
                         "课程"},
              std::tuple{"select Code, Name, FullName, ShortName from Teachertb", &codes.teachers,
                         "老师"}}) {
            SQLite::Statement st(d, statement);
            while (st.executeStep()) {
                if (!st.getColumn(0).isNull())
                    set->insert(sql::text(st.getColumn(0)));
                // Stored before the entry windows refused them: told, so the
                // user can retype a name that prints like another one.
                for (int c = 0; c < 4; ++c) {
                    const QString text = sql::text(st.getColumn(c));
                    if (const QString found = HiddenCharacterText(text); !found.isEmpty()) {
                        s.hiddenCharacterNames
                            << QStringLiteral("名称有误：%1 %2「%3」中有%4，请重新输入")
                                   .arg(QString::fromUtf8(list), sql::text(st.getColumn(0)), text,
                                        found);
                        break;
                    }
                }
            }
        }
        s.knownCodes = std::move(codes);
    }
    loadLessons(d, s.timetable);
    return s;
}

void SaveGeneratedTimetable(TimetableDb& db, const School& s) {
    SQLite::Database& d = db.sql();
    Savepoint sp(d);
    d.exec("delete from LessonListtb where SetFlag<>0");
    SQLite::Statement insert(d, "insert into LessonListtb values(?,?,?,?,?,1)");
    for (const Lesson& l : s.timetable.lessons()) {
        if (l.origin != Origin::Generated)
            continue;
        insert.reset();
        sql::bind(insert, l.classCode, l.period.day, l.period.lessonNo, l.courseCode,
                  l.teacherCode);
        insert.exec();
    }
    SQLite::Statement update(d, "update ClassPlantb set BuildCount=?,IsAutoBuild=? where rowid=?");
    for (const PlanRow& r : s.plan) {
        update.reset();
        sql::bind(update, r.buildCount, r.autoBuilt ? 1 : 0, r.rowid);
        update.exec();
    }
    sp.release();
}
