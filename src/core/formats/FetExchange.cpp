#include "core/formats/FetExchange.h"

#include "core/rules/Placement.h"
#include "core/rules/Quality.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>

namespace {

// FET names days and hours by text; numbers keep the mapping trivial.
QString dayName(int day) {
    return QString::number(day);
}
QString hourName(int lessonNo) {
    return QString::number(lessonNo);
}

class FetWriter {
public:
    explicit FetWriter(QByteArray* out) : m_xml(out) { m_xml.setAutoFormatting(true); }

    void element(const QString& name, const QString& text) { m_xml.writeTextElement(name, text); }
    void element(const QString& name, long long n) { element(name, QString::number(n)); }
    void open(const QString& name) { m_xml.writeStartElement(name); }
    void close() { m_xml.writeEndElement(); }
    QXmlStreamWriter& xml() { return m_xml; }

    // A constraint's opening with its weight; close() after its fields.
    void constraint(const QString& name, int weight) {
        open(name);
        element(QStringLiteral("Weight_Percentage"), weight);
    }
    void endConstraint() {
        element(QStringLiteral("Active"), QStringLiteral("true"));
        element(QStringLiteral("Comments"), QString());
        close();
    }

private:
    QXmlStreamWriter m_xml;
};

struct RowInfo {
    const PlanRow* row;
    QString rowTag;   // the row's own activity tag: its periods are set on it
    QString shareTag; // the tag its daily maximum is set on: the row's, or the course's
    int share = 1;
    std::vector<int> activityIds;
    std::vector<Period> never, avoid, best;
    bool hasPairs = false;
    std::vector<Period> pairStarts; // where its double lessons may start
};

// FET counts a double lesson as two hours of the daily share, where our rule
// counts it once. Its class's share is therefore asked twice: the single
// lessons carry the share tag (at most `share` a day), and every lesson of a
// class and share with double lessons also carries this tag, at most
// share + 1 a day — so a day with a double lesson holds at most share − 1
// singles beside it, and counts share at most.
QString withPairsTag(const QString& shareTag) {
    return QStringLiteral("A:") + shareTag;
}
QString shareKeyOf(const QString& classCode, const QString& shareTag) {
    return classCode + QLatin1Char('\n') + shareTag;
}

void writeSlots(FetWriter& w, const std::vector<Period>& periods, const QString& countName,
                const QString& slotName, const QString& dayField, const QString& hourField) {
    w.element(countName, static_cast<long long>(periods.size()));
    for (const Period& p : periods) {
        w.open(slotName);
        w.element(dayField, dayName(p.day));
        w.element(hourField, hourName(p.lessonNo));
        w.close();
    }
}

std::vector<Period> complement(Week week, const std::vector<Period>& out) {
    std::vector<Period> in;
    week.forEach([&](Period p) {
        if (std::find(out.begin(), out.end(), p) == out.end())
            in.push_back(p);
    });
    return in;
}

// The row's activities may start at these periods only.
// `duration` 2 asks it of the double lessons alone.
void writeStarts(FetWriter& w, const RowInfo& r, const std::vector<Period>& starts, int weight,
                 const QString& duration = QString()) {
    w.constraint(QStringLiteral("ConstraintActivitiesPreferredStartingTimes"), weight);
    w.element(QStringLiteral("Teacher_Name"), QString());
    w.element(QStringLiteral("Students_Name"), QString());
    w.element(QStringLiteral("Subject_Name"), QString());
    w.element(QStringLiteral("Activity_Tag_Name"), r.rowTag);
    w.element(QStringLiteral("Duration"), duration);
    writeSlots(w, starts, QStringLiteral("Number_of_Preferred_Starting_Times"),
               QStringLiteral("Preferred_Starting_Time"), QStringLiteral("Preferred_Starting_Day"),
               QStringLiteral("Preferred_Starting_Hour"));
    w.endConstraint();
}

void writeNotAvailable(FetWriter& w, const QString& constraint, const QString& whoField,
                       const QString& who, const std::vector<Period>& periods) {
    if (periods.empty())
        return;
    w.constraint(constraint, 100);
    w.element(whoField, who);
    writeSlots(w, periods, QStringLiteral("Number_of_Not_Available_Times"),
               QStringLiteral("Not_Available_Time"), QStringLiteral("Day"), QStringLiteral("Hour"));
    w.endConstraint();
}

std::vector<Period> neverCells(const School& s, LimitKind kind, const QString& code) {
    std::vector<Period> out;
    s.timetable.week().forEach([&](Period p) {
        for (const LimitCell& c : s.limits.cellsOn(kind, code, p.day))
            if (c.period == p && c.isLevel(LimitLevel::Never)) {
                out.push_back(p);
                break;
            }
    });
    return out;
}

// A teacher's "不排" periods with those of the teacher's subject group, in
// the week's order.
std::vector<Period> teacherNeverCells(const School& s, const QString& teacher) {
    std::vector<Period> out = neverCells(s, LimitKind::Teacher, teacher);
    const QString group = s.teacherRules.of(teacher).groupCode;
    if (group.isEmpty())
        return out;
    for (Period p : neverCells(s, LimitKind::Group, group))
        if (std::find(out.begin(), out.end(), p) == out.end())
            out.push_back(p);
    std::sort(out.begin(), out.end());
    return out;
}

// Periods where a double lesson of the row may start: its second lesson on
// the same side of the midday break, neither in a "不排" period.
std::vector<Period> pairStartsOf(const School& s, const std::vector<Period>& never) {
    std::vector<Period> starts;
    const Week week = s.timetable.week();
    week.forEach([&](Period p) {
        const Period next{p.day, p.lessonNo + 1};
        if (week.contains(next) && !s.middayBreak.between(p.lessonNo, next.lessonNo) &&
            std::find(never.begin(), never.end(), p) == never.end() &&
            std::find(never.begin(), never.end(), next) == never.end())
            starts.push_back(p);
    });
    return starts;
}

void writeTeacherLimits(FetWriter& w, const School& s, const QStringList& teachers) {
    for (const QString& t : teachers) {
        const TeacherRule& rule = s.teacherRules.of(t);
        if (rule.maxPerDay > 0) {
            w.constraint(QStringLiteral("ConstraintTeacherMaxHoursDaily"), 100);
            w.element(QStringLiteral("Teacher_Name"), t);
            w.element(QStringLiteral("Maximum_Hours_Daily"), rule.maxPerDay);
            w.endConstraint();
        }
        if (rule.maxInRow > 0) {
            w.constraint(QStringLiteral("ConstraintTeacherMaxHoursContinuously"), 100);
            w.element(QStringLiteral("Teacher_Name"), t);
            w.element(QStringLiteral("Maximum_Hours_Continuously"), rule.maxInRow);
            w.endConstraint();
        }
    }
}

} // namespace

FetInput FetInputOf(const School& school, const FetOptions& options) {
    FetInput input;
    const Week week = school.timetable.week();
    School probe = school; // placingOf may add codes to the timetable's indexes

    // Rows in plan order; a row's lessons are its pre-set lessons first.
    std::vector<RowInfo> rows;
    QMap<QString, QStringList> classesOfGrade; // FET years hold the classes
    QStringList courses, teachers;
    auto note = [](QStringList& list, const QString& code) {
        if (!list.contains(code))
            list.push_back(code);
    };
    std::vector<bool> presetUsed(school.timetable.lessons().size(), false);
    for (const PlanRow& row : school.plan) {
        if (!row.isComplete() || row.weeklyLessons() == 0)
            continue;
        RowInfo r{&row, QStringLiteral("R:%1").arg(rows.size() + 1), {}, 1, {}, {}, {}, {}, false,
                  {}};
        const rules::Placing p = rules::placingOf(
            probe, row.classCode, row.courseCode, row.teacherCode, row.weeklyLessons(),
            rules::teacherWeeklyLessons(probe, row.teacherCode));
        r.share = p.dailyShare;
        r.shareTag = p.sharePerCourse ? QStringLiteral("C:%1").arg(row.courseCode) : r.rowTag;
        week.forEach([&](Period q) {
            switch (rules::levelAt(probe, p, q)) {
            case LimitLevel::Never:
                r.never.push_back(q);
                break;
            case LimitLevel::Avoid:
                r.avoid.push_back(q);
                break;
            default:
                break;
            }
            if (rules::atBest(probe, p, q))
                r.best.push_back(q);
        });
        note(classesOfGrade[row.classCode.left(1)], row.classCode);
        note(courses, row.courseCode);
        note(teachers, row.teacherCode);
        // The row's lessons, pre-set ones locked; then pairs of the others
        // become its double lessons.
        std::vector<FetActivity> own;
        for (long long i = 0; i < row.weeklyLessons(); ++i) {
            FetActivity a{static_cast<int>(input.activities.size()) + 1,
                          row.classCode,
                          row.courseCode,
                          row.teacherCode,
                          false,
                          {}};
            const auto& lessons = school.timetable.lessons();
            for (size_t k = 0; k < lessons.size(); ++k) {
                const Lesson& l = lessons[k];
                if (!presetUsed[k] && l.origin == Origin::Preset && week.contains(l.period) &&
                    row.sameLessons(l.classCode, l.courseCode, l.teacherCode)) {
                    presetUsed[k] = true;
                    a.locked = true;
                    a.period = l.period;
                    break;
                }
            }
            own.push_back(a);
        }
        long long toPair = row.weeklyDoubles();
        for (FetActivity& a : own)
            if (!a.locked && toPair > 0 && a.length == 1) {
                a.length = 2;
                --toPair;
            }
        const long long pairs = row.weeklyDoubles() - toPair;
        long long dropped = pairs; // each double lesson takes a second one's place
        for (const FetActivity& a : own) {
            if (!a.locked && a.length == 1 && dropped > 0) {
                --dropped;
                continue;
            }
            FetActivity kept = a;
            kept.id = static_cast<int>(input.activities.size()) + 1;
            r.activityIds.push_back(kept.id);
            input.activities.push_back(kept);
        }
        if (pairs > 0) {
            r.hasPairs = true;
            r.pairStarts = pairStartsOf(school, r.never);
            // The double lessons carry the row's tag, but not its share's.
            if (r.shareTag == r.rowTag)
                r.shareTag = QStringLiteral("S:") + r.rowTag;
        }
        rows.push_back(std::move(r));
    }

    FetWriter w(&input.document);
    w.xml().writeStartDocument();
    w.open(QStringLiteral("fet"));
    w.xml().writeAttribute(QStringLiteral("version"), QStringLiteral("6.8.5"));
    w.element(QStringLiteral("Mode"), QStringLiteral("Official"));
    w.element(QStringLiteral("Institution_Name"), options.institution);
    w.element(QStringLiteral("Comments"), QString());

    w.open(QStringLiteral("Days_List"));
    w.element(QStringLiteral("Number_of_Days"), Week::kDays);
    for (int d = 1; d <= Week::kDays; ++d) {
        w.open(QStringLiteral("Day"));
        w.element(QStringLiteral("Name"), dayName(d));
        w.close();
    }
    w.close();
    w.open(QStringLiteral("Hours_List"));
    w.element(QStringLiteral("Number_of_Hours"), week.lessonsPerDay());
    for (int n = 1; n <= week.lessonsPerDay(); ++n) {
        w.open(QStringLiteral("Hour"));
        w.element(QStringLiteral("Name"), hourName(n));
        w.close();
    }
    w.close();

    auto namedList = [&](const QString& list, const QString& item, const QStringList& names) {
        w.open(list);
        for (const QString& name : names) {
            w.open(item);
            w.element(QStringLiteral("Name"), name);
            w.element(QStringLiteral("Comments"), QString());
            w.close();
        }
        w.close();
    };
    namedList(QStringLiteral("Subjects_List"), QStringLiteral("Subject"), courses);
    QStringList tags;
    QSet<QString> sharesWithPairs; // class and share tag
    QHash<QString, int> singlesOfShare;
    for (const RowInfo& r : rows) {
        note(tags, r.rowTag);
        note(tags, r.shareTag);
        const QString key = shareKeyOf(r.row->classCode, r.shareTag);
        for (int id : r.activityIds)
            singlesOfShare[key] += input.activities[static_cast<size_t>(id - 1)].length == 1;
        if (r.hasPairs) {
            sharesWithPairs.insert(key);
            note(tags, withPairsTag(r.shareTag));
        }
    }
    namedList(QStringLiteral("Activity_Tags_List"), QStringLiteral("Activity_Tag"), tags);
    namedList(QStringLiteral("Teachers_List"), QStringLiteral("Teacher"), teachers);

    w.open(QStringLiteral("Students_List"));
    for (auto it = classesOfGrade.cbegin(); it != classesOfGrade.cend(); ++it) {
        w.open(QStringLiteral("Year"));
        w.element(QStringLiteral("Name"), QStringLiteral("G:%1").arg(it.key()));
        w.element(QStringLiteral("Number_of_Students"), 0);
        for (const QString& cls : it.value()) {
            w.open(QStringLiteral("Group"));
            w.element(QStringLiteral("Name"), cls);
            w.element(QStringLiteral("Number_of_Students"), 0);
            w.close();
        }
        w.close();
    }
    w.close();

    w.open(QStringLiteral("Activities_List"));
    for (const RowInfo& r : rows)
        for (int id : r.activityIds) {
            const FetActivity& a = input.activities[static_cast<size_t>(id - 1)];
            w.open(QStringLiteral("Activity"));
            w.element(QStringLiteral("Teacher"), a.teacherCode);
            w.element(QStringLiteral("Subject"), a.courseCode);
            w.element(QStringLiteral("Activity_Tag"), r.rowTag);
            if (r.shareTag != r.rowTag && a.length == 1)
                w.element(QStringLiteral("Activity_Tag"), r.shareTag);
            if (sharesWithPairs.contains(shareKeyOf(a.classCode, r.shareTag)))
                w.element(QStringLiteral("Activity_Tag"), withPairsTag(r.shareTag));
            w.element(QStringLiteral("Students"), a.classCode);
            w.element(QStringLiteral("Duration"), a.length);
            w.element(QStringLiteral("Total_Duration"), a.length);
            w.element(QStringLiteral("Id"), a.id);
            w.element(QStringLiteral("Activity_Group_Id"), 0);
            w.element(QStringLiteral("Active"), QStringLiteral("true"));
            w.element(QStringLiteral("Comments"), QString());
            w.close();
        }
    w.close();
    w.open(QStringLiteral("Buildings_List"));
    w.close();
    w.open(QStringLiteral("Rooms_List"));
    w.close();

    w.open(QStringLiteral("Time_Constraints_List"));
    w.constraint(QStringLiteral("ConstraintBasicCompulsoryTime"), 100);
    w.endConstraint();
    for (const QString& t : teachers)
        writeNotAvailable(w, QStringLiteral("ConstraintTeacherNotAvailableTimes"),
                          QStringLiteral("Teacher"), t, teacherNeverCells(school, t));
    writeTeacherLimits(w, school, teachers);
    for (const QStringList& classes : classesOfGrade)
        for (const QString& c : classes)
            writeNotAvailable(w, QStringLiteral("ConstraintStudentsSetNotAvailableTimes"),
                              QStringLiteral("Students"), c,
                              neverCells(school, LimitKind::Class, c));
    QSet<QString> shareWritten;
    for (const RowInfo& r : rows) {
        if (!r.never.empty())
            writeStarts(w, r, complement(week, r.never), 100);
        if (r.hasPairs)
            writeStarts(w, r, r.pairStarts, 100, QStringLiteral("2"));
        // Soft: away from "尽量不排", towards "最佳位置".
        if (!r.avoid.empty() && options.avoidWeight > 0) {
            std::vector<Period> out = r.never;
            out.insert(out.end(), r.avoid.begin(), r.avoid.end());
            if (std::vector<Period> in = complement(week, out); !in.empty())
                writeStarts(w, r, in, options.avoidWeight);
        }
        if (!r.best.empty() && options.bestWeight > 0)
            writeStarts(w, r, r.best, options.bestWeight);
        const QString shareKey = shareKeyOf(r.row->classCode, r.shareTag);
        if (!shareWritten.contains(shareKey)) {
            shareWritten.insert(shareKey);
            auto tagMax = [&](const QString& tag, int max) {
                w.constraint(QStringLiteral("ConstraintStudentsSetActivityTagMaxHoursDaily"), 100);
                w.element(QStringLiteral("Students"), r.row->classCode);
                w.element(QStringLiteral("Activity_Tag"), tag);
                w.element(QStringLiteral("Maximum_Hours_Daily"), max);
                w.endConstraint();
            };
            if (singlesOfShare.value(shareKey) > 0)
                tagMax(r.shareTag, r.share);
            if (sharesWithPairs.contains(shareKey))
                tagMax(withPairsTag(r.shareTag), r.share + 1);
        }
    }
    for (const QString& course : courses) {
        const int capacity = school.capacityOf(course);
        if (capacity <= 0)
            continue;
        std::vector<int> ids;
        for (const FetActivity& a : input.activities)
            if (a.courseCode == course)
                ids.push_back(a.id);
        if (ids.size() <= static_cast<size_t>(capacity))
            continue;
        w.constraint(QStringLiteral("ConstraintActivitiesMaxSimultaneousInSelectedTimeSlots"), 100);
        w.element(QStringLiteral("Number_of_Activities"), static_cast<long long>(ids.size()));
        for (int id : ids)
            w.element(QStringLiteral("Activity_Id"), id);
        std::vector<Period> all;
        week.forEach([&](Period p) { all.push_back(p); });
        writeSlots(w, all, QStringLiteral("Number_of_Selected_Time_Slots"),
                   QStringLiteral("Selected_Time_Slot"), QStringLiteral("Selected_Day"),
                   QStringLiteral("Selected_Hour"));
        w.element(QStringLiteral("Max_Number_of_Simultaneous_Activities"), capacity);
        w.endConstraint();
    }
    for (const FetActivity& a : input.activities) {
        if (!a.locked)
            continue;
        w.constraint(QStringLiteral("ConstraintActivityPreferredStartingTime"), 100);
        w.element(QStringLiteral("Activity_Id"), a.id);
        w.element(QStringLiteral("Preferred_Day"), dayName(a.period.day));
        w.element(QStringLiteral("Preferred_Hour"), hourName(a.period.lessonNo));
        w.element(QStringLiteral("Permanently_Locked"), QStringLiteral("true"));
        w.endConstraint();
    }
    // A primary school's day: no free period between lessons, lesson 1 taken.
    w.constraint(QStringLiteral("ConstraintStudentsMaxGapsPerWeek"), 100);
    w.element(QStringLiteral("Max_Gaps"), 0);
    w.endConstraint();
    w.constraint(QStringLiteral("ConstraintStudentsEarlyMaxBeginningsAtSecondHour"), 100);
    w.element(QStringLiteral("Max_Beginnings_At_Second_Hour"), 0);
    w.endConstraint();
    if (options.teacherMaxGapsPerDay >= 0) {
        w.constraint(QStringLiteral("ConstraintTeachersMaxGapsPerDay"), 100);
        w.element(QStringLiteral("Max_Gaps"), options.teacherMaxGapsPerDay);
        w.endConstraint();
    }
    w.close();
    w.open(QStringLiteral("Space_Constraints_List"));
    w.constraint(QStringLiteral("ConstraintBasicCompulsorySpace"), 100);
    w.endConstraint();
    w.close();
    w.close(); // fet
    w.xml().writeEndDocument();
    return input;
}

QString ReadFetTimetable(const QByteArray& xml, const FetInput& input, Week week,
                         std::vector<Lesson>& lessons) {
    QXmlStreamReader r(xml);
    QHash<int, Period> placed;
    int id = 0;
    Period at;
    QString field;
    bool inStart = false;
    const QLatin1String startTime("ConstraintActivityPreferredStartingTime");
    while (!r.atEnd()) {
        switch (r.readNext()) {
        case QXmlStreamReader::StartElement:
            if (r.name() == startTime) {
                inStart = true;
                id = 0;
                at = {};
            }
            field = r.name().toString();
            break;
        case QXmlStreamReader::Characters:
            if (!inStart)
                break;
            if (field == QLatin1String("Activity_Id"))
                id = r.text().toInt();
            else if (field == QLatin1String("Preferred_Day"))
                at.day = r.text().toInt();
            else if (field == QLatin1String("Preferred_Hour"))
                at.lessonNo = r.text().toInt();
            break;
        case QXmlStreamReader::EndElement:
            if (r.name() == startTime) {
                if (id > 0 && week.contains(at))
                    placed.insert(id, at);
                inStart = false;
            }
            field.clear();
            break;
        default:
            break;
        }
    }
    if (r.hasError())
        return QStringLiteral("FET 的课表文件读不了：%1").arg(r.errorString());
    lessons.clear();
    for (const FetActivity& a : input.activities) {
        auto it = placed.constFind(a.id);
        if (it == placed.constEnd())
            continue;
        for (int k = 0; k < a.length; ++k) {
            Lesson l;
            l.classCode = a.classCode;
            l.courseCode = a.courseCode;
            l.teacherCode = a.teacherCode;
            l.period = Period{it->day, it->lessonNo + k};
            l.origin = a.locked ? Origin::Preset : Origin::Generated;
            if (week.contains(l.period))
                lessons.push_back(l);
        }
    }
    return {};
}
