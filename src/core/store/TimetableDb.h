#pragma once
// The one open timetable database. The program keeps a single instance in its
// shell and hands it to every window by reference; tests open their own.
#include <QString>
#include <SQLiteCpp/SQLiteCpp.h>
#include <memory>
#include <stdexcept>

class DatabaseClosed : public std::runtime_error {
public:
    DatabaseClosed() : std::runtime_error("no timetable database is open") {}
};

class TimetableDb {
public:
    TimetableDb() = default;
    TimetableDb(const TimetableDb&) = delete;
    TimetableDb& operator=(const TimetableDb&) = delete;
    ~TimetableDb();

    // Opens an existing file read-write and holds it exclusively. Never creates a
    // file. Returns false, keeping whatever was open before, when the file is
    // missing, is not a database or is held by another program.
    bool open(const QString& path);
    // Closing twice, or with nothing open, is harmless.
    void close();
    bool isOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }

    // The connection; throws DatabaseClosed when nothing is open, so every
    // operation on a closed database fails through its normal failure path.
    SQLite::Database& sql();

private:
    std::unique_ptr<SQLite::Database> m_db;
    QString m_path;
};

bool OpenTimetableDb(TimetableDb& db, const QString& path);
void CloseTimetableDb(TimetableDb& db);
