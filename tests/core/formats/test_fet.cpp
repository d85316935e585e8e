// A school handed to FET and FET's timetable read back: every planned lesson
// becomes one activity, pre-set lessons are locked where they are, the rules
// become FET's hard constraints, and the timetable read back holds each
// activity's lesson at its period (a joint lesson in each of its classes).
// Where fet-cl is installed, it places a small school and its timetable must
// keep every rule of this program.
#include "SchoolBuilder.h"

#include "core/formats/FetExchange.h"
#include "core/rules/HardRules.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

// Two classes of grade 1; 信息 (IT) in a room for one class; 语文 (CN) at most
// two a day by its own maximum; PE never in the first lesson; one pre-set
// lesson.
School school() {
    School s = emptySchool();
    for (const char* c : {"101", "102"}) {
        s.plan.push_back(row(c, "CN", QStringLiteral("T") + c, 8));
        s.plan.push_back(row(c, "IT", "TIT", 2));
        s.plan.push_back(row(c, "PE", "TPE", 3));
    }
    s.setCapacity("IT", 1);
    s.setDailyMax("CN", 2);
    for (int day = 1; day <= Week::kDays; ++day)
        s.limits.add(LimitKind::Course, "PE", LimitCell{Period{day, 1}, attrOf(LimitLevel::Never)});
    s.timetable.add(lesson("101", 2, 3, "IT", "TIT", Origin::Preset));
    return s;
}

// The same school with what real schools add: 美术 (AR) twice a week as one
// double lesson in each class, CN once; a teacher group meeting on Wednesday
// afternoon; teacher limits a day and in a row.
School richSchool() {
    School s = school();
    for (const char* c : {"101", "102"}) {
        PlanRow ar = row(c, "AR", "TAR", 2);
        ar.doubles = 1;
        s.plan.push_back(ar);
    }
    for (PlanRow& r : s.plan)
        if (r.courseCode == QLatin1String("CN"))
            r.doubles = 1;
    s.teacherRules.set("T101", {5, 3, "G1"});
    s.teacherRules.set("T102", {0, 0, "G1"});
    s.teacherRules.set("TPE", {2, 0, {}});
    for (int n = 5; n <= 6; ++n)
        s.limits.add(LimitKind::Group, "G1", LimitCell{Period{3, n}, attrOf(LimitLevel::Never)});
    s.limits.add(LimitKind::Teacher, "T101", LimitCell{Period{3, 6}, attrOf(LimitLevel::Never)});
    return s;
}

// The two classes take PE together with TPE: three lessons of both.
School jointSchool() {
    School s = school();
    s.joints.add("101", "PE", "TPE", "102");
    return s;
}

int count(const QByteArray& doc, const QString& pattern) {
    return static_cast<int>(QString::fromUtf8(doc).count(
        QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption)));
}

// FET's way of writing a timetable: each activity at its starting time.
QByteArray fetResult(const std::vector<std::pair<int, Period>>& placed) {
    QByteArray doc = "<?xml version=\"1.0\"?><fet><Time_Constraints_List>";
    for (const auto& [id, p] : placed)
        doc += QStringLiteral("<ConstraintActivityPreferredStartingTime><Weight_Percentage>100</"
                              "Weight_Percentage><Activity_Id>%1</Activity_Id><Preferred_Day>%2</"
                              "Preferred_Day><Preferred_Hour>%3</Preferred_Hour></"
                              "ConstraintActivityPreferredStartingTime>")
                   .arg(id)
                   .arg(p.day)
                   .arg(p.lessonNo)
                   .toUtf8();
    return doc + "</Time_Constraints_List></fet>";
}

} // namespace

class TestFet : public QObject {
    Q_OBJECT
private slots:
    void everyLessonIsOneActivityAndTheRulesAreHard();
    void timetableReadBack();
    void fetPlacesTheSchoolWithinTheRules_data();
    void fetPlacesTheSchoolWithinTheRules();
    void doubleLessonsAreActivitiesOfTwo();
    void teacherLimitsAndGroupTimeOff();
    void jointLessonIsOneActivityOfBothClasses();
};

void TestFet::everyLessonIsOneActivityAndTheRulesAreHard() {
    const FetInput in = FetInputOf(school());
    QCOMPARE(in.activities.size(), size_t{26});
    int locked = 0;
    for (const FetActivity& a : in.activities)
        if (a.locked) {
            ++locked;
            QCOMPARE(a.classCode, QStringLiteral("101"));
            QCOMPARE(a.courseCode, QStringLiteral("IT"));
            QCOMPARE(a.period, (Period{2, 3}));
        }
    QCOMPARE(locked, 1);
    QXmlStreamReader xml(in.document);
    while (!xml.atEnd())
        xml.readNext();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    // The room: IT's four activities, one at a time.
    QCOMPARE(count(in.document, "<Max_Number_of_Simultaneous_Activities>1<"), 1);
    // CN's own maximum on the course's tag, once per class; the other rows'
    // shares (IT 2 → 1 a day, PE 3 → 1) on their own tags.
    QCOMPARE(count(in.document, "<Activity_Tag>C:CN</Activity_Tag>\\s*<Maximum_Hours_Daily>2<"), 2);
    QCOMPARE(count(in.document, "<Maximum_Hours_Daily>1</Maximum_Hours_Daily>"), 4);
    // PE's "不排": its rows may start in 25 of the 30 periods, as a hard rule.
    QCOMPARE(count(in.document, "<Weight_Percentage>100</Weight_Percentage>(?:(?!</Constraint).)*"
                                "<Number_of_Preferred_Starting_Times>25<"),
             2);
    QCOMPARE(count(in.document, "Permanently_Locked>true<"), 1);
}

void TestFet::timetableReadBack() {
    const School s = school();
    const FetInput in = FetInputOf(s);
    std::vector<std::pair<int, Period>> placed;
    for (const FetActivity& a : in.activities)
        placed.push_back({a.id, a.locked ? a.period : Period{1 + a.id % 5, 1 + a.id % 6}});
    placed.push_back({999, Period{1, 1}}); // no such activity
    placed[1].second = Period{6, 1};       // outside the week: left unplaced
    std::vector<Lesson> lessons;
    QCOMPARE(ReadFetTimetable(fetResult(placed), in, s.timetable.week(), lessons), QString());
    QCOMPARE(lessons.size(), in.activities.size() - 1);
    for (const Lesson& l : lessons) {
        const auto it =
            std::find_if(in.activities.begin(), in.activities.end(), [&](const FetActivity& a) {
                return a.classCode == l.classCode && a.courseCode == l.courseCode &&
                       a.teacherCode == l.teacherCode && (a.locked ? a.period == l.period : true);
            });
        QVERIFY(it != in.activities.end());
        QCOMPARE(l.origin, it->locked ? Origin::Preset : Origin::Generated);
    }
    QVERIFY(!ReadFetTimetable("<fet><broken", in, s.timetable.week(), lessons).isEmpty());
}

void TestFet::doubleLessonsAreActivitiesOfTwo() {
    const School s = richSchool();
    const FetInput in = FetInputOf(s);
    // CN 8 → 1 double + 6 singles, AR 2 → 1 double, per class.
    QCOMPARE(in.activities.size(), size_t{26 - 2 + 2});
    int pairs = 0;
    for (const FetActivity& a : in.activities)
        pairs += a.length == 2;
    QCOMPARE(pairs, 4);
    QCOMPARE(count(in.document, "<Duration>2</Duration>\\s*<Total_Duration>2<"), 4);
    // A double lesson starts neither at the morning's last lesson nor the
    // day's: 4 of 6 starts a day are left, for CN one fewer by its
    // teachers' group meeting on Wednesday afternoon.
    QCOMPARE(
        count(in.document, "<Duration>2</Duration>\\s*<Number_of_Preferred_Starting_Times>20<"), 2);
    QCOMPARE(
        count(in.document, "<Duration>2</Duration>\\s*<Number_of_Preferred_Starting_Times>19<"), 2);
    // AR's share of 1 a day: the singles' tag has no lessons, and with the
    // double lesson at most 2 hours; CN's own maximum of 2 for the singles,
    // 3 with its double lesson.
    QCOMPARE(count(in.document, "<Activity_Tag>A:C:CN</Activity_Tag>\\s*<Maximum_Hours_Daily>3<"),
             2);
    QCOMPARE(count(in.document, "<Activity_Tag>C:CN</Activity_Tag>\\s*<Maximum_Hours_Daily>2<"), 2);
    QCOMPARE(
        count(in.document, "<Activity_Tag>A:S:R:\\d+</Activity_Tag>\\s*<Maximum_Hours_Daily>2<"),
        2);
    QCOMPARE(count(in.document, "<Activity_Tag>S:R:\\d+</Activity_Tag>\\s*<Maximum_Hours_Daily>"),
             0);

    // Read back, a double lesson is its two lessons; one placed at the
    // day's last lesson keeps only the lesson inside the week.
    std::vector<std::pair<int, Period>> placed;
    int lastPair = 0;
    for (const FetActivity& a : in.activities) {
        placed.push_back({a.id, Period{1 + a.id % 5, 1}});
        if (a.length == 2)
            lastPair = a.id;
    }
    placed.back().second = Period{5, 6};
    std::vector<Lesson> lessons;
    QCOMPARE(ReadFetTimetable(fetResult(placed), in, s.timetable.week(), lessons), QString());
    QCOMPARE(in.activities.back().id, lastPair);
    QCOMPARE(lessons.size(), in.activities.size() + 4 - 1);
    const auto at = [&](Period p, const QString& course) {
        return std::count_if(lessons.begin(), lessons.end(), [&](const Lesson& l) {
            return l.period == p && l.courseCode == course;
        });
    };
    QCOMPARE(at(Period{1 + lastPair % 5, 2}, "AR"), 0);
    QCOMPARE(at(Period{5, 6}, "AR"), 1);
}

void TestFet::teacherLimitsAndGroupTimeOff() {
    const FetInput in = FetInputOf(richSchool());
    QCOMPARE(count(in.document, "<ConstraintTeacherMaxHoursDaily>"), 2);
    QCOMPARE(count(in.document, "<Teacher_Name>T101</Teacher_Name>\\s*<Maximum_Hours_Daily>5<"), 1);
    QCOMPARE(count(in.document, "<Teacher_Name>TPE</Teacher_Name>\\s*<Maximum_Hours_Daily>2<"), 1);
    QCOMPARE(count(in.document, "<ConstraintTeacherMaxHoursContinuously>"), 1);
    QCOMPARE(
        count(in.document, "<Teacher_Name>T101</Teacher_Name>\\s*<Maximum_Hours_Continuously>3<"),
        1);
    // The group's Wednesday afternoon is each of its teachers' own, once
    // where the teacher also has it.
    QCOMPARE(count(in.document, "<Teacher>T101</Teacher>\\s*<Number_of_Not_Available_Times>2<"), 1);
    QCOMPARE(count(in.document, "<Teacher>T102</Teacher>\\s*<Number_of_Not_Available_Times>2<"), 1);
    QCOMPARE(count(in.document, "<Teacher>TPE</Teacher>\\s*<Number_of_Not_Available_Times>"), 0);
}

void TestFet::jointLessonIsOneActivityOfBothClasses() {
    const School s = jointSchool();
    const FetInput in = FetInputOf(s);
    // 102's PE row is met by 101's three activities.
    QCOMPARE(in.activities.size(), size_t{26 - 3});
    QCOMPARE(count(in.document, "<Students>101</Students>\\s*<Students>102</Students>"), 3);
    QCOMPARE(count(in.document, "<Group>\\s*<Name>102</Name>"), 1);
    std::vector<std::pair<int, Period>> placed;
    for (const FetActivity& a : in.activities) {
        QCOMPARE(a.others,
                 a.courseCode == QLatin1String("PE") ? QStringList{"102"} : QStringList{});
        placed.push_back({a.id, a.locked ? a.period : Period{1 + a.id % 5, 1 + a.id % 6}});
    }
    std::vector<Lesson> lessons;
    QCOMPARE(ReadFetTimetable(fetResult(placed), in, s.timetable.week(), lessons), QString());
    QCOMPARE(lessons.size(), size_t{26});
    // Each PE lesson of 101 has 102's beside it, at the same period.
    int together = 0;
    for (const Lesson& a : lessons)
        for (const Lesson& b : lessons)
            together += a.courseCode == QLatin1String("PE") &&
                        a.classCode == QLatin1String("101") &&
                        b.classCode == QLatin1String("102") && b.courseCode == a.courseCode &&
                        b.teacherCode == a.teacherCode && b.period == a.period;
    QCOMPARE(together, 3);
}

void TestFet::fetPlacesTheSchoolWithinTheRules_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("rooms, shares, pre-set") << 0;
    QTest::newRow("with double lessons, teacher limits, group") << 1;
    QTest::newRow("with joint classes") << 2;
}

void TestFet::fetPlacesTheSchoolWithinTheRules() {
    QFETCH(int, kind);
    const QString fet = QStandardPaths::findExecutable(QStringLiteral("fet-cl"));
    if (fet.isEmpty())
        QSKIP("fet-cl is not installed");
    School s = kind == 1 ? richSchool() : kind == 2 ? jointSchool() : school();
    const FetInput in = FetInputOf(s);
    QTemporaryDir dir;
    QFile file(dir.filePath("s.fet"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(in.document);
    file.close();
    QProcess p;
    p.start(fet, {"--inputfile=" + file.fileName(), "--outputdir=" + dir.path(), "--htmllevel=0",
                  "--timelimitseconds=60"});
    QVERIFY(p.waitForFinished(90000));
    QFile result(dir.filePath("timetables/s/s_data_and_timetable.fet"));
    QVERIFY2(result.open(QIODevice::ReadOnly), p.readAll().right(500).constData());
    std::vector<Lesson> lessons;
    QCOMPARE(ReadFetTimetable(result.readAll(), in, s.timetable.week(), lessons), QString());
    long long planned = 0;
    for (const PlanRow& r : s.plan)
        planned += r.weeklyLessons();
    QCOMPARE(static_cast<long long>(lessons.size()), planned);
    s.timetable = Timetable(s.timetable.week());
    for (const Lesson& l : lessons)
        s.timetable.add(l);
    for (const rules::Breach& b : rules::breachesOf(s))
        QFAIL(qPrintable(rules::ruleName(b.rule) + QStringLiteral(" ") + b.code));
}

QTEST_GUILESS_MAIN(TestFet)
#include "test_fet.moc"
