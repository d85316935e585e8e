#include "core/config/SafeFile.h"

#include "core/model/Failure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <signal.h>
#endif

namespace {

const QString kSuffix = QStringLiteral(".kbxt-part");

bool ProcessAlive(qint64 pid) {
#ifdef Q_OS_UNIX
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
#else
    return pid > 0; // without a way to ask, a leftover is kept rather than risked
#endif
}

void RemoveWithSideFiles(const QString& path) {
    for (const char* side : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(side));
}

} // namespace

void RemoveStaleTempFiles(const QString& folder) {
    // ".<name>.<pid>.kbxt-part", possibly followed by SQLite's "-journal" or a
    // replaced folder's "-old".
    const QDir dir(folder);
    const QStringList leftovers = dir.entryList({QStringLiteral(".*") + kSuffix + QLatin1Char('*')},
                                                QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot |
                                                    QDir::Hidden | QDir::System);
    for (const QString& name : leftovers) {
        const qsizetype end = name.indexOf(kSuffix);
        const qsizetype start = name.lastIndexOf(QLatin1Char('.'), end - 1);
        bool ok = false;
        const qint64 pid = start > 0 ? name.mid(start + 1, end - start - 1).toLongLong(&ok) : 0;
        if (!ok || pid == QCoreApplication::applicationPid() || ProcessAlive(pid))
            continue;
        const QFileInfo leftover(dir.filePath(name));
        if (leftover.isDir() && !leftover.isSymLink())
            QDir(leftover.filePath()).removeRecursively();
        else
            QFile::remove(leftover.filePath());
    }
}

bool SameFile(const QString& a, const QString& b) {
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

SafeFile::SafeFile(const QString& target) : m_target(QFileInfo(target).absoluteFilePath()) {
    const QFileInfo info(m_target);
    if (target.isEmpty())
        throw Failure(QStringLiteral("没有给出文件名"));
    if (info.isDir())
        throw Failure(QStringLiteral("这是一个文件夹，不能写成文件"), m_target,
                      QStringLiteral("请另选一个文件名。"));
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir())
        throw Failure(QStringLiteral("文件夹不存在"), folder.absoluteFilePath(),
                      QStringLiteral("请另选保存位置。"));
    if ((info.exists() && !info.isWritable()) || !folder.isWritable())
        throw Failure(reason::readOnly(),
                      info.exists() && !info.isWritable() ? m_target : folder.filePath(),
                      QStringLiteral("请另选一个可以写入的文件夹，或取消文件的只读属性。"));
    RemoveStaleTempFiles(info.absolutePath());
    m_temp = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.') +
             QString::number(QCoreApplication::applicationPid()) + kSuffix;
    RemoveWithSideFiles(m_temp);
}

SafeFile::~SafeFile() {
    if (!m_committed)
        RemoveWithSideFiles(m_temp);
}

void SafeFile::commit(qint64 minBytes) {
    const QFileInfo written(m_temp);
    if (!written.isFile() || written.size() < minBytes) {
        RemoveWithSideFiles(m_temp);
        throw writeFailure();
    }
    const QFileInfo target(m_target);
    // The replacement keeps the permissions of the file it replaces.
    if (target.exists())
        QFile::setPermissions(m_temp, target.permissions());
    // rename() replaces an existing target in one step; QFile::rename would not.
    if (std::rename(QFile::encodeName(m_temp).constData(),
                    QFile::encodeName(m_target).constData()) != 0) {
        RemoveWithSideFiles(m_temp);
        throw Failure(QStringLiteral("无法替换文件"), m_target,
                      QStringLiteral("请确认文件没有被其他程序打开，然后再试。"));
    }
    m_committed = true;
}

Failure SafeFile::writeFailure() const {
    const QString folder = QFileInfo(m_target).absolutePath();
    QStorageInfo disk(folder);
    // A full disk is the usual cause; a little room left is no proof it was not.
    if (disk.isValid() && disk.bytesAvailable() < 64 * 1024)
        return Failure(reason::diskFull(), m_target,
                       QStringLiteral("请清理磁盘空间，或换一个磁盘保存，原有文件没有改动。"));
    if (disk.isValid() && disk.isReadOnly())
        return Failure(reason::readOnly(), m_target);
    return Failure(QStringLiteral("写入文件出错"), m_target,
                   QStringLiteral("原有文件没有改动；请检查磁盘后再试。"));
}

SafeFolder::SafeFolder(const QString& target) : m_target(QFileInfo(target).absoluteFilePath()) {
    if (target.isEmpty())
        throw Failure(QStringLiteral("没有给出文件夹名"));
    const QFileInfo info(m_target);
    if (info.exists() && !info.isDir())
        throw Failure(QStringLiteral("这是一个文件，不是文件夹"), m_target,
                      QStringLiteral("请另选一个文件夹。"));
    const QFileInfo parent(info.absolutePath());
    if (!parent.isDir())
        throw Failure(QStringLiteral("文件夹不存在"), parent.absoluteFilePath(),
                      QStringLiteral("请另选保存位置。"));
    if (!parent.isWritable())
        throw Failure(reason::readOnly(), parent.absoluteFilePath(),
                      QStringLiteral("请另选一个可以写入的文件夹。"));
    RemoveStaleTempFiles(info.absolutePath());
    m_temp = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.') +
             QString::number(QCoreApplication::applicationPid()) + kSuffix;
    QDir(m_temp).removeRecursively();
    if (!QDir().mkdir(m_temp))
        throw writeFailure();
}

SafeFolder::~SafeFolder() {
    if (!m_committed)
        QDir(m_temp).removeRecursively();
}

void SafeFolder::commit() {
    const QByteArray temp = QFile::encodeName(m_temp);
    const QByteArray target = QFile::encodeName(m_target);
    const QString aside = m_temp + QStringLiteral("-old");
    const bool replacing = QFileInfo(m_target).isDir();
    if (replacing && std::rename(target.constData(), QFile::encodeName(aside).constData()) != 0)
        throw Failure(QStringLiteral("无法替换文件夹"), m_target,
                      QStringLiteral("请关闭正在使用其中文件的程序，然后再试。"));
    if (std::rename(temp.constData(), target.constData()) != 0) {
        if (replacing)
            std::rename(QFile::encodeName(aside).constData(), target.constData());
        throw Failure(QStringLiteral("无法替换文件夹"), m_target,
                      QStringLiteral("原有文件夹没有改动；请检查磁盘后再试。"));
    }
    m_committed = true;
    if (replacing)
        QDir(aside).removeRecursively();
}

Failure SafeFolder::writeFailure() const {
    QStorageInfo disk(QFileInfo(m_target).absolutePath());
    if (disk.isValid() && disk.bytesAvailable() < 64 * 1024)
        return Failure(reason::diskFull(), m_target,
                       QStringLiteral("请清理磁盘空间，或换一个磁盘保存，原有文件没有改动。"));
    if (disk.isValid() && disk.isReadOnly())
        return Failure(reason::readOnly(), m_target);
    return Failure(QStringLiteral("写入文件出错"), m_target,
                   QStringLiteral("原有文件没有改动；请检查磁盘后再试。"));
}
