#pragma once
// What a course itself asks of the week (课程名单): how many classes its room
// holds at once (同时上课班数) and how many of its lessons a class may have
// on one day (每天最多节数). An empty value sets nothing.
#include <QHash>
#include <QString>
#include <optional>

struct CourseRule {
    std::optional<int> maxClasses; // 1: one class at a time (an exclusive course)
    std::optional<int> maxPerDay;  // for each class, all its rows of the course together

    bool isEmpty() const { return !maxClasses && !maxPerDay; }
    bool operator==(const CourseRule&) const = default;
};

using CourseRules = QHash<QString, CourseRule>; // by course code
