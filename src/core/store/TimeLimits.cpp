#include "core/store/TimeLimits.h"

#include "core/store/Lookups.h"
#include "core/store/Savepoint.h"
#include "core/store/Sql.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TeacherRuleStore.h"
#include "core/store/TimetableDb.h"

namespace {

struct AttrInfo {
    const char* cellText;
    const char* menuText;
    const char* menuName;
};

const AttrInfo kAttrs[] = {
    {"最佳位置", "排课最佳位置", "mnuZuiJiaWeiZhi"},
    {"正常", "正常", "mnuNormal"},
    {"尽量不排", "尽量不排", "mnuJinLiangBuPai"},
    {"不排", "不排", "mnuBuPai"},
};

bool knownAttr(int attr) {
    return attr >= 0 && attr <= 3;
}

const LimitFamily kFamilies[] = {
    {LimitKind::Class, "frmClassLimitInput", "班级上课时间限制", "CmbClass", "lblClass", "班级",
     "CmdPrevClass", "上一班级(&P)", "CmdNextClass", "下一班级(&N)",
     "select Name from Classtb order by rowid", &GetClassCode, false, true},
    {LimitKind::Course, "frmCourseLimitInput", "课程上课时间限制", "CmbCourse", "lblClass", "课程",
     "CmdPrev", "上一课程(&P)", "CmdNext", "下一课程(&N)",
     "select Name from Coursetb order by rowid", &GetCourseCode, true, false},
    {LimitKind::Teacher, "frmTeacherLimitInput", "老师上课时间限制", "CmbTeacher", "lblTeacher",
     "老师", "CmdPrev", "上一老师(&P)", "CmdNext", "下一老师(&N)",
     "select Name from Teachertb order by rowid", &GetTeacherCode, false, true},
    {LimitKind::ClassRoom, "frmClassRoomLimitInput", "公共教室上课时间限制", "CmbClassRoom",
     "lblClassRoom", "教室", "CmdPrev", "上一教室(&P)", "CmdNext", "下一教室(&N)",
     "select Name from ClassRoomtb order by rowid", &GetClassRoomCode, false, true},
    // A group's "不排" is its meeting time; like a course, a group without
    // cells is left unwritten (nothing of it is read as a limit then).
    {LimitKind::Group, "frmGroupLimitInput", "教研组上课时间限制", "CmbGroup", "lblGroup", "教研组",
     "CmdPrev", "上一教研组(&P)", "CmdNext", "下一教研组(&N)",
     "select Name from TeacherGrouptb order by rowid", &GetGroupCode, true, false},
};

} // namespace

QString LimitAttrText(int attr) {
    return knownAttr(attr) ? QString::fromUtf8(kAttrs[attr].cellText) : QString();
}

int LimitAttrOfText(const QString& t) {
    for (int attr = 0; attr <= 3; ++attr)
        if (t == QString::fromUtf8(kAttrs[attr].cellText))
            return attr;
    return -1;
}

QString LimitMenuText(int attr) {
    return knownAttr(attr) ? QString::fromUtf8(kAttrs[attr].menuText) : QString();
}

const char* LimitMenuObjectName(int attr) {
    return knownAttr(attr) ? kAttrs[attr].menuName : "";
}

const LimitFamily& LimitFamilyOf(LimitKind kind) {
    return kFamilies[static_cast<int>(kind)];
}

int LimitLessonsPerDay(const LimitFamily& family, int lessonsPerDay) {
    return family.followsLessonsPerDay && lessonsPerDay == 7 ? 7 : 6;
}

QStringList LimitObjectNames(TimetableDb& db, const LimitFamily& family) {
    if (family.kind == LimitKind::Group && !HasTeacherRuleTables(db.sql()))
        return {};
    SQLite::Statement st(db.sql(), family.namesQuery);
    QStringList names;
    while (st.executeStep())
        names << sql::text(st.getColumn(0));
    return names;
}

QList<LimitCell> ReadLimits(TimetableDb& db, LimitKind kind, const QString& code) {
    SQLite::Statement st(db.sql(), "select Day, LessonNo, Attr from Limittb where Kind=? and "
                                   "Code=? order by rowid");
    sql::bind(st, static_cast<int>(kind), code);
    QList<LimitCell> cells;
    while (st.executeStep()) {
        // A Null day or lesson makes the row unusable; -1 keeps it out of every cell.
        auto number = [&](int i) {
            const SQLite::Column c = st.getColumn(i);
            return c.isNull() ? -1 : c.getInt();
        };
        LimitCell cell{Period{number(0), number(1)}, std::nullopt};
        const SQLite::Column attr = st.getColumn(2);
        if (attr.getType() == SQLite::INTEGER)
            cell.attr = attr.getInt();
        else if (!attr.isNull())
            cell.attr = LimitCell::kAttrNotANumber;
        cells.append(cell);
    }
    return cells;
}

void WriteLimit(TimetableDb& db, LimitKind kind, const QString& code, int day, int lessonNo,
                int attr) {
    SQLite::Database& d = db.sql();
    const int k = static_cast<int>(kind);
    if (sql::hasRow(d, "select Code from Limittb where Kind=? and Code=? and Day=? and LessonNo=?",
                    k, code, day, lessonNo))
        sql::exec(d, "update Limittb set Attr=? where Kind=? and Code=? and Day=? and LessonNo=?",
                  attr, k, code, day, lessonNo);
    else
        sql::exec(d, "insert into Limittb values(?,?,?,?,?)", k, code, day, lessonNo, attr);
}

void WriteLimits(TimetableDb& db, LimitKind kind, const QString& code, const QList<Period>& periods,
                 int attr) {
    try {
        Savepoint sp(db.sql());
        for (const Period& p : periods)
            WriteLimit(db, kind, code, p.day, p.lessonNo, attr);
        sp.release();
    } catch (const Failure&) {
        throw;
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}

void WriteAllNormal(TimetableDb& db, LimitKind kind, const QString& code, int lessonsPerDay) {
    SQLite::Transaction tx(db.sql());
    for (int lessonNo = 1; lessonNo <= lessonsPerDay; ++lessonNo)
        for (int day = 1; day <= 5; ++day)
            WriteLimit(db, kind, code, day, lessonNo, attrOf(LimitLevel::Normal));
    tx.commit();
}
