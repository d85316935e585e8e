#pragma once
// A small initialisation-file reader and writer with the semantics programs of
// this kind expect: section and key names match without regard to case, a
// missing file or key reads as the default, an integer read takes the leading
// digits, a write replaces one key and keeps every other line and comment.
#include <QString>

class IniFile {
public:
    explicit IniFile(QString path) : m_path(std::move(path)) {}

    QString readString(const QString& section, const QString& key,
                       const QString& fallback = {}) const;
    int readInt(const QString& section, const QString& key, int fallback) const;
    // Creates the file (not its directory) when missing. Returns false when the
    // file cannot be written or any of the three texts holds a line break.
    [[nodiscard]] bool writeString(const QString& section, const QString& key,
                                   const QString& value) const;

    const QString& path() const { return m_path; }

private:
    QString m_path;
};
