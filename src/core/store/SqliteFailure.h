#pragma once
// SQLite's result codes turned into the program's Chinese reasons, so that a
// locked, read-only, full or damaged file is named as such wherever it is met.
#include "core/model/Failure.h"

#include <QString>
#include <exception>

// Chinese reasons shared by the opening check and the mapping below.
namespace reason {
inline QString busy() {
    return QStringLiteral("课表数据库正被其他程序使用");
}
inline QString readOnly() {
    return QStringLiteral("文件只读");
}
inline QString diskFull() {
    return QStringLiteral("磁盘已满");
}
inline QString corrupt() {
    return QStringLiteral("文件已损坏");
}
inline QString notTimetable() {
    return QStringLiteral("不是课表数据库");
}
inline QString cannotOpen() {
    return QStringLiteral("无法打开文件");
}
inline QString missing() {
    return QStringLiteral("文件不存在");
}
inline QString ioError() {
    return QStringLiteral("读写文件出错");
}
} // namespace reason

// A Failure for SQLite result code `code` (primary or extended) met on `path`.
Failure SqliteFailure(int code, const QString& path);

// A Failure for any exception met while working on `path`: a Failure passes
// through, a SQLite exception is mapped by its code, anything else becomes a
// generic read/write failure.
Failure AsFailure(const std::exception& e, const QString& path);

// The body of a tryX() twin: runs `work`; true when it returned, false with the
// Failure's message in *why (when given) when it threw one.
template <class Work> [[nodiscard]] bool TryOrSay(QString* why, Work&& work) {
    try {
        work();
        return true;
    } catch (const Failure& e) {
        if (why)
            *why = e.message();
        return false;
    }
}
