#include "core/formats/PublishSet.h"

#include "core/store/CodeRecords.h"
#include "core/store/DayScheduleStore.h"
#include "core/store/ScheduleRecords.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

#include <QHash>
#include <QRegularExpression>

namespace {

struct Key {
    QString who;
    int day;
    int lessonNo;
    QString course;
    bool operator==(const Key&) const = default;
};
size_t qHash(const Key& k, size_t seed = 0) {
    return qHashMulti(seed, k.who, k.day, k.lessonNo, k.course);
}

// Codes make file names that stay the same from one publication to the next,
// so a bookmarked page keeps working; codes that are not plain letters and
// digits fall back to the position in the list.
QHash<QString, QString> FileStems(TimetableDb& db, CodeTable table, const QString& prefix) {
    QList<CodeRecord> records;
    if (!LoadCodeRecords(db, table, records))
        throw db.explainFailure();
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_-]{1,32}$"));
    bool codesUsable = true;
    QHash<QString, int> seen;
    for (const CodeRecord& r : records)
        if (!plain.match(r.code).hasMatch() || seen[r.code.toLower()]++ > 0)
            codesUsable = false;
    QHash<QString, QString> stems;
    for (qsizetype i = 0; i < records.size(); ++i)
        if (!stems.contains(records[i].name))
            stems.insert(records[i].name,
                         prefix + (codesUsable ? records[i].code : QString::number(i + 1)));
    return stems;
}

std::vector<PublishTable> Tables(const ScheduleRecords& records, int lessonsPerDay,
                                 const QHash<QString, QString>& stems, const QString& prefix,
                                 const auto& detailOf) {
    std::vector<PublishTable> tables;
    QHash<QString, QString> usedStems;
    for (const ScheduleRecord& r : records) {
        if (tables.empty() || tables.back().name != r.name) {
            PublishTable t;
            t.name = r.name;
            t.fileStem = stems.value(r.name);
            // A name the code list does not know (or a stem already taken)
            // still gets a page of its own.
            if (t.fileStem.isEmpty() || usedStems.contains(t.fileStem))
                t.fileStem = prefix + QStringLiteral("x%1").arg(tables.size() + 1);
            usedStems.insert(t.fileStem, r.name);
            t.cells.resize(static_cast<size_t>(lessonsPerDay * 5));
            tables.push_back(std::move(t));
        }
        if (r.day < 1 || r.day > 5 || r.lessonNo < 1 || r.lessonNo > lessonsPerDay)
            continue;
        tables.back().cells[static_cast<size_t>((r.lessonNo - 1) * 5 + (r.day - 1))].push_back(
            {r.courseName, detailOf(r)});
    }
    return tables;
}

} // namespace

PublishSchool ReadPublishSchool(TimetableDb& db, int lessonsPerDay, const TimetableTitle& title) {
    PublishSchool s;
    s.schoolName = title.school;
    s.lessonsPerDay = lessonsPerDay >= Week::kMaxLessonsPerDay ? Week::kMaxLessonsPerDay : 6;
    s.written = QDateTime::currentDateTimeUtc();
    try {
        s.times = LoadDaySchedule(db);
        const QString dates = s.times.firstDay.toString(Qt::ISODate) + QStringLiteral(" 至 ") +
                              s.times.lastDay.toString(Qt::ISODate);
        s.termTitle = title.hasTerm() ? title.termText() + QStringLiteral("  ") + dates : dates;
        const ScheduleRecords classes = QueryScheduleRecords(db, ScheduleKind::AllClasses, {});
        const ScheduleRecords teachers = QueryScheduleRecords(db, ScheduleKind::AllTeachers, {});
        const ScheduleRecords total = QueryScheduleRecords(db, ScheduleKind::Total, {});
        const QHash<QString, QString> classStems =
            FileStems(db, CodeTable::Class, QStringLiteral("class-"));
        const QHash<QString, QString> teacherStems =
            FileStems(db, CodeTable::Teacher, QStringLiteral("teacher-"));

        // The class pages name each lesson's teacher: the teacher records
        // carry the class by its short name.
        QList<CodeRecord> classList;
        if (!LoadCodeRecords(db, CodeTable::Class, classList))
            throw db.explainFailure();
        QHash<QString, QString> shortOf;
        for (const CodeRecord& c : classList)
            shortOf.insert(c.name, c.shortName);
        QHash<Key, QStringList> teacherAt;
        for (const ScheduleRecord& r : teachers) {
            QStringList& names = teacherAt[{r.secondLine, r.day, r.lessonNo, r.courseName}];
            // A lesson entered twice names its teacher once.
            if (!names.contains(r.name))
                names.append(r.name);
        }

        const int n = s.lessonsPerDay;
        s.classes =
            Tables(classes, n, classStems, QStringLiteral("class-"), [&](const ScheduleRecord& r) {
                return teacherAt.value({shortOf.value(r.name), r.day, r.lessonNo, r.courseName})
                    .join(QStringLiteral("、"));
            });
        s.teachers = Tables(teachers, n, teacherStems, QStringLiteral("teacher-"),
                            [](const ScheduleRecord& r) { return r.secondLine; });
        s.school = Tables(total, n, {}, QStringLiteral("row-"),
                          [](const ScheduleRecord& r) { return r.secondLine; });
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
    return s;
}
