#include "core/store/TimetableDb.h"

#include "core/store/SqliteFailure.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <sqlite3.h>

TimetableDb::~TimetableDb() {
    close();
}

namespace {

// The tables and columns every timetable database has; extra ones are allowed.
const struct {
    const char* table;
    const char* columns;
} kTables[] = {
    {"Classtb", "Code,Name,FullName,ShortName"},
    {"Coursetb", "Code,Name,FullName,ShortName"},
    {"Teachertb", "Code,Name,FullName,ShortName"},
    {"ClassRoomtb", "Code,Name,FullName,ShortName"},
    {"ClassPlantb", "ClassCode,CourseCode,TeacherCode,Count,BuildCount,IsAutoBuild"},
    {"LessonListtb", "ClassCode,Day,LessonNo,CourseCode,TeacherCode,SetFlag"},
    {"Limittb", "Kind,Code,Day,LessonNo,Attr"},
    {"CourseAttrtb", "CourseCode"},
};

Failure NotTimetable(const QString& path) {
    return Failure(reason::notTimetable(), path,
                   QStringLiteral("请选择本软件保存的课表数据库文件（.db）。"));
}

// The schema read through a read-only connection that never creates a file.
void CheckTables(const QString& path) {
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READONLY);
    for (const auto& t : kTables) {
        QSet<QString> have;
        SQLite::Statement st(db, "select name from pragma_table_info(?)");
        st.bind(1, t.table);
        while (st.executeStep())
            have.insert(QString::fromStdString(st.getColumn(0).getString()).toLower());
        for (const QString& column : QString::fromLatin1(t.columns).split(','))
            if (!have.contains(column.toLower()))
                throw NotTimetable(path);
    }
}

} // namespace

void CheckTimetableFile(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        throw Failure(reason::missing(), path);
    if (info.isDir())
        throw Failure(QStringLiteral("这是一个文件夹，不是课表数据库"), path,
                      QStringLiteral("请选择文件夹里的课表数据库文件（.db）。"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("没有权限读取文件"), path);
    // An empty file would pass for an empty database, and SQLite would turn it
    // into one; anything without the SQLite header is refused before SQLite sees it.
    if (file.read(16) != QByteArray("SQLite format 3", 16))
        throw NotTimetable(path);
    file.close();
    try {
        CheckTables(path);
    } catch (const Failure&) {
        throw;
    } catch (const std::exception& e) {
        throw AsFailure(e, path);
    }
    if (!info.isWritable())
        throw SqliteFailure(SQLITE_READONLY, path);
    // The journal lives beside the file, so its folder must be writable too.
    if (!QFileInfo(info.absolutePath()).isWritable())
        throw Failure(reason::readOnly(), info.absolutePath(),
                      QStringLiteral("课表数据库所在的文件夹不能写入；请把它复制到可写的文件夹。"));
}

void TimetableDb::openChecked(const QString& path) {
    // The same file cannot be checked or opened again while we hold it exclusively.
    if (m_db && QFileInfo(path).absoluteFilePath() == m_path)
        close();
    CheckTimetableFile(path);
    try {
        // READWRITE alone never creates a file.
        auto db = std::make_unique<SQLite::Database>(path.toStdString(), SQLite::OPEN_READWRITE);
        // The locking mode must come first; the immediate exclusive transaction
        // takes the lock now, so a second copy of the program fails here.
        db->exec("PRAGMA locking_mode=EXCLUSIVE");
        db->exec("PRAGMA journal_mode=WAL");
        db->exec("PRAGMA synchronous=NORMAL");
        db->exec("BEGIN EXCLUSIVE");
        db->exec("COMMIT");
        close();
        m_db = std::move(db);
        m_path = QFileInfo(path).absoluteFilePath();
    } catch (const std::exception& e) {
        throw AsFailure(e, path);
    }
}

bool TimetableDb::open(const QString& path) {
    try {
        openChecked(path);
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

Failure TimetableDb::explainFailure() {
    if (!m_db)
        return DatabaseClosed();
    const QStorageInfo disk(QFileInfo(m_path).absolutePath());
    if (disk.isValid() && disk.bytesAvailable() < 64 * 1024)
        return SqliteFailure(SQLITE_FULL, m_path);
    try {
        SQLite::Statement check(*m_db, "PRAGMA quick_check");
        if (check.executeStep() && check.getColumn(0).getString() != "ok")
            return SqliteFailure(SQLITE_CORRUPT, m_path);
        m_db->exec("BEGIN IMMEDIATE");
        m_db->exec("ROLLBACK");
    } catch (const std::exception& e) {
        return AsFailure(e, m_path);
    }
    return Failure(QStringLiteral("读写课表数据库出错"), m_path, QStringLiteral("请再试一次。"));
}

bool OpenTimetableDb(TimetableDb& db, const QString& path) {
    return db.open(path);
}

void CloseTimetableDb(TimetableDb& db) {
    db.close();
}
