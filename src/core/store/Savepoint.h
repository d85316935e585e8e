#pragma once
// A savepoint that works both alone and inside a caller's transaction; on
// failure everything since it started is undone.
//
// SQLiteCpp's own Savepoint (the version Debian ships) leaves the savepoint
// open after a rollback, so a later statement would still run inside it;
// this one always releases it.
#include <SQLiteCpp/SQLiteCpp.h>

class Savepoint {
public:
    explicit Savepoint(SQLite::Database& db) : m_db(db) { m_db.exec("SAVEPOINT kbxt_write"); }
    ~Savepoint() {
        if (m_done)
            return;
        try {
            m_db.exec("ROLLBACK TO kbxt_write");
            m_db.exec("RELEASE kbxt_write");
        } catch (const std::exception&) {
        }
    }
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;
    void release() {
        m_db.exec("RELEASE kbxt_write");
        m_done = true;
    }

private:
    SQLite::Database& m_db;
    bool m_done = false;
};
