#pragma once
// A period of the school week and the shape of the week itself.
// One lesson time: Day 1 (Monday) to 5 (Friday), LessonNo 1 to the lessons per
// day. Values outside that are kept as read, so that damaged rows can be shown.
struct Period {
    int day = 0;
    int lessonNo = 0;
    bool operator==(const Period&) const = default;
    bool operator<(const Period& o) const {
        return day != o.day ? day < o.day : lessonNo < o.lessonNo;
    }
};

// Five days of six or seven lessons.
class Week {
public:
    static constexpr int kDays = 5;
    static constexpr int kMaxLessonsPerDay = 7;

    // 7 or more lessons read as 7, anything else as 6, as the setting is read.
    static constexpr Week ofLessons(int lessonsPerDay) {
        return Week(lessonsPerDay >= kMaxLessonsPerDay ? kMaxLessonsPerDay : 6);
    }
    constexpr Week() = default;

    constexpr int lessonsPerDay() const { return m_lessons; }
    constexpr int periodCount() const { return kDays * m_lessons; }
    constexpr bool contains(Period p) const {
        return p.day >= 1 && p.day <= kDays && p.lessonNo >= 1 && p.lessonNo <= m_lessons;
    }
    // Calls fn(Period) for every period, Monday's first lesson first.
    template <class Fn> constexpr void forEach(Fn fn) const {
        for (int day = 1; day <= kDays; ++day)
            for (int n = 1; n <= m_lessons; ++n)
                fn(Period{day, n});
    }
    constexpr bool operator==(const Week&) const = default;

private:
    constexpr explicit Week(int lessons) : m_lessons(lessons) {}
    int m_lessons = 6;
};

// The midday break lies after the morning's last lesson ("上午 N 节", 4
// unless the school sets it): double lessons and lessons in a row never
// reach across it. A morning as long as the day leaves no break.
struct MiddayBreak {
    static constexpr int kDefaultMorning = 4;
    static constexpr int kMinMorning = 1;
    static constexpr int kMaxMorning = Week::kMaxLessonsPerDay;

    int morningLessons = kDefaultMorning;

    static constexpr bool fits(long long morning) {
        return morning >= kMinMorning && morning <= kMaxMorning;
    }
    // Lesson numbers a and b of one day lie on either side of the break.
    constexpr bool between(int a, int b) const {
        return (a <= morningLessons) != (b <= morningLessons);
    }
    constexpr bool operator==(const MiddayBreak&) const = default;
};
