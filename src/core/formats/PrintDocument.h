#pragma once
// The print document: the lessons of one print job written as XML lines, which
// the print component lays out on paper through a page template.
#include "core/formats/TimetableTitle.h"
#include "core/store/ScheduleRecords.h"

#include <QByteArray>
#include <QStringList>

// The root element's document name and the fixed tail of the whole-school title.
inline constexpr const char* kPrintDocName = "塔沃林排课";
inline constexpr const char* kTotalTitleTail = " 20    -- 20   学年度第  学期总课程表";

// & < > and " as entities, and characters XML 1.0 does not allow (control
// characters, lone surrogates) dropped, so any name gives a well-formed value.
QString XmlEscape(const QString& value);

// The document text of a class or teacher job: one tr per period of the week,
// lesson by lesson, with the running lesson count. Lines end in CR LF, UTF-8,
// no XML declaration.
QByteArray ScheduleXmlText(const ScheduleRecords& records, int lessonsPerDay,
                           const TimetableTitle& title);
// The document text of the whole-school job: one tr per class whose element
// names carry the lesson and day (coursenameL32 = lesson 3, Tuesday).
QByteArray TotalXmlText(const ScheduleRecords& records, int lessonsPerDay,
                        const TimetableTitle& title);

// The document with the 作息时间 of each lesson ("08:00-08:40", lesson 1 first)
// as lessontime lines ahead of the record, for a print that shows them beside
// the lesson numbers. Without times the document is returned unchanged.
QByteArray WithLessonTimes(const QByteArray& document, const QStringList& times);

// Writes text to path through a checked temporary file; throws Failure naming
// path and the reason (disk full, read-only, ...), leaving an earlier file as it was.
void SaveDocumentText(const QString& path, const QByteArray& text);

// Write the document to path, replacing an earlier file; throw Failure as
// SaveDocumentText does.
void WriteScheduleXml(const QString& path, const ScheduleRecords& records, int lessonsPerDay,
                      const TimetableTitle& title);
void WriteTotalXml(const QString& path, const ScheduleRecords& records, int lessonsPerDay,
                   const TimetableTitle& title);
