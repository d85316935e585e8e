#include "cli/ToolOptions.h"

#include "core/config/AppConfig.h"
#include "core/store/SafeFile.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

#include <QFileInfo>

QString ParseToolArgs(const QStringList& args, const QStringList& allowedOptions, ToolArgs& out) {
    out = ToolArgs{};
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out.help = true;
            continue;
        }
        if (!a.startsWith(QLatin1String("--")) || a == QLatin1String("--")) {
            out.positional << a;
            continue;
        }
        QString name = a, value;
        const qsizetype eq = a.indexOf('=');
        if (eq > 0) {
            name = a.left(eq);
            value = a.mid(eq + 1);
        }
        if (!allowedOptions.contains(name))
            return QStringLiteral("未知选项：%1").arg(name);
        if (eq < 0) {
            if (i + 1 >= args.size())
                return QStringLiteral("选项 %1 缺少取值").arg(name);
            value = args.at(++i);
        }
        if (out.options.contains(name))
            return QStringLiteral("选项 %1 重复给出").arg(name);
        out.options.insert(name, value);
    }
    return {};
}

QString LessonsPerDayOption(const ToolArgs& args, int& lessonsPerDay) {
    const auto it = args.options.constFind(QStringLiteral("--lessons-per-day"));
    if (it == args.options.constEnd()) {
        lessonsPerDay = LessonsPerDaySetting();
        return {};
    }
    if (it.value() == QLatin1String("6") || it.value() == QLatin1String("7")) {
        lessonsPerDay = it.value().toInt();
        return {};
    }
    return QStringLiteral("每天课时数只能是 6 或 7：%1").arg(it.value());
}

QString SeedOption(const ToolArgs& args, bool& given, std::uint32_t& seed) {
    const auto it = args.options.constFind(QStringLiteral("--seed"));
    given = it != args.options.constEnd();
    if (!given)
        return {};
    bool ok = false;
    const qulonglong v = it.value().toULongLong(&ok);
    if (!ok || v > 0xFFFFFFFFull || it.value().startsWith('+'))
        return QStringLiteral("随机种子应为 0 到 4294967295 之间的整数：%1").arg(it.value());
    seed = static_cast<std::uint32_t>(v);
    return {};
}

QString OpenToolDb(TimetableDb& db, const QString& path) {
    try {
        db.openChecked(path);
        return {};
    } catch (const std::exception& e) {
        return AsFailure(e, path).message();
    }
}

QString OutputFileProblem(const QString& output, const QString& database, bool force) {
    if (SameFile(output, database))
        return QStringLiteral("输出文件不能是正在读取的课表数据库：%1").arg(output);
    const QFileInfo info(output);
    if (info.isDir())
        return QStringLiteral("输出文件是一个文件夹：%1").arg(output);
    if (info.exists() && !force)
        return QStringLiteral("文件已存在，未覆盖（用 --force 覆盖）：%1").arg(output);
    return {};
}
