#pragma once
// Small helpers over SQLiteCpp: every value goes into a statement as a bound
// parameter, never into its text.
#include <QString>
#include <SQLiteCpp/SQLiteCpp.h>
#include <string>

namespace sql {

inline std::string u8(const QString& s) {
    return s.toStdString();
}
inline QString text(const SQLite::Column& c) {
    return QString::fromStdString(c.getString());
}

inline void bindOne(SQLite::Statement& st, int i, const QString& v) {
    st.bind(i, u8(v));
}
inline void bindOne(SQLite::Statement& st, int i, const std::string& v) {
    st.bind(i, v);
}
inline void bindOne(SQLite::Statement& st, int i, const char* v) {
    st.bind(i, std::string(v));
}
inline void bindOne(SQLite::Statement& st, int i, int v) {
    st.bind(i, v);
}
inline void bindOne(SQLite::Statement& st, int i, long long v) {
    st.bind(i, static_cast<int64_t>(v));
}

template <class... A> void bind(SQLite::Statement& st, const A&... args) {
    int i = 1;
    (bindOne(st, i++, args), ...);
}

// Runs a statement that returns no rows; returns the number of rows changed.
template <class... A> int exec(SQLite::Database& db, const char* q, const A&... args) {
    SQLite::Statement st(db, q);
    bind(st, args...);
    return st.exec();
}

// First column of the first row as text; empty when there is no row or it is Null.
template <class... A> QString firstText(SQLite::Database& db, const char* q, const A&... args) {
    SQLite::Statement st(db, q);
    bind(st, args...);
    return st.executeStep() ? text(st.getColumn(0)) : QString();
}

// First column of the first row as a number; fallback when there is no row.
template <class... A>
long long firstInt(SQLite::Database& db, long long fallback, const char* q, const A&... args) {
    SQLite::Statement st(db, q);
    bind(st, args...);
    return st.executeStep() ? st.getColumn(0).getInt64() : fallback;
}

template <class... A> bool hasRow(SQLite::Database& db, const char* q, const A&... args) {
    SQLite::Statement st(db, q);
    bind(st, args...);
    return st.executeStep();
}

} // namespace sql
