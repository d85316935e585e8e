#include "core/config/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

QString AppDir() {
    QString dir = qEnvironmentVariable("KBXT_HOME");
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + "/.local/share/kbxt";
    QDir().mkpath(dir);
    return QDir(dir).absolutePath();
}

QString ResourceDir() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString candidates[] = {exeDir + "/../share/kbxt", exeDir + "/share/kbxt",
                                  QStringLiteral("/usr/share/kbxt")};
    for (const QString& c : candidates)
        if (QFile::exists(c + "/kb.db"))
            return QDir(c).absolutePath();
    return QDir(candidates[0]).absolutePath();
}

QString ResourcePath(const QString& relative) {
    return ResourceDir() + '/' + relative;
}

QString AppFilePath(const QString& name) {
    return AppDir() + '/' + name;
}

QString DefaultDbFileName() {
    return AppFilePath("kb.db");
}

bool EnsureDefaultDatabase() {
    const QString target = DefaultDbFileName();
    if (QFile::exists(target))
        return true;
    if (!QFile::copy(ResourcePath("kb.db"), target))
        return false;
    // Installed files are read-only; the user's copy must be writable.
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::ReadOther);
    return true;
}
