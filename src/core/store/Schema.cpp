#include "core/store/Schema.h"

#include "core/store/SchemaSql.h"

#include <QFile>
#include <QFileInfo>
#include <SQLiteCpp/SQLiteCpp.h>

bool CreateTimetableFile(const QString& path) {
    if (path.isEmpty() || QFileInfo::exists(path))
        return false;
    try {
        SQLite::Database db(path.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        SQLite::Transaction tx(db);
        db.exec(kSchemaSql);
        tx.commit();
        return true;
    } catch (const std::exception&) {
        QFile::remove(path);
        return false;
    }
}
