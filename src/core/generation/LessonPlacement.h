#pragma once
// Placing the lessons of one plan row (one class, one course, one teacher)
// into the week under the course time limits.
//
// The lessons of a row are spread over the week by 5 ÷ Count days; each lesson
// goes to the first day, from its starting day on, that has a lesson number
// free for the class and the teacher, allowed by the course limits
// ("最佳位置" cells first, then "正常", then "尽量不排"; "不排" never), not
// taken by another class when the course is exclusive (CourseAttrtb), and
// within the class's daily share of the course. Among the lesson numbers that
// qualify one is drawn at random (BuildRandom).
#include <QString>

class BuildSession;
class TimetableDb;

// Places the row's missing lessons (Count − BuildCount) and marks the row done.
// 0 when every lesson is in place (or there was nothing to place); −1 when a
// lesson found no room or a statement failed. The row is marked done in every
// case where that is possible, so a driver never offers it again.
int PlacePlanRow(BuildSession& s, const QString& classCode, const QString& courseCode,
                 const QString& teacherCode);

// Sets IsAutoBuild of the plan row to 1. 0 on success, −1 on failure.
int MarkPlanRowDone(TimetableDb& db, const QString& classCode, const QString& courseCode,
                    const QString& teacherCode);

// True when the teacher already has teacherCap lessons or more on the day
// Int(dayPosition).
bool TeacherDayFull(BuildSession& s, const QString& teacherCode, double dayPosition,
                    int teacherCap);

// Searches the days from Int(dayPosition) forward to Friday, then from Friday
// back to Monday, all three limit levels on each day. Returns a lesson number
// with dayPosition holding its day (Int of it), or −1 with dayPosition as it was.
int FindDaySlot(BuildSession& s, const QString& classCode, const QString& courseCode,
                const QString& teacherCode, double& dayPosition, double frequency);

// A lesson number on the day at the given limit level (0 best, 1 normal,
// 2 avoid), drawn among those that qualify; −1 when none does.
int FindLessonInDay(BuildSession& s, const QString& classCode, const QString& courseCode,
                    const QString& teacherCode, int day, double frequency, int level);

// True when the class already has Int(frequency) + 1 lessons of the course on
// the day: 1 to 4 lessons a week allow one a day, 5 to 9 two, 10 to 14 three.
bool CourseDayFull(BuildSession& s, const QString& classCode, const QString& courseCode, int day,
                   double frequency);

namespace build_detail {
// PlacePlanRow for the driver: lets a database failure through as an exception
// so that the run can be rolled back as a whole.
int placePlanRow(BuildSession& s, const QString& classCode, const QString& courseCode,
                 const QString& teacherCode);
void markPlanRowDone(TimetableDb& db, const QString& classCode, const QString& courseCode,
                     const QString& teacherCode);
} // namespace build_detail
