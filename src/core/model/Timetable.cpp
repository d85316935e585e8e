#include "core/model/Timetable.h"

namespace {
bool dayInWeek(int day) {
    return day >= 1 && day <= Week::kDays;
}
} // namespace

void Timetable::count(const Lesson& l, int d) {
    const int day = l.period.day;
    if (!dayInWeek(day))
        return; // never asked about
    const size_t dayIx = static_cast<size_t>(day);
    const CodeId cls = internClass(l.classCode);
    const CodeId course = internCourse(l.courseCode);
    const CodeId teacher = internTeacher(l.teacherCode);
    if (cls != kNoCode) {
        ClassIndex& c = m_classes[static_cast<size_t>(cls)];
        c.lessons.add(l.period, d);
        if (l.lessonNoEmpty)
            c.unnumbered[dayIx] += d;
        if (course != kNoCode) {
            if (c.courseDays.size() <= static_cast<size_t>(course)) {
                c.courseDays.resize(static_cast<size_t>(course) + 1);
                c.teacherDays.resize(static_cast<size_t>(course) + 1);
            }
            c.courseDays[static_cast<size_t>(course)][dayIx] += d;
            c.rowDaysOf(course, teacher)[dayIx] += d;
        }
    }
    if (teacher != kNoCode) {
        TeacherIndex& t = m_teachers[static_cast<size_t>(teacher)];
        t.lessons.add(l.period, d);
        t.days[dayIx] += d;
    }
    if (course != kNoCode)
        m_courses[static_cast<size_t>(course)].add(l.period, d);
}

Timetable::Days& Timetable::ClassIndex::rowDaysOf(CodeId course, CodeId teacher) {
    auto& teachers = teacherDays[static_cast<size_t>(course)];
    for (auto& [t, days] : teachers)
        if (t == teacher)
            return days;
    teachers.push_back({teacher, Days{}});
    return teachers.back().second;
}

int Timetable::classRowLessonsOnDay(CodeId cls, CodeId course, CodeId teacher, int day) const {
    if (cls == kNoCode || course == kNoCode || !dayInWeek(day))
        return 0;
    const auto& byCourse = m_classes[static_cast<size_t>(cls)].teacherDays;
    if (static_cast<size_t>(course) >= byCourse.size())
        return 0;
    for (const auto& [t, days] : byCourse[static_cast<size_t>(course)])
        if (t == teacher)
            return days[static_cast<size_t>(day)];
    return 0;
}

void Timetable::add(const Lesson& lesson) {
    m_lessons.push_back(lesson);
    count(lesson, +1);
    list(m_lessons.size() - 1);
}

void Timetable::list(size_t index) {
    const Lesson& l = m_lessons[index];
    for (auto [id, lists] : {std::pair{internClass(l.classCode), &m_classLessons},
                             std::pair{internTeacher(l.teacherCode), &m_teacherLessons}}) {
        if (id == kNoCode)
            continue;
        if (lists->size() <= static_cast<size_t>(id))
            lists->resize(static_cast<size_t>(id) + 1);
        (*lists)[static_cast<size_t>(id)].push_back(index);
    }
}

void Timetable::relist() {
    m_classLessons.clear();
    m_teacherLessons.clear();
    for (size_t i = 0; i < m_lessons.size(); ++i)
        list(i);
}

const std::vector<size_t>& Timetable::classLessons(CodeId cls) const {
    static const std::vector<size_t> none;
    return cls == kNoCode || static_cast<size_t>(cls) >= m_classLessons.size()
               ? none
               : m_classLessons[static_cast<size_t>(cls)];
}

void Timetable::setPeriod(size_t index, Period p) {
    count(m_lessons[index], -1);
    m_lessons[index].period = p;
    count(m_lessons[index], +1);
}

void Timetable::removeAt(size_t index) {
    count(m_lessons[index], -1);
    m_lessons.erase(m_lessons.begin() + static_cast<std::ptrdiff_t>(index));
    relist(); // the later lessons' indexes moved up
}

void Timetable::rebuild(std::vector<Lesson> lessons) {
    for (ClassIndex& c : m_classes)
        c = ClassIndex{};
    for (Slots& s : m_courses)
        s = Slots{};
    for (TeacherIndex& t : m_teachers)
        t = TeacherIndex{};
    m_lessons = std::move(lessons);
    for (const Lesson& l : m_lessons)
        count(l, +1);
    relist();
}

int Timetable::classLessonsAt(CodeId cls, Period p) const {
    return cls == kNoCode ? 0 : m_classes[static_cast<size_t>(cls)].lessons.get(p);
}

int Timetable::teacherLessonsAt(CodeId teacher, Period p) const {
    return teacher == kNoCode ? 0 : m_teachers[static_cast<size_t>(teacher)].lessons.get(p);
}

int Timetable::courseLessonsAt(CodeId course, Period p) const {
    return course == kNoCode ? 0 : m_courses[static_cast<size_t>(course)].get(p);
}

int Timetable::teacherLessonsOnDay(CodeId teacher, int day) const {
    if (teacher == kNoCode || !dayInWeek(day))
        return 0;
    return m_teachers[static_cast<size_t>(teacher)].days[static_cast<size_t>(day)];
}

int Timetable::classCourseLessonsOnDay(CodeId cls, CodeId course, int day) const {
    if (cls == kNoCode || course == kNoCode || !dayInWeek(day))
        return 0;
    const auto& days = m_classes[static_cast<size_t>(cls)].courseDays;
    return static_cast<size_t>(course) < days.size()
               ? days[static_cast<size_t>(course)][static_cast<size_t>(day)]
               : 0;
}

bool Timetable::classHasUnnumberedLesson(CodeId cls, int day) const {
    if (cls == kNoCode || !dayInWeek(day))
        return false;
    return m_classes[static_cast<size_t>(cls)].unnumbered[static_cast<size_t>(day)] > 0;
}

std::vector<size_t> Timetable::classLessonIndexes(const QString& cls, Period p) const {
    std::vector<size_t> found;
    const CodeId id = classId(cls);
    if (classLessonsAt(id, p) == 0)
        return found;
    for (size_t i : m_classLessons[static_cast<size_t>(id)])
        if (m_lessons[i].period == p && !m_lessons[i].lessonNoEmpty)
            found.push_back(i);
    return found;
}

std::vector<size_t> Timetable::teacherLessonIndexes(const QString& teacher, Period p) const {
    std::vector<size_t> found;
    const CodeId id = teacherId(teacher);
    if (teacherLessonsAt(id, p) == 0)
        return found;
    for (size_t i : m_teacherLessons[static_cast<size_t>(id)])
        if (m_lessons[i].period == p && !m_lessons[i].lessonNoEmpty)
            found.push_back(i);
    return found;
}
