#pragma once
// SQLite's result codes turned into the program's Chinese reasons, so that a
// locked, read-only, full or damaged file is named as such wherever it is met.
#include "core/model/Failure.h"

#include <QString>
#include <exception>

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
