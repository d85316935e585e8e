#pragma once
// The program's one typed error: why something failed, in Chinese, and the file
// concerned. The core throws it where it knows the reason; windows and the
// command-line tool show message() under their own heading ("打印失败！").
#include <QString>
#include <stdexcept>

class Failure : public std::runtime_error {
public:
    // reason: what went wrong ("文件只读"); file: the path concerned, may be empty;
    // advice: what the user can do about it, may be empty.
    explicit Failure(QString reason, QString file = {}, QString advice = {});

    const QString& reason() const { return m_reason; }
    const QString& file() const { return m_file; }
    const QString& advice() const { return m_advice; }

    // "文件只读：/home/a/kb.db", then the advice on a line of its own.
    QString message() const;

private:
    QString m_reason;
    QString m_file;
    QString m_advice;
};

// The Chinese message of any exception: a Failure's own, otherwise the
// fallback reason with the file (foreign exception texts are English and are
// never shown to the user).
QString FailureMessage(const std::exception& e, const QString& fallbackReason,
                       const QString& file = {});

// Chinese reasons shared by the database layer and safe file writing, so that a
// locked, read-only, full or damaged file is named alike wherever it is met.
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
