#include "core/store/Schema.h"

#include "core/store/SchemaSql.h"
#include "core/store/SqliteFailure.h"

#include <QFile>
#include <QFileInfo>
#include <SQLiteCpp/SQLiteCpp.h>

bool CreateTimetableFile(const QString& path, QString* why) {
    if (path.isEmpty() || QFileInfo::exists(path)) {
        if (why)
            *why = path.isEmpty() ? QStringLiteral("没有给出文件名")
                                  : QStringLiteral("文件已存在，不会覆盖：") + path;
        return false;
    }
    try {
        SQLite::Database db(path.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        SQLite::Transaction tx(db);
        db.exec(kSchemaSql);
        tx.commit();
        return true;
    } catch (const std::exception& e) {
        QFile::remove(path);
        if (why)
            *why = AsFailure(e, path).message();
        return false;
    }
}
