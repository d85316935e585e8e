#include "core/formats/PublishFolder.h"

#include "core/config/SafeFile.h"
#include "core/formats/PublishCalendar.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool IsOurs(const QString& dir) {
    QFile index(QDir(dir).filePath(QString::fromUtf8(kPublishIndexFile)));
    if (!index.open(QIODevice::ReadOnly))
        return false;
    return index.read(4096).contains(kPublishGenerator);
}

bool Inside(const QString& path, const QString& dir) {
    const QString canonicalDir = QFileInfo(dir).canonicalFilePath();
    QString p = QFileInfo(path).canonicalFilePath();
    return !canonicalDir.isEmpty() && !p.isEmpty() &&
           (p == canonicalDir || p.startsWith(canonicalDir + QLatin1Char('/')));
}

void WriteWhole(const SafeFolder& folder, const QString& name, const QByteArray& bytes) {
    QFile file(QDir(folder.tempPath()).filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        file.write(bytes) != bytes.size() || !file.flush())
        throw folder.writeFailure();
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw folder.writeFailure();
}

} // namespace

QString PublishFolderProblem(const QString& dir, bool force, const QString& databasePath) {
    const QFileInfo info(dir);
    if (dir.isEmpty())
        return QStringLiteral("没有给出发布的文件夹");
    if (info.exists() && !info.isDir())
        return QStringLiteral("这是一个文件，不是文件夹：%1").arg(info.absoluteFilePath());
    if (!info.exists())
        return {};
    const QString path = info.canonicalFilePath();
    if (path == QDir::rootPath() || path == QFileInfo(QDir::homePath()).canonicalFilePath())
        return QStringLiteral("不能用整个主文件夹或根文件夹发布课表：%1").arg(path);
    if (!databasePath.isEmpty() && Inside(databasePath, path))
        return QStringLiteral("这个文件夹里有课表数据库，不能替换：%1").arg(path);
    const bool empty =
        QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    if (!empty && !IsOurs(path) && !force)
        return QStringLiteral("文件夹已存在，且不是本程序发布的课表：%1\n"
                              "请另选一个新的或空的文件夹。")
            .arg(path);
    return {};
}

PublishReport WritePublishSet(const PublishSchool& s, const QString& dir,
                              const PublishOptions& options, const PublishPictureWriter& pictures) {
    if (const QString problem = PublishFolderProblem(dir, options.force, options.databasePath);
        !problem.isEmpty())
        throw Failure(problem);
    SafeFolder folder(dir);
    PublishReport report;
    report.folder = folder.target();
    const PublishExtras& extras = options.extras;
    const auto page = [&](const QString& stem, const QByteArray& html) {
        WriteWhole(folder, stem + QStringLiteral(".html"), html);
        ++report.pages;
    };
    WriteWhole(folder, QString::fromUtf8(kPublishIndexFile), PublishIndexHtml(s, extras));
    ++report.pages;
    page(QString::fromUtf8(kPublishSchoolStem), PublishSchoolHtml(s));
    for (const PublishTable& t : s.classes)
        page(t.fileStem, PublishTableHtml(s, t, false, extras));
    for (const PublishTable& t : s.teachers)
        page(t.fileStem, PublishTableHtml(s, t, true, extras));
    if (extras.calendars) {
        for (const PublishTable& t : s.classes) {
            WriteWhole(folder, t.fileStem + QStringLiteral(".ics"),
                       PublishCalendarText(s, t, false));
            ++report.calendars;
        }
        for (const PublishTable& t : s.teachers) {
            WriteWhole(folder, t.fileStem + QStringLiteral(".ics"),
                       PublishCalendarText(s, t, true));
            ++report.calendars;
        }
    }
    if (extras.pictures && pictures)
        report.pictures = pictures(s, folder.tempPath());
    folder.commit();
    return report;
}

QString PublishReportText(const PublishReport& r) {
    QString what = QStringLiteral("%1 个网页").arg(r.pages);
    if (r.pictures > 0)
        what += QStringLiteral("、%1 张图片").arg(r.pictures);
    if (r.calendars > 0)
        what += QStringLiteral("、%1 个日历文件").arg(r.calendars);
    return QStringLiteral("已发布 %1 到文件夹：%2").arg(what, QDir::toNativeSeparators(r.folder));
}
