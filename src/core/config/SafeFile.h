#pragma once
// Every file the program hands the user (print document, PDF, workbook, a new
// database) is written under a temporary name in the target's folder, checked,
// and only then renamed over the target. A failure or a kill leaves the old
// file exactly as it was; the next write into that folder removes what a
// killed run left behind.
#include "core/model/Failure.h"

#include <QString>

class SafeFile {
public:
    // Throws Failure when the target is a folder, a read-only file, or lies in
    // a folder that cannot be written.
    explicit SafeFile(const QString& target);
    // Removes the temporary file (and SQLite's side files of it) unless committed.
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    const QString& target() const { return m_target; }
    // Where to write: "<folder>/.<name>.<pid>.kbxt-part". Nothing exists there yet.
    const QString& tempPath() const { return m_temp; }

    // Puts the written temporary file in place of the target. Throws Failure
    // naming the target when the temporary file is missing or shorter than
    // minBytes, or cannot be renamed; the temporary file is removed then.
    void commit(qint64 minBytes = 1);

    // Why writing into the target's folder failed, judged from the disk: full,
    // read-only, or else a plain write error.
    Failure writeFailure() const;

private:
    QString m_target;
    QString m_temp;
    bool m_committed = false;
};

// A folder handed over whole (a published timetable set) the same way: filled
// under a temporary name beside the target, then put in its place in one
// rename. A target folder already there is moved aside first and removed only
// once the new one is in place, so a failure or a kill leaves it whole.
class SafeFolder {
public:
    // Creates the empty temporary folder. Throws Failure when the target is a
    // file, or its parent folder is missing or cannot be written.
    explicit SafeFolder(const QString& target);
    // Removes the temporary folder and all in it unless committed.
    ~SafeFolder();
    SafeFolder(const SafeFolder&) = delete;
    SafeFolder& operator=(const SafeFolder&) = delete;

    const QString& target() const { return m_target; }
    const QString& tempPath() const { return m_temp; }

    // Puts the temporary folder in place of the target, replacing whatever
    // folder was there. Throws Failure naming the target, with the old folder
    // left where it was.
    void commit();

    // Why writing into the temporary folder failed: full, read-only or else a
    // plain write error.
    Failure writeFailure() const;

private:
    QString m_target;
    QString m_temp;
    bool m_committed = false;
};

// Removes the temporary files and folders of runs that no longer live from folder.
void RemoveStaleTempFiles(const QString& folder);

// True when a and b name the same existing file (links and relative paths
// resolved), or the same path when neither exists.
bool SameFile(const QString& a, const QString& b);
