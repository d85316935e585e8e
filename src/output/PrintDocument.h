#pragma once
// The print document: the lessons of one print job written as XML lines, which
// the print component lays out on paper through a page template.
#include <QByteArray>
#include <QString>
#include <vector>

// One lesson of a print job. Records come grouped by consecutive equal name
// (a class or a teacher; in the whole-school job the class short name) and
// ordered by lesson number, then day, within a group.
struct PrintRecord {
    QString name;
    QString courseName;     // whole school: the course short name
    QString classShortName; // whole school: the teacher's name; class jobs: empty
    int day = 0;
    int lessonNo = 0;
};

// The root element's document name and the fixed tail of the whole-school title.
inline constexpr const char* kPrintDocName = "塔沃林排课";
inline constexpr const char* kTotalTitleTail = " 20    -- 20   学年度第  学期总课程表";

// & < > and " as entities, so any name still gives a well-formed value.
QString XmlEscape(const QString& value);

// The document text of a class or teacher job: one tr per period of the week,
// lesson by lesson, with the running lesson count. Lines end in CR LF, UTF-8,
// no XML declaration.
QByteArray ScheduleXmlText(const std::vector<PrintRecord>& records, int lessonsPerDay,
                           const QString& schoolName);
// The document text of the whole-school job: one tr per class whose element
// names carry the lesson and day (coursenameL32 = lesson 3, Tuesday).
QByteArray TotalXmlText(const std::vector<PrintRecord>& records, int lessonsPerDay,
                        const QString& schoolName);

// Write the document to path, replacing an earlier file. 0 written, -1 failure
// (the earlier file is then left as it was).
int WriteScheduleXml(const QString& path, const std::vector<PrintRecord>& records,
                     int lessonsPerDay, const QString& schoolName);
int WriteTotalXml(const QString& path, const std::vector<PrintRecord>& records, int lessonsPerDay,
                  const QString& schoolName);
