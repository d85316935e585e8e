#include "TestDb.h"
#include "core/config/AppPaths.h"
#include "core/formats/PrintDocument.h"
#include "core/formats/PrintQueries.h"
#include "core/formats/PrintTemplate.h"

#include <QTest>
#include <QXmlStreamReader>

namespace {

ScheduleRecord Rec(const QString& name, int lessonNo, int day, const QString& course,
                   const QString& cls = QString()) {
    return ScheduleRecord{name, course, cls, day, lessonNo};
}

QByteArray Crlf(const QStringList& lines) {
    return (lines.join("\r\n") + "\r\n").toUtf8();
}

// One tr of a class or teacher document as a strict XML reader sees it.
struct Tr {
    QString title, course, cls, total;
};

QList<Tr> ReadTrs(const QByteArray& text, QString* error = nullptr) {
    QList<Tr> trs;
    QXmlStreamReader xml(text);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString v = xml.attributes().value("value").toString();
        if (xml.name() == QLatin1String("tr"))
            trs.append(Tr{});
        else if (xml.name() == QLatin1String("title"))
            trs.last().title = v;
        else if (xml.name() == QLatin1String("coursename"))
            trs.last().course = v;
        else if (xml.name() == QLatin1String("classname"))
            trs.last().cls = v;
        else if (xml.name() == QLatin1String("totallesson"))
            trs.last().total = v;
    }
    if (error)
        *error = xml.hasError() ? xml.errorString() : QString();
    return trs;
}

} // namespace

class TestPrintDocs : public QObject {
    Q_OBJECT
private slots:
    void scheduleDocumentTextOfTwoGroups();
    void schedulePeriods_data();
    void schedulePeriods();
    void scheduleTitleKeepsItsBlanks();
    void escapedNamesGiveWellFormedDocuments();
    void totalDocumentText();
    void totalElementNamesAndClassNames();
    void titlesCarryTheTermOnceSet();
    void offeredFileNamesSayWhatIsInside();
    void writeReplacesAndReportsFailure();
    void queriesGroupOrderAndBindValues();
    void jobsPickTemplateNames_data();
    void jobsPickTemplateNames();
    void readerTurnsDocumentsIntoPages();
    void deliveredTemplates_data();
    void deliveredTemplates();
    void brokenTemplatesAndDocumentsAreRefused_data();
    void brokenTemplatesAndDocumentsAreRefused();
};

void TestPrintDocs::scheduleDocumentTextOfTwoGroups() {
    // One lesson a day keeps the whole text short enough to read.
    const ScheduleRecords records = {Rec("张老师", 1, 2, "数学", "一(1)"),
                                     Rec("张老师", 1, 4, "语文", "二(1)"),
                                     Rec("李老师", 1, 5, "体育", "三(2)")};
    const QString empty = QStringLiteral("<coursename value=\" \"></coursename>\n"
                                         "<classname value=\" \"></classname>");
    QStringList lines;
    auto add = [&](const QString& block) { lines << block.split('\n'); };
    add("<root docname=\"塔沃林排课\">\n<record>");
    add("<tr>\n<title value=\"阳光小学     张老师\"></title>");
    add(empty + "\n<totallesson value=\" 0 \"></totallesson>\n</tr>");
    add("<tr>\n<coursename value=\"数学\"></coursename>\n<classname value=\"一(1)\"></classname>\n"
        "<totallesson value=\" 1 \"></totallesson>\n</tr>");
    add("<tr>\n" + empty + "\n<totallesson value=\" 1 \"></totallesson>\n</tr>");
    add("<tr>\n<coursename value=\"语文\"></coursename>\n<classname value=\"二(1)\"></classname>\n"
        "<totallesson value=\" 2 \"></totallesson>\n</tr>");
    add("<tr>\n" + empty + "\n<totallesson value=\" 2 \"></totallesson>\n</tr>");
    add("<tr>\n<title value=\"阳光小学     李老师\"></title>");
    for (int i = 0; i < 4; ++i)
        add(empty + "\n<totallesson value=\" 0 \"></totallesson>\n</tr>\n<tr>");
    add("<coursename value=\"体育\"></coursename>\n<classname value=\"三(2)\"></classname>\n"
        "<totallesson value=\" 1 \"></totallesson>\n</tr>");
    add("</record>\n</root>");
    QCOMPARE(QString::fromUtf8(ScheduleXmlText(records, 1, "阳光小学")),
             QString::fromUtf8(Crlf(lines)));
}

void TestPrintDocs::schedulePeriods_data() {
    QTest::addColumn<int>("lessonsPerDay");
    QTest::addColumn<QList<QList<int>>>("lessons"); // lessonNo, day
    QTest::addColumn<int>("trCount");
    QTest::addColumn<QList<int>>("filled"); // tr indexes holding a lesson, in record order

    QTest::newRow("one lesson, Monday 1") << 6 << QList<QList<int>>{{1, 1}} << 30 << QList<int>{0};
    QTest::newRow("seven a day, Friday 7")
        << 7 << QList<QList<int>>{{7, 5}} << 35 << QList<int>{34};
    QTest::newRow("across lessons")
        << 6 << QList<QList<int>>{{1, 4}, {2, 2}, {5, 1}, {6, 5}} << 30 << QList<int>{3, 6, 20, 29};
    // The second lesson of one period takes the next free place of the walk and
    // pushes the lessons behind it along; at the end of the week the walk runs
    // on into a lesson after the last one.
    QTest::newRow("double booking, free period after")
        << 6 << QList<QList<int>>{{1, 1}, {1, 1}, {1, 3}} << 30 << QList<int>{0, 1, 2};
    QTest::newRow("double booking pushes the next lesson")
        << 6 << QList<QList<int>>{{1, 1}, {1, 1}, {1, 2}} << 30 << QList<int>{0, 1, 2};
    QTest::newRow("double booking at the end of the week")
        << 6 << QList<QList<int>>{{6, 5}, {6, 5}} << 35 << QList<int>{29, 34};
    // Lesson 7 left from before a switch to 6 a day: neither shown nor counted.
    QTest::newRow("lesson 7 with 6 a day")
        << 6 << QList<QList<int>>{{1, 1}, {7, 3}} << 33 << QList<int>{0, 32};
}

void TestPrintDocs::schedulePeriods() {
    QFETCH(int, lessonsPerDay);
    QFETCH(QList<QList<int>>, lessons);
    QFETCH(int, trCount);
    QFETCH(QList<int>, filled);
    ScheduleRecords records;
    for (int i = 0; i < lessons.size(); ++i)
        records.push_back(Rec("一(1)班", lessons[i][0], lessons[i][1], QString("课%1").arg(i)));
    QString error;
    const QList<Tr> trs = ReadTrs(ScheduleXmlText(records, lessonsPerDay, "学校"), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(trs.size(), trCount);
    QCOMPARE(trs[0].title, QString("学校     一(1)班"));
    int count = 0;
    for (int i = 0; i < trs.size(); ++i) {
        const qsizetype k = filled.indexOf(i);
        // The page shows the first lessonsPerDay × 5 places; its count too.
        if (k >= 0 && i < lessonsPerDay * 5)
            ++count;
        QCOMPARE(trs[i].course, k >= 0 ? QString("课%1").arg(k) : QString(" "));
        QCOMPARE(trs[i].cls, k >= 0 ? QString() : QString(" "));
        QCOMPARE(trs[i].total, QString(" %1 ").arg(count));
        if (i > 0)
            QVERIFY(trs[i].title.isEmpty());
    }
}

void TestPrintDocs::scheduleTitleKeepsItsBlanks() {
    const QList<Tr> trs = ReadTrs(ScheduleXmlText({Rec("王丽", 3, 3, "音乐", "五(3)")}, 6, ""));
    QCOMPARE(trs.first().title, QString("     王丽"));
    QVERIFY(!ScheduleXmlText({Rec("王丽", 3, 3, "音乐")}, 6, "").startsWith("<?xml"));
}

void TestPrintDocs::escapedNamesGiveWellFormedDocuments() {
    const QString nasty = QStringLiteral("R&D <\"实验\"> 班");
    const QByteArray text = ScheduleXmlText(
        {Rec(nasty, 1, 1, "A&B", "<一>"), Rec(nasty, 1, 2, "\"C\"", "'")}, 6, "\"阳光\" & <小学>");
    QVERIFY(text.contains("value=\"A&amp;B\""));
    QVERIFY(text.contains("value=\"&lt;一&gt;\""));
    QVERIFY(text.contains("value=\"&quot;C&quot;\""));
    QVERIFY(text.contains("value=\"'\"")); // only the four characters change
    QString error;
    const QList<Tr> trs = ReadTrs(text, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(trs[0].title, "\"阳光\" & <小学>     " + nasty);
    QCOMPARE(trs[0].course, QString("A&B"));
    QCOMPARE(trs[0].cls, QString("<一>"));
    QCOMPARE(trs[1].course, QString("\"C\""));

    // Control characters pasted into names are dropped; XML 1.0 has no form for them.
    const QString pasted = QString("一\x01（1）\x1b班") + QChar(0xFFFF);
    const QByteArray withControls =
        ScheduleXmlText({Rec(pasted, 1, 1, "语\x0c文", "王\x02丽")}, 6, QString("阳光\x07小学"));
    const QList<Tr> clean = ReadTrs(withControls, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(clean[0].title, QString("阳光小学     一（1）班"));
    QCOMPARE(clean[0].course, QString("语文"));

    // The whole-school form is not strict XML; its own reader gets the values back.
    PrintDocumentData doc;
    QVERIFY(ParsePrintDocument(TotalXmlText({Rec("<一>", 1, 1, "A&B", "\"王\"")}, 6, "&"), doc));
    const QList<TotalRow> rows = TotalRowsOf(doc);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].classLabel, QString("<一>"));
    QCOMPARE(rows[0].cells.value(11).course, QString("A&B"));
    QCOMPARE(rows[0].cells.value(11).teacher, QString("\"王\""));
    QCOMPARE(rows[0].title, QString("&") + QString::fromUtf8(kTotalTitleTail));
}

void TestPrintDocs::totalDocumentText() {
    const ScheduleRecords records = {Rec("一(1)", 1, 2, "语", "王丽"),
                                     Rec("一(1)", 1, 3, "数", "李强"),
                                     Rec("一(2)", 1, 5, "体", "张敏")};
    const QString title =
        QStringLiteral("<title value=\"阳光小学 20    -- 20   学年度第  学期总课程表\"></title>");
    auto period = [](int d, const QString& course, const QString& cls, const QString& teacher) {
        return QStringList{
            QString("<coursenameL1%1 value=\"%2\"></coursename>").arg(d).arg(course),
            QString("<classnameL1%1 value=\"%2\"></classname>").arg(d).arg(cls),
            QString("<teachernameL1%1 value=\"%2\"></teachername>").arg(d).arg(teacher)};
    };
    QStringList lines{"<root docname=\"塔沃林排课\">", "<record>", "<tr>", title};
    lines << period(1, " ", "一(1)", " ") << period(2, "语", "一(1)", "王丽")
          << period(3, "数", "一(1)", "李强") << period(4, " ", "", " ") << period(5, " ", "", " ")
          << "</tr>"
          << "<tr>" << title;
    for (int d = 1; d <= 4; ++d)
        lines << period(d, " ", "一(2)", " ");
    lines << period(5, "体", "一(2)", "张敏") << "</tr>"
          << "</record>"
          << "</root>";
    QCOMPARE(QString::fromUtf8(TotalXmlText(records, 1, "阳光小学")),
             QString::fromUtf8(Crlf(lines)));
}

void TestPrintDocs::totalElementNamesAndClassNames() {
    const QString text = QString::fromUtf8(
        TotalXmlText({Rec("三(1)", 3, 2, "科", "赵磊"), Rec("三(1)", 7, 1, "美", "黄娟")}, 7, ""));
    QCOMPARE(text.count("<tr>"), 1);
    QCOMPARE(text.count("</coursename>"), 35);
    QCOMPARE(text.count("</teachername>"), 35);
    QVERIFY(text.contains("<coursenameL32 value=\"科\"></coursename>"));
    QVERIFY(text.contains("<teachernameL71 value=\"黄娟\"></teachername>"));
    // Before the last lesson empty periods name the class, after it they are empty.
    QVERIFY(text.contains("<classnameL11 value=\"三(1)\"></classname>"));
    QVERIFY(text.contains("<classnameL65 value=\"三(1)\"></classname>"));
    QVERIFY(text.contains("<classnameL72 value=\"\"></classname>"));
    QVERIFY(text.contains("<classnameL75 value=\"\"></classname>"));
    QVERIFY(text.contains("<title value=\" 20    -- 20   学年度第  学期总课程表\"></title>"));
}

void TestPrintDocs::titlesCarryTheTermOnceSet() {
    const ScheduleRecords one = {Rec("一(1)", 1, 1, "语", "王丽")};
    const auto titleOf = [](const QByteArray& text) {
        const qsizetype from = text.indexOf("<title value=\"") + 14;
        return QString::fromUtf8(text.mid(from, text.indexOf('"', from) - from));
    };
    const TimetableTitle set("阳光小学", 2025, 1);
    QCOMPARE(titleOf(ScheduleXmlText(one, 6, set)),
             QStringLiteral("阳光小学 2025—2026学年度第一学期     一(1)"));
    QCOMPARE(titleOf(TotalXmlText(one, 6, set)),
             QStringLiteral("阳光小学 2025—2026学年度第一学期总课程表"));
    QCOMPARE(titleOf(TotalXmlText(one, 6, TimetableTitle("阳光小学", 2026, 2))),
             QStringLiteral("阳光小学 2026—2027学年度第二学期总课程表"));
    // Half a setting is no setting: the blanks stay to be filled in by hand.
    for (const TimetableTitle& unset :
         {TimetableTitle("阳光小学", 2025, 0), TimetableTitle("阳光小学", 0, 1),
          TimetableTitle("阳光小学", 2025, 3)}) {
        QCOMPARE(titleOf(TotalXmlText(one, 6, unset)),
                 QStringLiteral("阳光小学") + QString::fromUtf8(kTotalTitleTail));
        QCOMPARE(titleOf(ScheduleXmlText(one, 6, unset)), QStringLiteral("阳光小学     一(1)"));
    }
}

void TestPrintDocs::offeredFileNamesSayWhatIsInside() {
    QCOMPARE(OfferedFileName(ScheduleKind::Class, "一（1）班", ".pdf"),
             QStringLiteral("一（1）班课表.pdf"));
    QCOMPARE(OfferedFileName(ScheduleKind::Teacher, " 张老师 ", ".xlsx"),
             QStringLiteral("张老师课表.xlsx"));
    QCOMPARE(OfferedFileName(ScheduleKind::AllClasses, "ignored", ".xlsx"),
             QStringLiteral("全校班级课表.xlsx"));
    QCOMPARE(OfferedFileName(ScheduleKind::AllTeachers, {}, ".pdf"),
             QStringLiteral("全校教师课表.pdf"));
    QCOMPARE(OfferedFileName(ScheduleKind::Total, {}, ".xlsx"), QStringLiteral("全校总课表.xlsx"));
    // A name no file system takes as it is.
    QCOMPARE(OfferedFileName(ScheduleKind::Teacher, "a/b:c*?\"<>|\\", ""),
             QStringLiteral("a_b_c_______课表"));
    QCOMPARE(OfferedFileName(ScheduleKind::Class, "..", ".pdf"), QStringLiteral("_.课表.pdf"));
}

void TestPrintDocs::writeReplacesAndReportsFailure() {
    QTemporaryDir dir;
    const QString path = dir.filePath("tmp.xml");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'x'));
    old.close();
    const ScheduleRecords records = {Rec("一(1)班", 1, 1, "语文")};
    WriteScheduleXml(path, records, 6, "校");
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), ScheduleXmlText(records, 6, "校"));
    QVERIFY_THROWS_EXCEPTION(Failure,
                             WriteTotalXml(dir.filePath("no/such/dir/tmp.xml"), records, 6, "校"));
    QVERIFY_THROWS_EXCEPTION(Failure, WriteScheduleXml(dir.path(), records, 6, "校")); // a folder
}

void TestPrintDocs::queriesGroupOrderAndBindValues() {
    TestDb t;
    t.addClass("21", "二年级(1)班", "", "二(1)");
    t.addClass("11", "O'一年级\"班", "", "一(1)");
    t.addClass("12", "一年级(2)班", "", "一(2)");
    t.addCourse("1", "语文", "语");
    t.addCourse("2", "数学", "数");
    t.addTeacher("T2", "王丽");
    t.addTeacher("T1", "李强");
    t.addLesson("21", 2, 1, "1", "T2", 1);
    t.addLesson("11", 3, 2, "2", "T1", 1);
    t.addLesson("11", 1, 2, "1", "T2", 0);
    t.addLesson("11", 1, 1, "2", "T1", 2);

    auto rows = [](const ScheduleRecords& rs) {
        QStringList out;
        for (const auto& r : rs)
            out << QString("%1|%2|%3|%4%5")
                       .arg(r.name, r.courseName, r.secondLine)
                       .arg(r.lessonNo)
                       .arg(r.day);
        return out;
    };
    QCOMPARE(
        rows(QueryScheduleRecords(t.db, ScheduleKind::Class, "O'一年级\"班")),
        QStringList({"O'一年级\"班|数学||11", "O'一年级\"班|语文||21", "O'一年级\"班|数学||23"}));
    QCOMPARE(rows(QueryScheduleRecords(t.db, ScheduleKind::AllClasses, {})),
             QStringList({"O'一年级\"班|数学||11", "O'一年级\"班|语文||21", "O'一年级\"班|数学||23",
                          "二年级(1)班|语文||12"}));
    QCOMPARE(rows(QueryScheduleRecords(t.db, ScheduleKind::Teacher, "王丽")),
             QStringList({"王丽|语文|二(1)|12", "王丽|语文|一(1)|21"}));
    QCOMPARE(rows(QueryScheduleRecords(t.db, ScheduleKind::AllTeachers, {})),
             QStringList({"李强|数学|一(1)|11", "李强|数学|一(1)|23", "王丽|语文|二(1)|12",
                          "王丽|语文|一(1)|21"}));
    QCOMPARE(rows(QueryScheduleRecords(t.db, ScheduleKind::Total, {})),
             QStringList(
                 {"一(1)|数|李强|11", "一(1)|语|王丽|21", "一(1)|数|李强|23", "二(1)|语|王丽|12"}));
    QVERIFY(QueryScheduleRecords(t.db, ScheduleKind::Class, "一年级(2)班").empty());
    QVERIFY(QueryScheduleRecords(t.db, ScheduleKind::Teacher, "无此人").empty());
    t.db.close();
    QVERIFY_THROWS_EXCEPTION(std::exception, QueryScheduleRecords(t.db, ScheduleKind::Total, {}));
}

void TestPrintDocs::jobsPickTemplateNames_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("lessons");
    QTest::addColumn<QString>("name");
    QTest::newRow("class 6") << int(ScheduleKind::Class) << 6 << "ClassSchd6.xml";
    QTest::newRow("all classes 7") << int(ScheduleKind::AllClasses) << 7 << "ClassSchd7.xml";
    QTest::newRow("teacher 7") << int(ScheduleKind::Teacher) << 7 << "TeacherSchd7.xml";
    QTest::newRow("all teachers 6") << int(ScheduleKind::AllTeachers) << 6 << "TeacherSchd6.xml";
    QTest::newRow("total 6") << int(ScheduleKind::Total) << 6 << "TotalSchd6A3.xml";
    QTest::newRow("total 7") << int(ScheduleKind::Total) << 7 << "TotalSchd7A3.xml";
}

void TestPrintDocs::jobsPickTemplateNames() {
    QFETCH(int, kind);
    QFETCH(int, lessons);
    QFETCH(QString, name);
    QCOMPARE(PrintTemplateFileName(ScheduleKind(kind), lessons), name);
    QVERIFY2(QFile::exists(ResourcePath(name)), qPrintable(ResourcePath(name)));
}

void TestPrintDocs::readerTurnsDocumentsIntoPages() {
    PrintDocumentData doc;
    QVERIFY(ParsePrintDocument(
        ScheduleXmlText({Rec("甲", 1, 2, "语文", "一(1)"), Rec("甲", 6, 5, "数学", "一(2)"),
                         Rec("乙", 2, 1, "体育", "二(1)")},
                        6, "校"),
        doc));
    QCOMPARE(doc.docName, QString("塔沃林排课"));
    const QList<SchedulePage> pages = SchedulePagesOf(doc);
    QCOMPARE(pages.size(), 2);
    QCOMPARE(pages[0].title, QString("校     甲"));
    QCOMPARE(pages[0].cells.size(), 30);
    QCOMPARE(pages[0].cells[1].course, QString("语文"));
    QCOMPARE(pages[0].cells[1].className, QString("一(1)"));
    QCOMPARE(pages[0].cells[0].course, QString()); // the one blank reads as empty
    QCOMPARE(pages[0].cells[29].course, QString("数学"));
    QCOMPARE(pages[0].total, QString("2"));
    QCOMPARE(pages[1].cells[5].course, QString("体育"));
    QCOMPARE(pages[1].total, QString("1"));

    QVERIFY(ParsePrintDocument(
        TotalXmlText({Rec("一(1)", 2, 3, "语", "王"), Rec("一(2)", 6, 5, "数", "李")}, 6, "校"),
        doc));
    const QList<TotalRow> rows = TotalRowsOf(doc);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].classLabel, QString("一(1)"));
    QCOMPARE(rows[0].cells.value(23).course, QString("语"));
    QCOMPARE(rows[0].cells.value(23).teacher, QString("王"));
    QCOMPARE(rows[0].cells.value(11).course, QString());
    QCOMPARE(rows[1].cells.value(65).teacher, QString("李"));
    QCOMPARE(rows[1].title, QString("校") + QString::fromUtf8(kTotalTitleTail));
}

void TestPrintDocs::deliveredTemplates_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("total");
    QTest::addColumn<int>("lessons");
    QTest::addColumn<QStringList>("fields");
    const QStringList course{"coursename"};
    const QStringList teacher{"coursename", "classname"};
    const QStringList total{"coursename", "teachername"};
    QTest::newRow("class 6") << "ClassSchd6.xml" << false << 6 << course;
    QTest::newRow("class 7") << "ClassSchd7.xml" << false << 7 << course;
    QTest::newRow("teacher 6") << "TeacherSchd6.xml" << false << 6 << teacher;
    QTest::newRow("teacher 7") << "TeacherSchd7.xml" << false << 7 << teacher;
    QTest::newRow("total 6") << "TotalSchd6A3.xml" << true << 6 << total;
    QTest::newRow("total 7") << "TotalSchd7A3.xml" << true << 7 << total;
}

void TestPrintDocs::deliveredTemplates() {
    QFETCH(QString, file);
    QFETCH(bool, total);
    QFETCH(int, lessons);
    QFETCH(QStringList, fields);
    PrintTemplate t;
    QString error;
    QVERIFY2(ReadPrintTemplate(ResourcePath(file), t, &error), qPrintable(error));
    QCOMPARE(t.layout == PrintTemplate::Layout::Total, total);
    QCOMPARE(t.paper, total ? QString("A3") : QString("A4"));
    QCOMPARE(t.landscape, total);
    QCOMPARE(t.lessonCount(), lessons);
    QCOMPARE(t.days.first(), QString("星期一"));
    QStringList names;
    for (const auto& f : t.fields)
        names << f.name;
    QCOMPARE(names, fields);
    if (!total) {
        QCOMPARE(t.separatorAfter, 4);
        QVERIFY(t.totalText.contains("{total}"));
    }
}

void TestPrintDocs::brokenTemplatesAndDocumentsAreRefused_data() {
    QTest::addColumn<bool>("isTemplate");
    QTest::addColumn<QByteArray>("text");
    const QByteArray days = "<day>一</day><day>二</day><day>三</day><day>四</day><day>五</day>";
    QTest::newRow("template: other root") << true << QByteArray("<root/>");
    QTest::newRow("template: unknown layout")
        << true
        << "<printtemplate layout=\"poster\"><table>" + days +
               "<lesson>1</lesson><field name=\"coursename\"/></table></printtemplate>";
    QTest::newRow("template: four days")
        << true
        << QByteArray("<printtemplate layout=\"total\"><table><day>一</day><lesson>1</lesson>"
                      "<field name=\"coursename\"/></table></printtemplate>");
    QTest::newRow("template: no fields") << true
                                         << "<printtemplate layout=\"total\"><table>" + days +
                                                "<lesson>1</lesson></table></printtemplate>";
    QTest::newRow("template: cut short")
        << true << "<printtemplate layout=\"total\"><table>" + days + "<lesson>1</lesson>";
    QTest::newRow("document: empty") << false << QByteArray();
    QTest::newRow("document: other root") << false << QByteArray("<html><tr></tr></html>");
    QTest::newRow("document: cut short")
        << false << QByteArray("<root docname=\"x\">\r\n<record>\r\n<tr>\r\n");
}

void TestPrintDocs::brokenTemplatesAndDocumentsAreRefused() {
    QFETCH(bool, isTemplate);
    QFETCH(QByteArray, text);
    QString error;
    if (isTemplate) {
        PrintTemplate t;
        QVERIFY(!ParsePrintTemplate(text, t, &error));
    } else {
        PrintDocumentData d;
        QVERIFY(!ParsePrintDocument(text, d, &error));
    }
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestPrintDocs)
#include "test_printdocs.moc"
