// The published set read back as a browser and a phone read it: every page
// strict HTML5 holding exactly the lessons of the database, calendars that
// parse with one weekly series per lesson, and a folder that is replaced whole
// or not at all.
#include "TestDb.h"
#include "XlsxReader.h"
#include "core/config/SafeFile.h"
#include "core/formats/PrintQueries.h"
#include "core/formats/PrintTemplate.h"
#include "core/formats/PublishCalendar.h"
#include "core/formats/PublishFolder.h"
#include "core/formats/ScheduleExport.h"
#include "core/generation/BuildTimetable.h"
#include "core/model/DemoSchool.h"
#include "core/store/CodeRecords.h"
#include "core/store/DayScheduleStore.h"
#include "core/store/SchoolStore.h"
#include "core/store/SchoolWriter.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <map>
#include <memory>

namespace {

const QString kSchool = QStringLiteral("实验小学");
const QStringList kDays = {"星期一", "星期二", "星期三", "星期四", "星期五"};

QJsonObject Dump(const QString& folder, QString* error) {
    QProcess p;
    p.start(
        QStringLiteral("/usr/bin/python3"),
        {qEnvironmentVariable("KBXT_SOURCE_DIR") + "/tests/core/formats/publish_dump.py", folder});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        *error = QString::fromUtf8(p.readAllStandardError());
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

// A cell as the dump gives it: "course/detail" entries, sorted.
QStringList CellText(const QJsonArray& cell) {
    QStringList out;
    for (const QJsonValue& e : cell)
        out << e.toArray()[0].toString() + "/" + e.toArray()[1].toString();
    out.sort();
    return out;
}

using Grid = std::map<std::pair<int, int>, QStringList>; // (day, lesson) -> entries

// The week of one page from its table: lessons down, days across.
Grid WeekOf(const QJsonObject& page) {
    Grid g;
    const QJsonArray rows = page["tables"].toArray()[0].toObject()["rows"].toArray();
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QJsonArray cells = rows[r].toObject()["cells"].toArray();
        for (qsizetype d = 0; d < cells.size(); ++d)
            if (!cells[d].toArray().isEmpty())
                g[{int(d) + 1, int(r) + 1}] = CellText(cells[d].toArray());
    }
    return g;
}

int Run(const QStringList& args, QString* out = nullptr, QString* err = nullptr) {
    QProcess p;
    p.start(qEnvironmentVariable("KBXT_BINARY_DIR") + "/bin/kbxt-cli", args);
    if (!p.waitForFinished(120000))
        return -1000;
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput());
    if (err)
        *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1001;
}

QByteArray Contents(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestPublish : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDb> m_school;
    QTemporaryDir m_out;
    int m_dirs = 0;

    QString nextDir() { return m_out.filePath(QStringLiteral("site%1").arg(++m_dirs)); }

    // What the database holds, by name: class pages, teacher pages and the
    // whole-school rows, each (day, lesson) -> "course/detail" entries.
    struct Expected {
        std::map<QString, Grid> classes, teachers, school;
        int lessons = 0;
    };
    Expected expected(int lessonsPerDay) {
        const Timetable tt = LoadTimetable(m_school->db, Week::ofLessons(lessonsPerDay));
        std::map<CodeTable, QHash<QString, CodeRecord>> byCode;
        for (CodeTable table : {CodeTable::Class, CodeTable::Course, CodeTable::Teacher}) {
            QList<CodeRecord> list;
            if (!LoadCodeRecords(m_school->db, table, list))
                qFatal("code records");
            for (const CodeRecord& r : list)
                byCode[table].insert(r.code, r);
        }
        Expected e;
        for (const Lesson& l : tt.lessons()) {
            const CodeRecord cls = byCode[CodeTable::Class].value(l.classCode);
            const CodeRecord course = byCode[CodeTable::Course].value(l.courseCode);
            const CodeRecord teacher = byCode[CodeTable::Teacher].value(l.teacherCode);
            const std::pair<int, int> at{l.period.day, l.period.lessonNo};
            e.classes[cls.name][at] << course.name + "/" + teacher.name;
            e.teachers[teacher.name][at] << course.name + "/" + cls.shortName;
            e.school[cls.shortName][at] << course.shortName + "/" + teacher.name;
            ++e.lessons;
        }
        for (auto* grids : {&e.classes, &e.teachers, &e.school})
            for (auto& [name, grid] : *grids)
                for (auto& [at, entries] : grid)
                    entries.sort();
        return e;
    }

private slots:
    void initTestCase() {
        QString why;
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"), {"-c", "import html5lib, icalendar"});
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            QSKIP("python3-html5lib and python3-icalendar are needed (scripts/install-deps.sh)");
        m_school = std::make_unique<TestDb>();
        WriteSchool(m_school->db, DemoSchool(DemoSize::Small, 5));
        (void)BuildTimetable(m_school->db, Week::ofLessons(6), [] {});
        // A name a page must escape, and a period holding two lessons.
        m_school->exec("update Classtb set Name = '一<2>&\"班' where Code = "
                       "(select min(Code) from Classtb)");
        m_school->exec("insert into LessonListtb select ClassCode, Day, LessonNo, CourseCode, "
                       "TeacherCode, 2 from LessonListtb where rowid = (select min(rowid) from "
                       "LessonListtb)");
        DaySchedule times = LoadDaySchedule(m_school->db, QDate(2026, 12, 8));
        times.firstDay = QDate(2027, 3, 1);
        times.lastDay = QDate(2027, 7, 9);
        SaveDaySchedule(m_school->db, times);
    }

    void pagesHoldExactlyTheLessonsOfTheDatabase() {
        const QString dir = nextDir();
        const PublishSchool set = ReadPublishSchool(m_school->db, 6, kSchool);
        const PublishReport report = WritePublishSet(set, dir, {});
        QString error;
        const QJsonObject dump = Dump(dir, &error);
        QVERIFY2(!dump.isEmpty(), qPrintable(error));
        const QJsonObject pages = dump["pages"].toObject();
        QCOMPARE(report.pages, int(pages.size()));
        QCOMPARE(pages.size(), qsizetype(2 + set.classes.size() + set.teachers.size()));

        for (auto it = pages.begin(); it != pages.end(); ++it) {
            const QJsonObject page = it.value().toObject();
            QVERIFY2(
                page["errors"].toArray().isEmpty(),
                qPrintable(it.key() + ": " + QJsonDocument(page["errors"].toArray()).toJson()));
            QCOMPARE(page["scripts"].toInt(), 0);
            QVERIFY(page["sources"].toArray().isEmpty());
            QVERIFY(page["viewport"].toBool());
            // Every link stays inside the folder and finds its file there.
            for (const QJsonValue& link : page["links"].toArray())
                QVERIFY2(QFileInfo::exists(QDir(dir).filePath(link.toString())) &&
                             !link.toString().contains(':') && !link.toString().startsWith('/'),
                         qPrintable(it.key() + " -> " + link.toString()));
        }

        const Expected want = expected(6);
        QVERIFY(want.lessons > 100);
        const auto compare = [&](const std::vector<PublishTable>& tables,
                                 const std::map<QString, Grid>& grids) {
            QCOMPARE(tables.size(), grids.size());
            for (const PublishTable& t : tables) {
                const QJsonObject page = pages[t.fileStem + ".html"].toObject();
                QVERIFY2(page["h1"].toString().startsWith(t.name), qPrintable(t.fileStem));
                QCOMPARE(page["tables"].toArray()[0].toObject()["head"].toArray().size(), 5);
                QCOMPARE(WeekOf(page), grids.at(t.name));
            }
        };
        compare(set.classes, want.classes);
        compare(set.teachers, want.teachers);

        // The whole school: one table per day, classes down, lessons across.
        const QJsonObject school = pages["school.html"].toObject();
        QCOMPARE(school["days"].toArray().size(), 5);
        std::map<QString, Grid> schoolGrids;
        const QJsonArray tables = school["tables"].toArray();
        QCOMPARE(tables.size(), 5);
        for (qsizetype d = 0; d < tables.size(); ++d) {
            QCOMPARE(school["days"].toArray()[d].toString(), kDays[d]);
            for (const QJsonValue& row : tables[d].toObject()["rows"].toArray()) {
                const QJsonArray cells = row.toObject()["cells"].toArray();
                QCOMPARE(cells.size(), 6);
                Grid& g = schoolGrids[row.toObject()["th"].toString()];
                for (qsizetype n = 0; n < cells.size(); ++n)
                    if (!cells[n].toArray().isEmpty())
                        g[{int(d) + 1, int(n) + 1}] = CellText(cells[n].toArray());
            }
        }
        for (auto& [name, grid] : schoolGrids)
            if (grid.empty())
                schoolGrids.erase(name);
        QCOMPARE(schoolGrids, want.school);

        // The index links every page and shows the 作息时间.
        const QJsonObject index = pages["index.html"].toObject();
        const QJsonArray links = index["links"].toArray();
        QCOMPARE(links.size(), qsizetype(1 + set.classes.size() + set.teachers.size()));
        QVERIFY(index["h1"].toString().contains(kSchool));
        const QJsonArray timeRows = index["tables"].toArray()[0].toObject()["rows"].toArray();
        QCOMPARE(timeRows.size(), 6);
        QVERIFY(Contents(dir + "/index.html").contains("2027-03-01 至 2027-07-09"));
        QVERIFY(Contents(dir + "/index.html").contains("08:00-08:40"));
    }

    void calendarsCarryOneWeeklySeriesPerLesson() {
        const QString dir = nextDir();
        const PublishSchool set = ReadPublishSchool(m_school->db, 6, kSchool);
        PublishOptions options;
        options.extras.calendars = true;
        const PublishReport report = WritePublishSet(set, dir, options);
        QCOMPARE(report.calendars, int(set.classes.size() + set.teachers.size()));
        QString error;
        const QJsonObject dump = Dump(dir, &error);
        QVERIFY2(!dump.isEmpty(), qPrintable(error));
        const QJsonObject calendars = dump["calendars"].toObject();
        QCOMPARE(calendars.size(), qsizetype(report.calendars));

        const Expected want = expected(6);
        const DaySchedule times = LoadDaySchedule(m_school->db);
        QSet<QString> uids;
        int events = 0;
        const auto check = [&](const PublishTable& t, const Grid& grid) {
            const QJsonObject cal = calendars[t.fileStem + ".ics"].toObject();
            QVERIFY2(cal["problems"].toArray().isEmpty(),
                     qPrintable(QJsonDocument(cal["problems"].toArray()).toJson()));
            QCOMPARE(cal["version"].toString(), QStringLiteral("2.0"));
            // (weekday, start) -> course, for every event; the grid in the same form.
            QStringList got, wanted;
            for (const QJsonValue& v : cal["events"].toArray()) {
                const QJsonObject ev = v.toObject();
                QVERIFY(ev["floating"].toBool());
                QCOMPARE(ev["freq"].toArray()[0].toString(), QStringLiteral("WEEKLY"));
                QCOMPARE(ev["until"].toArray()[0].toString().left(10),
                         QStringLiteral("2027-07-09"));
                QVERIFY(ev["stamp"].toString().endsWith("+00:00"));
                const QDateTime start = QDateTime::fromString(ev["start"].toString(), Qt::ISODate);
                QVERIFY(start.date() >= times.firstDay && start.date() < times.firstDay.addDays(7));
                QVERIFY(!uids.contains(ev["uid"].toString()));
                uids.insert(ev["uid"].toString());
                got << QStringLiteral("%1 %2-%3 %4")
                           .arg(ev["weekday"].toInt())
                           .arg(start.time().toString("HH:mm"),
                                QDateTime::fromString(ev["end"].toString(), Qt::ISODate)
                                    .time()
                                    .toString("HH:mm"),
                                ev["summary"].toString());
                ++events;
            }
            for (const auto& [at, entries] : grid)
                for (const QString& entry : entries) {
                    const QStringList parts = entry.split('/');
                    wanted << QStringLiteral("%1 %2 %3 · %4")
                                  .arg(at.first)
                                  .arg(LessonTimeText(times.lesson(at.second)), parts[0], parts[1]);
                }
            got.sort();
            wanted.sort();
            QCOMPARE(got, wanted);
        };
        for (const PublishTable& t : set.classes)
            check(t, want.classes.at(t.name));
        for (const PublishTable& t : set.teachers)
            check(t, want.teachers.at(t.name));
        QCOMPARE(events, 2 * want.lessons); // each lesson in its class's and its teacher's
    }

    void calendarLinesAreFoldedWholeAndEscaped() {
        const QString line = QStringLiteral("SUMMARY:") + QString(60, QChar(0x8BFE)) + "a;b";
        const QByteArray folded = FoldCalendarLine(line);
        QVERIFY(folded.endsWith("\r\n"));
        QByteArray unfolded;
        for (const QByteArray& part : folded.chopped(2).split('\n')) {
            const QByteArray l = part.endsWith('\r') ? part.chopped(1) : part;
            QVERIFY(l.size() <= 75);
            QVERIFY(QString::fromUtf8(l).toUtf8() == l); // no character cut in two
            unfolded += l.startsWith(' ') ? l.mid(1) : l;
        }
        QCOMPARE(QString::fromUtf8(unfolded), line);
        QCOMPARE(CalendarEscape("a,b;c\\d\ne\x01"), QStringLiteral("a\\,b\\;c\\\\d\\ne"));
    }

    void theDayScheduleIsReadWithDefaultsAndWrittenOnlyWhenSaved() {
        TestDb t;
        // An older database has no tables: defaults, and reading creates nothing.
        t.exec("drop table LessonTimetb");
        t.exec("drop table TermDaytb");
        const DaySchedule d = LoadDaySchedule(t.db, QDate(2026, 12, 8));
        QCOMPARE(t.count("select count(*) from sqlite_master where name like '%Time%'"), 0LL);
        QCOMPARE(LessonTimeText(d.lesson(1)), QStringLiteral("08:00-08:40"));
        QCOMPARE(LessonTimeText(d.lesson(2)), QStringLiteral("08:50-09:30"));
        QCOMPARE(LessonTimeText(d.lesson(3)), QStringLiteral("10:00-10:40"));
        QCOMPARE(LessonTimeText(d.lesson(5)), QStringLiteral("14:00-14:40"));
        QCOMPARE(d.firstDay, QDate(2026, 9, 1));
        QCOMPARE(d.lastDay, QDate(2027, 1, 20));
        QCOMPARE(DefaultDaySchedule(QDate(2027, 1, 5)).firstDay, QDate(2026, 9, 1));
        QCOMPARE(DefaultDaySchedule(QDate(2027, 4, 5)).lastDay, QDate(2027, 7, 10));
        QVERIFY(DayScheduleProblem(d, 7).isEmpty());

        DaySchedule changed = d;
        changed.lessons[0] = {7 * 60 + 50, 8 * 60 + 30};
        changed.firstDay = QDate(2027, 2, 20);
        changed.lastDay = QDate(2027, 7, 1);
        SaveDaySchedule(t.db, changed);
        QCOMPARE(LoadDaySchedule(t.db, QDate(2026, 12, 8)), changed);
        SaveDaySchedule(t.db, changed); // saving again replaces, never adds
        QCOMPARE(t.count("select count(*) from LessonTimetb"), 7LL);
        QCOMPARE(t.count("select count(*) from TermDaytb"), 1LL);

        // A damaged row falls back to the default of its lesson only.
        t.exec("update LessonTimetb set StartTime = '25:00' where LessonNo = 1");
        t.exec("update LessonTimetb set EndTime = '9' where LessonNo = 2");
        const DaySchedule read = LoadDaySchedule(t.db, QDate(2026, 12, 8));
        QCOMPARE(read.lesson(1), d.lesson(1));
        QCOMPARE(read.lesson(2), d.lesson(2));
        QCOMPARE(read.firstDay, QDate(2027, 2, 20));

        DaySchedule bad = d;
        bad.lessons[1] = {8 * 60 + 30, 9 * 60}; // starts before lesson 1 ends
        QVERIFY(DayScheduleProblem(bad, 6).contains("第2节"));
        bad = d;
        bad.lessons[6] = {16 * 60, 15 * 60}; // lesson 7 matters only with 7 a day
        QVERIFY(DayScheduleProblem(bad, 6).isEmpty());
        QVERIFY(!DayScheduleProblem(bad, 7).isEmpty());
        bad = d;
        bad.lastDay = bad.firstDay.addDays(-1);
        QVERIFY(!DayScheduleProblem(bad, 6).isEmpty());
        QCOMPARE(ParseClock("8:05"), 8 * 60 + 5);
        QCOMPARE(ParseClock("08：05"), 8 * 60 + 5);
        QCOMPARE(ParseClock("24:00"), -1);
        QCOMPARE(ParseClock("8.05"), -1);
    }

    void aFolderIsReplacedWholeAndOnlyWhenItIsOurs() {
        const PublishSchool set = ReadPublishSchool(m_school->db, 6, kSchool);
        // A foreign folder is refused without force and left alone.
        const QString foreign = nextDir();
        QVERIFY(QDir().mkpath(foreign));
        QFile(foreign + "/notes.txt").open(QIODevice::WriteOnly);
        QVERIFY(!PublishFolderProblem(foreign, false, {}).isEmpty());
        QVERIFY_THROWS_EXCEPTION(Failure, WritePublishSet(set, foreign, {}));
        QVERIFY(QFileInfo::exists(foreign + "/notes.txt"));
        // An empty folder, made in a file dialog, takes the set.
        const QString empty = nextDir();
        QVERIFY(QDir().mkpath(empty));
        (void)WritePublishSet(set, empty, {});
        QVERIFY(QFileInfo::exists(empty + "/index.html"));
        // An earlier set is replaced whole: nothing of it stays behind.
        QFile(empty + "/stale.html").open(QIODevice::WriteOnly);
        (void)WritePublishSet(set, empty, {});
        QVERIFY(!QFileInfo::exists(empty + "/stale.html"));
        // Force replaces a foreign folder, never one holding the database.
        PublishOptions forced;
        forced.force = true;
        (void)WritePublishSet(set, foreign, forced);
        QVERIFY(!QFileInfo::exists(foreign + "/notes.txt"));
        forced.databasePath = m_school->path;
        QVERIFY(!PublishFolderProblem(m_school->dir(), true, m_school->path).isEmpty());
        QVERIFY(!PublishFolderProblem(QDir::homePath(), true, {}).isEmpty());

        // A failure on the way leaves the earlier set exactly as it was and
        // no temporary folder beside it.
        const QByteArray before = Contents(empty + "/index.html");
        PublishOptions withPictures;
        withPictures.extras.pictures = true;
        QVERIFY_THROWS_EXCEPTION(
            Failure, WritePublishSet(set, empty, withPictures,
                                     [](const PublishSchool&, const QString& folder) -> int {
                                         throw Failure("画不出来", folder);
                                     }));
        QCOMPARE(Contents(empty + "/index.html"), before);
        QCOMPARE(QDir(m_out.path())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                     .filter("kbxt-part"),
                 QStringList{});
    }

    void printAndExportShowTimesOnlyWhenAsked() {
        const ScheduleRecords records =
            QueryScheduleRecords(m_school->db, ScheduleKind::AllClasses, {});
        const QStringList times = LessonTimeTexts(LoadDaySchedule(m_school->db), 6);
        QCOMPARE(times.size(), 6);
        // Without times the document is the one print has always written.
        const QString plain = m_out.filePath("plain.xml"), timed = m_out.filePath("timed.xml");
        SavePrintDocument(ScheduleKind::AllClasses, plain, records, 6, kSchool);
        QCOMPARE(Contents(plain), ScheduleXmlText(records, 6, kSchool));
        SavePrintDocument(ScheduleKind::AllClasses, timed, records, 6, kSchool, times);
        PrintDocumentData a, b;
        QVERIFY(ReadPrintDocument(plain, a));
        QVERIFY(ReadPrintDocument(timed, b));
        QVERIFY(a.lessonTimes.isEmpty());
        QCOMPARE(b.lessonTimes, times);
        QCOMPARE(SchedulePagesOf(b).size(), SchedulePagesOf(a).size());
        QCOMPARE(SchedulePagesOf(b).first().cells.size(), SchedulePagesOf(a).first().cells.size());

        QString why;
        if (!XlsxReaderAvailable(&why))
            QSKIP(qPrintable(why));
        const QString book = m_out.filePath("timed.xlsx");
        const QString bare = m_out.filePath("bare.xlsx");
        QVERIFY(
            ExportSchedule(m_school->db, ScheduleKind::AllClasses, {}, book, 6, kSchool, times));
        QVERIFY(ExportSchedule(m_school->db, ScheduleKind::AllClasses, {}, bare, 6, kSchool));
        const XlsxSheet withTimes = ReadXlsx(book, &why).value(0);
        const XlsxSheet without = ReadXlsx(bare, &why).value(0);
        QCOMPARE(withTimes.text("A4"), QStringLiteral("1\n08:00-08:40"));
        QCOMPARE(without.text("A4"), QStringLiteral("1"));
        QCOMPARE(withTimes.text("B4"), without.text("B4"));
    }

    void theCommandLineWritesTheSetAndRefusesAForeignFolder() {
        CloseTimetableDb(m_school->db);
        const QString dir = nextDir();
        QString out, err;
        QCOMPARE(Run({"publish", "--ics", "--school", kSchool, m_school->path, dir}, &out, &err),
                 0);
        QVERIFY2(out.contains("个网页") && out.contains("个日历文件"), qPrintable(out + err));
        QVERIFY(QFileInfo::exists(dir + "/index.html"));
        QVERIFY(QFileInfo::exists(dir + "/school.html"));
        QVERIFY(!QDir(dir).entryList({"*.ics"}).isEmpty());
        // Publishing again into its own folder is fine; a foreign one is not.
        QCOMPARE(Run({"publish", m_school->path, dir}), 0);
        QVERIFY(QDir(dir).entryList({"*.ics"}).isEmpty());
        const QString foreign = nextDir();
        QVERIFY(QDir().mkpath(foreign));
        QFile(foreign + "/mine.txt").open(QIODevice::WriteOnly);
        QCOMPARE(Run({"publish", m_school->path, foreign}, nullptr, &err), 1);
        QVERIFY2(err.contains("--force"), qPrintable(err));
        QCOMPARE(Run({"publish", m_school->path}), 2);

        // The school year and term head every page and picture, as in print.
        const QString titled = nextDir();
        QCOMPARE(Run({"publish", "--png", "--school", kSchool, "--year", "2026", "--term", "2",
                      m_school->path, titled},
                     &out, &err),
                 0);
        QVERIFY2(QString::fromUtf8(Contents(titled + "/index.html"))
                     .contains(QStringLiteral("2026—2027学年度第二学期  2027-03-01 至 2027-07-09")),
                 qPrintable(out + err));
        QVERIFY(QString::fromUtf8(Contents(titled + "/school.html"))
                    .contains(QStringLiteral("2026—2027学年度第二学期")));
        QVERIFY(!QDir(titled).entryList({"*.png"}).isEmpty());
        QCOMPARE(Run({"publish", "--term", "2", m_school->path, nextDir()}, nullptr, &err), 2);
        QVERIFY2(err.contains("--year"), qPrintable(err));
        QVERIFY(m_school->db.open(m_school->path));
    }
};

QTEST_GUILESS_MAIN(TestPublish)
#include "test_publish.moc"
