#pragma once
// The web pages of a published set: plain HTML5 with its style inside each
// page, no script and no link outside the folder, so the folder can be put on
// any web server, shared as it is, or opened from a USB stick.
#include "core/formats/PublishSet.h"

#include <QByteArray>

// What the folder holds beside the pages, so the index can link to it.
struct PublishExtras {
    bool pictures = false;  // <stem>.png for every class and teacher
    bool calendars = false; // <stem>.ics for every class and teacher
};

inline constexpr const char* kPublishIndexFile = "index.html";
inline constexpr const char* kPublishSchoolStem = "school";
// Carried by every page; a folder whose index.html has it is one of ours.
inline constexpr const char* kPublishGenerator = "<meta name=\"generator\" content=\"kbxt\">";

// index.html: the school, the term, the 作息时间 and a link to every page.
QByteArray PublishIndexHtml(const PublishSchool& s, const PublishExtras& extras);
// A class's or a teacher's week: days across, lessons down.
QByteArray PublishTableHtml(const PublishSchool& s, const PublishTable& t, bool teacher,
                            const PublishExtras& extras);
// The whole school: one table per day, classes down, lessons across, side by
// side on a wide screen and one under another on a phone.
QByteArray PublishSchoolHtml(const PublishSchool& s);
