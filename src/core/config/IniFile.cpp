#include "core/config/IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>
#include <climits>

namespace {

QStringList readLines(const QString& path, bool* ok = nullptr) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (ok)
            *ok = !f.exists();
        return {};
    }
    if (ok)
        *ok = true;
    QString text = QString::fromUtf8(f.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace("\r\n", "\n");
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The section name of a "[name]" line, or a null string for any other line.
QString sectionOf(const QString& line) {
    const QString t = line.trimmed();
    if (t.startsWith('[') && t.endsWith(']'))
        return t.mid(1, t.size() - 2).trimmed();
    return {};
}

bool isKeyLine(const QString& line, const QString& key, QString* value = nullptr) {
    const QString t = line.trimmed();
    if (t.startsWith(';') || t.startsWith('#'))
        return false;
    const qsizetype eq = t.indexOf('=');
    if (eq < 0 || t.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
        return false;
    if (value)
        *value = t.mid(eq + 1).trimmed();
    return true;
}

} // namespace

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& fallback) const {
    bool inSection = false;
    for (const QString& line : readLines(m_path)) {
        const QString s = sectionOf(line);
        if (!s.isNull()) {
            inSection = s.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        QString value;
        if (inSection && isKeyLine(line, key, &value)) {
            // A value in double quotes keeps its inner text.
            if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
                value = value.mid(1, value.size() - 2);
            return value;
        }
    }
    return fallback;
}

int IniFile::readInt(const QString& section, const QString& key, int fallback) const {
    const QString v = readString(section, key, QString());
    if (v.isNull())
        return fallback;
    int i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+'))
        negative = v[i++] == '-';
    long long n = 0;
    int digits = 0;
    for (; i < v.size() && v[i].isDigit() && v[i].unicode() < 128; ++i, ++digits)
        n = std::min<long long>(n * 10 + (v[i].unicode() - '0'), 1LL << 40);
    if (digits == 0)
        return 0;
    n = negative ? -n : n;
    return static_cast<int>(std::clamp<long long>(n, INT_MIN, INT_MAX));
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value) const {
    // A line break would start new lines, even new sections, in the file.
    for (const QString& part : {section, key, value})
        if (part.contains(QLatin1Char('\n')) || part.contains(QLatin1Char('\r')))
            return false;
    bool readable = true;
    QStringList lines = readLines(m_path, &readable);
    if (!readable)
        return false;
    const QString entry = key + '=' + value;
    int sectionStart = -1;
    int sectionEnd = -1; // one past the section's last non-blank line
    bool inSection = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString s = sectionOf(lines[i]);
        if (!s.isNull()) {
            if (inSection)
                break;
            inSection = s.compare(section, Qt::CaseInsensitive) == 0;
            if (inSection)
                sectionStart = sectionEnd = i + 1;
            continue;
        }
        if (!inSection)
            continue;
        if (isKeyLine(lines[i], key)) {
            lines[i] = entry;
            sectionStart = -2; // replaced
            break;
        }
        if (!lines[i].trimmed().isEmpty())
            sectionEnd = i + 1;
    }
    if (sectionStart == -1) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QString();
        lines << '[' + section + ']' << entry;
    } else if (sectionStart >= 0) {
        lines.insert(sectionEnd, entry);
    }
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write((lines.join("\r\n") + "\r\n").toUtf8());
    return f.commit();
}
