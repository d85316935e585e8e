// A school handed to FET and FET's timetable read back: every planned lesson
// becomes one activity, pre-set lessons are locked where they are, the rules
// become FET's hard constraints, and the timetable read back holds each
// activity's lesson at its period. Where fet-cl is installed, it places a
// small school and its timetable must keep every rule of this program.
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

PlanRow row(const QString& cls, const QString& course, const QString& teacher, long long count) {
    PlanRow r;
    r.classCode = cls;
    r.courseCode = course;
    r.teacherCode = teacher;
    r.count = count;
    return r;
}

// Two classes of grade 1; 信息 (IT) in a room for one class; 语文 (CN) at most
// two a day by its own maximum; PE never in the first lesson; one pre-set
// lesson.
School school() {
    School s;
    s.timetable = Timetable(Week::ofLessons(6));
    for (const char* c : {"101", "102"}) {
        s.plan.push_back(row(c, "CN", QStringLiteral("T") + c, 8));
        s.plan.push_back(row(c, "IT", "TIT", 2));
        s.plan.push_back(row(c, "PE", "TPE", 3));
    }
    s.setCapacity("IT", 1);
    s.setDailyMax("CN", 2);
    for (int day = 1; day <= Week::kDays; ++day)
        s.limits.add(LimitKind::Course, "PE", LimitCell{Period{day, 1}, attrOf(LimitLevel::Never)});
    s.timetable.add(Lesson{"101", Period{2, 3}, "IT", "TIT", Origin::Preset, false});
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
    void fetPlacesTheSchoolWithinTheRules();
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

void TestFet::fetPlacesTheSchoolWithinTheRules() {
    const QString fet = QStandardPaths::findExecutable(QStringLiteral("fet-cl"));
    if (fet.isEmpty())
        QSKIP("fet-cl is not installed");
    School s = school();
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
    QCOMPARE(lessons.size(), in.activities.size());
    s.timetable = Timetable(s.timetable.week());
    for (const Lesson& l : lessons)
        s.timetable.add(l);
    for (const rules::Breach& b : rules::breachesOf(s))
        QFAIL(qPrintable(rules::ruleName(b.rule) + QStringLiteral(" ") + b.code));
}

QTEST_GUILESS_MAIN(TestFet)
#include "test_fet.moc"
