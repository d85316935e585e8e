#pragma once
// The program-wide values: the open database, the title of message boxes and
// the lessons per day. One instance lives in the shell; windows receive it.
#include "core/store/TimetableDb.h"

#include <QString>

struct AppContext {
    TimetableDb db;
    QString systemTitle;   // the school's name followed by "排课软件系统"
    int lessonsPerDay = 6; // 6 or 7
};

// The product name of captions before a database is open.
inline constexpr const char* kProductName = "塔沃林排课软件";
