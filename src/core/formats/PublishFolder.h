#pragma once
// Writing a published set as one folder: index.html, a page for every class,
// every teacher and the whole school, and optionally pictures and calendars.
// The folder is filled under a temporary name and renamed into place, so a
// reader never sees half a set, and it replaces only a set of ours unless
// forced.
#include "core/formats/PublishHtml.h"

#include <functional>

struct PublishOptions {
    PublishExtras extras;
    bool force = false;   // replace a folder that is not a set of ours
    QString databasePath; // never inside the folder replaced
};

struct PublishReport {
    QString folder;
    int pages = 0;
    int pictures = 0;
    int calendars = 0;
};

// Draws <stem>.png for every class and teacher into folder; returns how many
// were written, throws Failure. The core cannot draw, so the windows and the
// command line each bring their own.
using PublishPictureWriter = std::function<int(const PublishSchool&, const QString& folder)>;

// Why dir cannot take the set, in Chinese; empty when it can: an existing
// folder that is neither empty nor one of ours needs force, and no force
// replaces a folder holding the database, the home folder or the root.
QString PublishFolderProblem(const QString& dir, bool force, const QString& databasePath);

// Writes the set into dir. Throws Failure (nothing changed then) when the
// folder is refused or cannot be written, or the pictures fail.
PublishReport WritePublishSet(const PublishSchool& s, const QString& dir,
                              const PublishOptions& options,
                              const PublishPictureWriter& pictures = {});

// "写入 12 个网页、10 张图片、10 个日历：/path" for the window and the command line.
QString PublishReportText(const PublishReport& r);
