#pragma once
// Time limits: how welcome a lesson is at one period of a class, course,
// teacher or classroom (Limittb).
#include "core/model/Week.h"

#include <QHash>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

// Limittb.Kind
// Group (教研组) is newer: older copies of the program read only the kinds
// they know, so its cells do not disturb them.
enum class LimitKind { Class = 0, Course = 1, Teacher = 2, ClassRoom = 3, Group = 4 };

// Limittb.Attr: "最佳位置", "正常", "尽量不排", "不排".
enum class LimitLevel { Best = 0, Normal = 1, Avoid = 2, Never = 3 };

constexpr int attrOf(LimitLevel level) {
    return static_cast<int>(level);
}

// One stored limit: the period and its Attr as read.
struct LimitCell {
    // Attr of a cell whose stored value is text that is no number.
    static constexpr int kAttrNotANumber = -0x7fffffff;

    Period period;
    std::optional<int> attr; // empty when Null

    bool isLevel(LimitLevel level) const { return attr && *attr == attrOf(level); }
    // A cell that takes its period out of the normal level ("Attr<>1"): every
    // value but 1, and not Null.
    bool takesOutOfNormal() const { return attr && *attr != attrOf(LimitLevel::Normal); }
};

// The stored limits of every object, each object's cells per day in the order
// stored (generation draws among best cells in that order).
class Limits {
public:
    void add(LimitKind kind, const QString& code, const LimitCell& cell) {
        if (cell.period.day < 1 || cell.period.day > Week::kDays)
            return; // never asked about
        m_cells[key(kind, code)][static_cast<size_t>(cell.period.day - 1)].push_back(cell);
    }
    // Takes the object's cells at the period out: a change tried on a copy.
    void removeAt(LimitKind kind, const QString& code, Period period) {
        auto it = m_cells.find(key(kind, code));
        if (it == m_cells.end() || period.day < 1 || period.day > Week::kDays)
            return;
        std::vector<LimitCell>& cells = it.value()[static_cast<size_t>(period.day - 1)];
        std::erase_if(cells, [&](const LimitCell& c) { return c.period == period; });
    }
    // The cells of the object on the day (1..5), in the order stored.
    const std::vector<LimitCell>& cellsOn(LimitKind kind, const QString& code, int day) const {
        static const std::vector<LimitCell> none;
        if (day < 1 || day > Week::kDays)
            return none;
        auto it = m_cells.constFind(key(kind, code));
        return it == m_cells.constEnd() ? none : it.value()[static_cast<size_t>(day - 1)];
    }

private:
    struct PerDay {
        std::vector<LimitCell> days[Week::kDays];
        std::vector<LimitCell>& operator[](size_t i) { return days[i]; }
        const std::vector<LimitCell>& operator[](size_t i) const { return days[i]; }
    };
    using Key = std::pair<int, QString>;
    static Key key(LimitKind kind, const QString& code) { return {static_cast<int>(kind), code}; }
    QHash<Key, PerDay> m_cells;
};
