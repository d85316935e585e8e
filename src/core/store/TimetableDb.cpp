#include "core/store/TimetableDb.h"

#include <QFileInfo>

TimetableDb::~TimetableDb() {
    close();
}

bool TimetableDb::open(const QString& path) {
    // SQLite would happily open a directory name or create nothing useful out of
    // a missing path with other flags; READWRITE alone never creates.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    // The same file cannot be opened twice while we hold it exclusively.
    if (m_db && QFileInfo(path).absoluteFilePath() == m_path)
        close();
    try {
        auto db = std::make_unique<SQLite::Database>(path.toStdString(), SQLite::OPEN_READWRITE);
        // The locking mode must come first; the immediate exclusive transaction
        // takes the lock now, and makes a file that is not a database fail here.
        db->exec("PRAGMA locking_mode=EXCLUSIVE");
        db->exec("PRAGMA journal_mode=WAL");
        db->exec("PRAGMA synchronous=NORMAL");
        db->exec("BEGIN EXCLUSIVE");
        db->exec("COMMIT");
        close();
        m_db = std::move(db);
        m_path = QFileInfo(path).absoluteFilePath();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void TimetableDb::close() {
    if (!m_db)
        return;
    try {
        // Fold the write-ahead log back into the file so that a copy of the file
        // alone (save-as, backups) holds every change.
        m_db->exec("PRAGMA wal_checkpoint(TRUNCATE)");
    } catch (const std::exception&) {
    }
    m_db.reset();
    m_path.clear();
}

SQLite::Database& TimetableDb::sql() {
    if (!m_db)
        throw DatabaseClosed();
    return *m_db;
}

bool OpenTimetableDb(TimetableDb& db, const QString& path) {
    return db.open(path);
}

void CloseTimetableDb(TimetableDb& db) {
    db.close();
}
