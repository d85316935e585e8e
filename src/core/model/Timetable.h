#pragma once
// The lessons of one week, with the indexes that answer "who is busy when"
// from memory. Every answer is the one the corresponding count over the
// stored lessons would give; an empty class, course or teacher code matches
// nothing, as a Null code matches nothing in a comparison.
//
// Codes are also known by small numbers (CodeId) so that generation can ask
// its many questions without hashing text; -1 (kNoCode) is a code the
// timetable has never seen, which is busy nowhere.
#include "core/model/Lesson.h"
#include "core/model/Week.h"

#include <QHash>
#include <QString>
#include <array>
#include <vector>

using CodeId = int;
inline constexpr CodeId kNoCode = -1;

class Timetable {
public:
    explicit Timetable(Week week = {}) : m_week(week) {}

    Week week() const { return m_week; }
    // In the order stored, then in the order added.
    const std::vector<Lesson>& lessons() const { return m_lessons; }

    void add(const Lesson& lesson);
    // Moves lessons[index] to another period, keeping its place in the list.
    // Period{} (day 0) takes it out of every question about the week while a
    // move is being judged.
    void setPeriod(size_t index, Period p);
    // Removes lessons[index]; the later lessons move up by one.
    void removeAt(size_t index);
    // Removes every lesson for which pred(lesson) is true; the order of the
    // others stays.
    template <class Pred> void removeIf(Pred pred) {
        std::vector<Lesson> kept;
        kept.reserve(m_lessons.size());
        for (Lesson& l : m_lessons)
            if (!pred(l))
                kept.push_back(std::move(l));
        rebuild(std::move(kept));
    }

    // The numbers of codes; kNoCode for an empty or unknown code.
    CodeId classId(const QString& code) const { return find(m_classIds, code); }
    CodeId courseId(const QString& code) const { return find(m_courseIds, code); }
    CodeId teacherId(const QString& code) const { return find(m_teacherIds, code); }
    // As above, but a new non-empty code gets a number.
    CodeId internClass(const QString& code) { return intern(m_classIds, m_classes, code); }
    CodeId internCourse(const QString& code) { return intern(m_courseIds, m_courses, code); }
    CodeId internTeacher(const QString& code) { return intern(m_teacherIds, m_teachers, code); }

    // Lessons of the class at the period.
    int classLessonsAt(CodeId cls, Period p) const;
    int classLessonsAt(const QString& cls, Period p) const {
        return classLessonsAt(classId(cls), p);
    }
    // Lessons of the teacher at the period, in any class.
    int teacherLessonsAt(CodeId teacher, Period p) const;
    int teacherLessonsAt(const QString& t, Period p) const {
        return teacherLessonsAt(teacherId(t), p);
    }
    // Lessons of the course at the period, in any class.
    int courseLessonsAt(CodeId course, Period p) const;
    int courseLessonsAt(const QString& c, Period p) const {
        return courseLessonsAt(courseId(c), p);
    }
    // The teacher's lessons on the day, in all classes, numbered or not.
    int teacherLessonsOnDay(CodeId teacher, int day) const;
    int teacherLessonsOnDay(const QString& t, int day) const {
        return teacherLessonsOnDay(teacherId(t), day);
    }
    // The class's lessons of the course on the day, numbered or not.
    int classCourseLessonsOnDay(CodeId cls, CodeId course, int day) const;
    int classCourseLessonsOnDay(const QString& cls, const QString& course, int day) const {
        return classCourseLessonsOnDay(classId(cls), courseId(course), day);
    }
    // The class's lessons of the course with the teacher on the day, numbered
    // or not: what one plan row has that day.
    int classRowLessonsOnDay(CodeId cls, CodeId course, CodeId teacher, int day) const;
    int classRowLessonsOnDay(const QString& cls, const QString& course, const QString& teacher,
                             int day) const {
        return classRowLessonsOnDay(classId(cls), courseId(course), teacherId(teacher), day);
    }
    // Does the class have a lesson on the day whose LessonNo is empty? The
    // generator chose best and avoid cells by "LessonNo not in (the class's
    // lessons of the day)", which no cell passes once one of those lessons has
    // a Null LessonNo; the rules keep that.
    bool classHasUnnumberedLesson(CodeId cls, int day) const;
    bool classHasUnnumberedLesson(const QString& cls, int day) const {
        return classHasUnnumberedLesson(classId(cls), day);
    }

    // Indexes into lessons() of the class's lessons at the period, in order.
    std::vector<size_t> classLessonIndexes(const QString& cls, Period p) const;
    // Indexes of the teacher's lessons at the period, in order.
    std::vector<size_t> teacherLessonIndexes(const QString& teacher, Period p) const;
    // Indexes of all the class's lessons, in the week or not, in order: the
    // rules read a class's week from these instead of every lesson.
    const std::vector<size_t>& classLessons(CodeId cls) const;

private:
    // Counts per period: day 1..5 × lesson 0..7; lessons beyond are counted
    // for their day only (nobody asks about them).
    struct Slots {
        std::array<int, (Week::kDays + 1) * (Week::kMaxLessonsPerDay + 1)> n{};
        static bool holds(Period p) {
            return p.day >= 1 && p.day <= Week::kDays && p.lessonNo >= 0 &&
                   p.lessonNo <= Week::kMaxLessonsPerDay;
        }
        static size_t at(Period p) {
            return static_cast<size_t>(p.day) * (Week::kMaxLessonsPerDay + 1) +
                   static_cast<size_t>(p.lessonNo);
        }
        int get(Period p) const { return holds(p) ? n[at(p)] : 0; }
        void add(Period p, int d) {
            if (holds(p))
                n[at(p)] += d;
        }
    };
    using Days = std::array<int, Week::kDays + 1>;
    struct ClassIndex {
        Slots lessons;
        Days unnumbered{};
        std::vector<Days> courseDays; // by course id
        // By course id, then teacher: a class's course has one teacher or
        // two, so a short list beats a hash here.
        std::vector<std::vector<std::pair<CodeId, Days>>> teacherDays;
        Days& rowDaysOf(CodeId course, CodeId teacher);
    };
    struct TeacherIndex {
        Slots lessons;
        Days days{};
    };

    static CodeId find(const QHash<QString, CodeId>& ids, const QString& code) {
        return code.isEmpty() ? kNoCode : ids.value(code, kNoCode);
    }
    template <class Index>
    static CodeId intern(QHash<QString, CodeId>& ids, std::vector<Index>& index,
                         const QString& code) {
        if (code.isEmpty())
            return kNoCode;
        auto it = ids.constFind(code);
        if (it != ids.constEnd())
            return it.value();
        const CodeId id = static_cast<CodeId>(index.size());
        ids.insert(code, id);
        index.emplace_back();
        return id;
    }
    void count(const Lesson& l, int d);
    void rebuild(std::vector<Lesson> lessons);
    void list(size_t index);
    void relist();

    Week m_week;
    std::vector<Lesson> m_lessons;
    QHash<QString, CodeId> m_classIds, m_courseIds, m_teacherIds;
    std::vector<ClassIndex> m_classes;
    std::vector<Slots> m_courses;
    std::vector<TeacherIndex> m_teachers;
    // Every lesson's index under its class and its teacher (by id), whatever
    // its period: a lesson moved out of the week comes back to the same list.
    std::vector<std::vector<size_t>> m_classLessons, m_teacherLessons;
};
