#include "core/generation/BuildSession.h"

#include "core/store/Sql.h"
#include "core/store/TimetableDb.h"

namespace {

// Count keys: a tag for the question, up to two code ids, a day and a lesson.
enum Tag : quint64 {
    ClassSlot = 1,
    TeacherSlot,
    TeacherDay,
    CourseSlot,
    ClassCourseDay,
    Limits,
    ClassNullLesson
};

constexpr int kNone = -1; // a Null code: matches no code in a comparison

quint64 key(Tag tag, int a, int b, int day, int lessonNo) {
    return (quint64(tag) << 60) | (quint64(quint32(a) & 0xFFFFFu) << 40) |
           (quint64(quint32(b) & 0xFFFFFu) << 20) | (quint64(day & 0x3FF) << 10) |
           quint64(lessonNo & 0x3FF);
}

// Day and lesson numbers outside this range cannot be asked about, so lessons
// that carry them are left out of the counts.
bool inRange(int v) {
    return v >= 0 && v < 0x400;
}

// An integer column value; false for Null, text that is no number, or a
// value out of range.
bool intOf(const SQLite::Column& c, int& out) {
    if (c.getType() != SQLite::INTEGER)
        return false;
    const long long v = c.getInt64();
    if (v < 0 || v >= 0x400)
        return false;
    out = static_cast<int>(v);
    return true;
}

const std::vector<BuildSession::LimitCell> kNoLimits;

} // namespace

BuildSession::BuildSession(TimetableDb& db, int lessonsPerDay)
    : m_db(db), m_lessonsPerDay(lessonsPerDay) {
    SQLite::Database& d = db.sql();
    {
        SQLite::Statement st(d, "select ClassCode,Day,LessonNo,CourseCode,TeacherCode from "
                                "LessonListtb");
        while (st.executeStep()) {
            // A lesson without a usable lesson number still counts for its day.
            int day = 0, lessonNo = -1;
            if (!intOf(st.getColumn(1), day))
                continue;
            if (!intOf(st.getColumn(2), lessonNo))
                lessonNo = -1;
            const bool nullLessonNo = st.getColumn(2).isNull();
            auto code = [&](int i) {
                const SQLite::Column c = st.getColumn(i);
                return c.isNull() ? kNone : internId(sql::text(c));
            };
            countLesson(code(0), day, lessonNo, code(3), code(4), nullLessonNo);
        }
    }
    {
        SQLite::Statement st(d, "select Code,Day,LessonNo,Attr from Limittb where Kind=1 "
                                "order by rowid");
        while (st.executeStep()) {
            int day = 0, lessonNo = 0;
            if (st.getColumn(0).isNull() || !intOf(st.getColumn(1), day) ||
                !intOf(st.getColumn(2), lessonNo))
                continue;
            const SQLite::Column a = st.getColumn(3);
            LimitCell cell{lessonNo, LimitCell::Attr::Number, 0};
            if (a.getType() == SQLite::INTEGER)
                cell.attr = a.getInt();
            else
                cell.kind = a.isNull() ? LimitCell::Attr::Null : LimitCell::Attr::Other;
            m_limits[key(Limits, internId(sql::text(st.getColumn(0))), 0, day, 0)].push_back(cell);
        }
    }
    {
        SQLite::Statement st(d, "select CourseCode from CourseAttrtb");
        while (st.executeStep())
            if (!st.getColumn(0).isNull())
                m_exclusive.insert(internId(sql::text(st.getColumn(0))), true);
    }
    m_insert =
        std::make_unique<SQLite::Statement>(d, "insert into LessonListtb values(?,?,?,?,?,1)");
    m_update = std::make_unique<SQLite::Statement>(
        d, "update ClassPlantb set BuildCount=? where ClassCode=? and CourseCode=? and "
           "TeacherCode=?");
}

BuildSession::~BuildSession() = default;

int BuildSession::id(const QString& code) const {
    return m_ids.value(code, kNone);
}

int BuildSession::internId(const QString& code) {
    auto it = m_ids.constFind(code);
    if (it != m_ids.constEnd())
        return it.value();
    const int n = static_cast<int>(m_ids.size());
    m_ids.insert(code, n);
    return n;
}

void BuildSession::countLesson(int cls, int day, int lessonNo, int course, int teacher,
                               bool nullLessonNo) {
    const bool slot = lessonNo >= 0; // -1: no lesson number, counted for the day only
    if (cls != kNone) {
        if (slot)
            ++m_counts[key(ClassSlot, cls, 0, day, lessonNo)];
        if (nullLessonNo)
            ++m_counts[key(ClassNullLesson, cls, 0, day, 0)];
        if (course != kNone)
            ++m_counts[key(ClassCourseDay, cls, course, day, 0)];
    }
    if (teacher != kNone) {
        if (slot)
            ++m_counts[key(TeacherSlot, teacher, 0, day, lessonNo)];
        ++m_counts[key(TeacherDay, teacher, 0, day, 0)];
    }
    if (course != kNone && slot)
        ++m_counts[key(CourseSlot, course, 0, day, lessonNo)];
}

bool BuildSession::classBusy(const QString& classCode, int day, int lessonNo) const {
    const int c = id(classCode);
    return c != kNone && inRange(day) && inRange(lessonNo) &&
           m_counts.value(key(ClassSlot, c, 0, day, lessonNo)) > 0;
}

bool BuildSession::teacherBusy(const QString& teacherCode, int day, int lessonNo) const {
    const int t = id(teacherCode);
    return t != kNone && inRange(day) && inRange(lessonNo) &&
           m_counts.value(key(TeacherSlot, t, 0, day, lessonNo)) > 0;
}

bool BuildSession::classHasNullLesson(const QString& classCode, int day) const {
    const int c = id(classCode);
    return c != kNone && inRange(day) && m_counts.value(key(ClassNullLesson, c, 0, day, 0)) > 0;
}

int BuildSession::teacherLessonsOnDay(const QString& teacherCode, int day) const {
    const int t = id(teacherCode);
    if (t == kNone || !inRange(day))
        return 0;
    return m_counts.value(key(TeacherDay, t, 0, day, 0));
}

int BuildSession::classCourseLessonsOnDay(const QString& classCode, const QString& courseCode,
                                          int day) const {
    const int c = id(classCode), k = id(courseCode);
    if (c == kNone || k == kNone || !inRange(day))
        return 0;
    return m_counts.value(key(ClassCourseDay, c, k, day, 0));
}

bool BuildSession::exclusiveTaken(const QString& courseCode, int day, int lessonNo) const {
    const int k = id(courseCode);
    return k != kNone && m_exclusive.contains(k) && inRange(day) && inRange(lessonNo) &&
           m_counts.value(key(CourseSlot, k, 0, day, lessonNo)) > 0;
}

const std::vector<BuildSession::LimitCell>& BuildSession::courseLimits(const QString& courseCode,
                                                                       int day) const {
    const int k = id(courseCode);
    if (k == kNone || !inRange(day))
        return kNoLimits;
    auto it = m_limits.constFind(key(Limits, k, 0, day, 0));
    return it == m_limits.constEnd() ? kNoLimits : it.value();
}

void BuildSession::insertLesson(const QString& classCode, int day, int lessonNo,
                                const QString& courseCode, const QString& teacherCode) {
    m_insert->reset();
    sql::bind(*m_insert, classCode, day, lessonNo, courseCode, teacherCode);
    m_insert->exec();
    if (inRange(day) && inRange(lessonNo))
        countLesson(internId(classCode), day, lessonNo, internId(courseCode),
                    internId(teacherCode));
}

void BuildSession::writeBuildCount(const QString& classCode, const QString& courseCode,
                                   const QString& teacherCode, int built) {
    m_update->reset();
    sql::bind(*m_update, built, classCode, courseCode, teacherCode);
    m_update->exec();
}
