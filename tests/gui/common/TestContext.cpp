#include "TestContext.h"

#include "core/store/Sql.h"

#include <stdexcept>

TestContext::TestContext(TestDb& filled, int lessonsPerDay) {
    filled.db.close();
    if (!ctx.db.open(filled.path))
        throw std::runtime_error("cannot reopen the test database");
    ctx.systemTitle = QStringLiteral("测试小学排课软件系统");
    ctx.lessonsPerDay = lessonsPerDay;
}

void TestContext::exec(const QString& statement) {
    ctx.db.sql().exec(statement.toStdString());
}

long long TestContext::count(const QString& selectCount) {
    SQLite::Statement st(ctx.db.sql(), selectCount.toStdString());
    return st.executeStep() ? st.getColumn(0).getInt64() : -1;
}

QString TestContext::text(const QString& select) {
    return sql::firstText(ctx.db.sql(), select.toStdString().c_str());
}
