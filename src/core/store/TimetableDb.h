#pragma once
// The one open timetable database. The program keeps a single instance in its
// shell and hands it to every window by reference; tests open their own.
#include "core/model/Failure.h"

#include <QString>
#include <SQLiteCpp/SQLiteCpp.h>
#include <memory>
#include <stdexcept>

class DatabaseClosed : public Failure {
public:
    DatabaseClosed()
        : Failure(QStringLiteral("没有打开的课表数据库"), {},
                  QStringLiteral("请用“文件 → 打开数据库”打开一个课表数据库。")) {}
};

class TimetableDb {
public:
    TimetableDb() = default;
    TimetableDb(const TimetableDb&) = delete;
    TimetableDb& operator=(const TimetableDb&) = delete;
    ~TimetableDb();

    // Opens an existing timetable database read-write and holds it exclusively.
    // The file is first checked read-only (CheckTimetableFile), so a foreign or
    // empty file is refused before anything in it changes. Throws Failure with
    // the reason, keeping whatever was open before.
    void openChecked(const QString& path);
    // The same, returning false instead of throwing.
    [[nodiscard]] bool open(const QString& path);
    // Closing twice, or with nothing open, is harmless.
    void close();
    bool isOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }

    // The connection; throws DatabaseClosed when nothing is open, so every
    // operation on a closed database fails through its normal failure path.
    SQLite::Database& sql();

    // Why work on the open database just failed, judged afterwards from the
    // file: disk full, damaged, read-only or locked, else a plain read/write error.
    Failure explainFailure();

private:
    std::unique_ptr<SQLite::Database> m_db;
    QString m_path;
};

// Checks without changing anything that path is a SQLite file holding the
// eight tables with their columns, writable in a writable folder and not held by
// another program. Throws Failure ("不是课表数据库", "文件只读", ...) otherwise.
void CheckTimetableFile(const QString& path);

[[nodiscard]] bool OpenTimetableDb(TimetableDb& db, const QString& path);
void CloseTimetableDb(TimetableDb& db);
