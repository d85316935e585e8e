#include "core/store/SqliteFailure.h"

#include <SQLiteCpp/Exception.h>
#include <sqlite3.h>

Failure SqliteFailure(int code, const QString& path) {
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Failure(reason::busy(), path,
                       QStringLiteral("请关闭正在使用它的其他程序（包括另一个排课软件）后再试。"));
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return Failure(
            reason::readOnly(), path,
            QStringLiteral("请检查文件和所在文件夹是否允许写入，或把它复制到可写的文件夹。"));
    case SQLITE_FULL:
        return Failure(reason::diskFull(), path, QStringLiteral("请清理磁盘空间后再试。"));
    case SQLITE_CORRUPT:
        return Failure(reason::corrupt(), path, QStringLiteral("请换用备份的课表数据库。"));
    case SQLITE_NOTADB:
        return Failure(reason::notTimetable(), path,
                       QStringLiteral("请选择本软件保存的课表数据库文件。"));
    case SQLITE_CANTOPEN:
        return Failure(reason::cannotOpen(), path,
                       QStringLiteral("请检查文件是否存在、所在文件夹是否可以访问。"));
    case SQLITE_IOERR:
        return Failure(reason::ioError(), path,
                       QStringLiteral("请检查磁盘或U盘是否已拔出、是否已满。"));
    default:
        return Failure(QStringLiteral("课表数据库操作失败"), path);
    }
}

Failure AsFailure(const std::exception& e, const QString& path) {
    if (const auto* f = dynamic_cast<const Failure*>(&e))
        return *f;
    if (const auto* s = dynamic_cast<const SQLite::Exception*>(&e)) {
        // An extended code carries the detail (SQLITE_IOERR_WRITE on a full
        // disk reports as I/O); a code of -1 means SQLiteCpp itself refused.
        const int code = s->getErrorCode();
        if (code > 0)
            return SqliteFailure(s->getExtendedErrorCode() > 0 ? s->getExtendedErrorCode() : code,
                                 path);
    }
    return Failure(reason::ioError(), path);
}
