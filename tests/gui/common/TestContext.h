#pragma once
// The program-wide values over a filled test database, for tests that open
// windows: the database file of a TestDb, reopened in an AppContext.
#include "TestDb.h"
#include "gui/widgets/AppContext.h"

#include <QString>

class TestContext {
public:
    // Takes over the file of `filled` (which is closed) with the given lessons
    // per day; `filled` must outlive this object, it owns the folder.
    explicit TestContext(TestDb& filled, int lessonsPerDay = 6);

    AppContext ctx;

    void exec(const QString& statement);
    long long count(const QString& selectCount);
    QString text(const QString& select);
};
