#pragma once
// Hand placing asks the rules before it changes the timetable: what would a
// move, a swap or a new lesson break? The answers come from reasonsAgainst,
// so the colours, the hover texts and the questions of the hand-placing
// windows say what generation and the check would say.
#include "core/rules/Placement.h"
#include "core/rules/WhyUnplaced.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace rules {

// The reasons that hold a lesson back from a period when placed by hand:
// every reason against it that is a rule (isRule); the teacher's daily cap
// only steers generation and is never put to the user.
std::vector<Reason> handReasonsAgainst(const School& school, const Placing& p, Period period);

// The reasons in Chinese, one a line, each naming whose "不排" closes the period
// ("老师 王芳此时间不排"); empty when there are none.
QString describeAll(const School& school, const Placing& p, Period period,
                    const std::vector<Reason>& reasons, const NameOf& nameOf = {});

// A stored lesson (by its index in the timetable) going to another period.
struct HandMove {
    size_t lesson;
    Period to;
};

// What a move would break: the lesson, its new period and the reasons against it.
struct MoveObjection {
    Lesson lesson;
    Period to;
    Placing placing;
    std::vector<Reason> reasons;
};

// The objections to making all the moves at once, each lesson judged at its
// new period on the timetable with every moved lesson taken out; empty when
// nothing would break. A lesson outside every plan row is judged by the
// course's, the teacher's and the class's limits only (its daily share is 1).
// Then the week after all the moves: a row newly over its daily share or
// left without its double lessons is an objection too.
std::vector<MoveObjection> objectionsTo(const School& school, const std::vector<HandMove>& moves);

// The moves of the hand-placing window's swap: the class's lesson shown at
// `selected` goes to `target` and the one shown there, if any, to `selected`.
std::vector<HandMove> swapMoves(const Timetable& t, const QString& classCode, Period selected,
                                Period target);

// The same for a school: a joint lesson (合班) at either period moves as one,
// so the swap is made in each of its classes.
std::vector<HandMove> swapMoves(const School& school, const QString& classCode, Period selected,
                                Period target);
// The other half of the double lesson (连堂) the lesson belongs to, if any:
// its plan row has double lessons and the lesson and an adjacent one of the
// row make a pair, paired from the day's first lesson on as the rules count
// them.
std::optional<size_t> doublePartner(const School& school, size_t lesson);

// The swap of the hand-placing window with double lessons kept whole: the
// class's lesson shown at `selected` goes to `target`, and when it is half of
// a double lesson the other half goes beside it on the same side; the lessons
// standing at their new periods take the periods they leave. Empty when the
// double lesson would leave the day or cross the midday break there.
std::vector<HandMove> unitSwapMoves(const School& school, const QString& classCode, Period selected,
                                    Period target);

// One sentence per objection: "周二第1节是体育的“不排”时间",
// "语文调到周三第2节：本班当天的语文课已排满（每天最多2节）".
QStringList describeObjections(const School& school, const std::vector<MoveObjection>& objections,
                               const NameOf& nameOf = {});

// "周二第1节"
QString periodName(Period period);

} // namespace rules
