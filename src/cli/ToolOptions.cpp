#include "cli/ToolOptions.h"

#include "cli/CliCommand.h"
#include "core/config/AppConfig.h"
#include "core/config/SafeFile.h"
#include "core/store/LessonsPerDay.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"
#include "core/store/TimetableVersions.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

QString ToolArgs::tagged(const QString& text) const {
    return QStringLiteral("kbxt-cli %1: ").arg(command) + text;
}

int ToolArgs::usageError(const QString& problem) const {
    CliErr(tagged(problem));
    CliErr(QStringLiteral("用法：kbxt-cli ") + usage);
    return 2;
}

QString ParseToolArgs(const QStringList& args, const std::vector<ToolOption>& allowed,
                      ToolArgs& out) {
    out.positional.clear();
    out.options.clear();
    out.help = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out.help = true;
            continue;
        }
        if (!a.startsWith(QLatin1String("--")) || a == QLatin1String("--")) {
            out.positional << a;
            continue;
        }
        const qsizetype eq = a.indexOf('=');
        const QString name = eq > 0 ? a.left(eq) : a;
        const auto option = std::find_if(allowed.begin(), allowed.end(), [&](const ToolOption& o) {
            return name == QLatin1String(o.name);
        });
        if (option == allowed.end())
            return QStringLiteral("未知选项：%1").arg(name);
        QString value;
        if (!option->takesValue) {
            if (eq > 0)
                return QStringLiteral("选项 %1 不取值").arg(name);
        } else if (eq > 0) {
            value = a.mid(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args.at(++i);
        } else {
            return QStringLiteral("选项 %1 缺少取值").arg(name);
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

std::vector<ToolOption> ScheduleOptions(std::initializer_list<ToolOption> more) {
    std::vector<ToolOption> options{{"--class", true},   {"--all-classes", false},
                                    {"--teacher", true}, {"--all-teachers", false},
                                    {"--total", false},  {"--lessons-per-day", true},
                                    {"--school", true},  {"--force", false},
                                    {"--year", true},    {"--term", true}};
    options.insert(options.end(), more);
    return options;
}

QString TitleOption(const ToolArgs& args, TimetableTitle& title) {
    title = CurrentTimetableTitle();
    if (args.has("--school"))
        title.school = args.value("--school");
    if (args.has("--year")) {
        // "2025" or "2025-2026": the school year by its first calendar year.
        const QString text = args.value("--year").trimmed();
        const QStringList parts = text.split(QRegularExpression(QStringLiteral("[-—–~]")));
        bool ok = false;
        const int year = parts.value(0).toInt(&ok);
        if (!ok || year < 2000 || year > 2099 || parts.size() > 2 ||
            (parts.size() == 2 && parts[1].toInt() != year + 1))
            return QStringLiteral("学年应写成 2025 或 2025-2026：%1").arg(text);
        title.year = year;
    }
    if (args.has("--term")) {
        const QString text = args.value("--term").trimmed();
        if (text == QLatin1String("1") || text == QStringLiteral("一"))
            title.term = 1;
        else if (text == QLatin1String("2") || text == QStringLiteral("二"))
            title.term = 2;
        else
            return QStringLiteral("学期只能是 1 或 2：%1").arg(text);
    }
    if (title.year > 0 && title.term == 0)
        return QStringLiteral("给了学年，还需要 --term 1 或 2");
    if (title.term > 0 && title.year == 0)
        return QStringLiteral("给了学期，还需要 --year 学年（如 2025）");
    return {};
}

QString ScheduleChoice(const ToolArgs& args, const QStringList& words, ScheduleKind& kind,
                       QString& name) {
    struct Choice {
        const char* option;
        const char* word;
        ScheduleKind kind;
    };
    static const Choice choices[] = {{"--class", nullptr, ScheduleKind::Class},
                                     {"--all-classes", "class", ScheduleKind::AllClasses},
                                     {"--teacher", nullptr, ScheduleKind::Teacher},
                                     {"--all-teachers", "teacher", ScheduleKind::AllTeachers},
                                     {"--total", "total", ScheduleKind::Total}};
    int chosen = 0;
    for (const Choice& c : choices) {
        const qsizetype times =
            (args.has(c.option) ? 1 : 0) + (c.word ? words.count(QLatin1String(c.word)) : 0);
        if (times == 0)
            continue;
        chosen += static_cast<int>(times);
        kind = c.kind;
        name = args.value(c.option);
    }
    if (chosen > 1)
        return QStringLiteral("只能选择一个课表");
    if (chosen == 0)
        return QStringLiteral("请选择一个课表：--class 班级名、--all-classes、--teacher 教师名、"
                              "--all-teachers 或 --total");
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

std::optional<int> OpenOnlyDatabase(const ToolArgs& args, const QString& problem, TimetableDb& db) {
    if (!problem.isEmpty())
        return args.usageError(problem);
    if (args.positional.size() != 1)
        return args.usageError(QStringLiteral("需要且只需要一个数据库文件名"));
    if (const QString error = OpenToolDb(db, args.positional.first()); !error.isEmpty()) {
        CliErr(args.tagged(error));
        return 2;
    }
    return std::nullopt;
}

std::optional<int> OpenOnlyTimetable(const ToolArgs& args, TimetableDb& db, int& lessonsPerDay,
                                     const QString& problem) {
    QString error = LessonsPerDayOption(args, lessonsPerDay);
    if (error.isEmpty())
        error = problem;
    if (const std::optional<int> stop = OpenOnlyDatabase(args, error, db))
        return stop;
    if (!args.has("--lessons-per-day"))
        lessonsPerDay = LessonsPerDayFor(db, false);
    return std::nullopt;
}

std::optional<int> OpenForRun(const ToolArgs& args, RunOptions& run, TimetableDb& db) {
    bool seedGiven = false;
    QString error = SeedOption(args, seedGiven, run.seed);
    if (error.isEmpty())
        error = SecondsOption(args, run.seconds);
    return OpenOnlyTimetable(args, db, run.lessonsPerDay, error);
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

bool KeepVersionFirst(const ToolArgs& args, TimetableDb& db, const QString& cause) {
    QString why;
    if (tryKeepVersion(db, cause, &why))
        return true;
    if (args.has(kNoVersionOption.name)) {
        CliErr(QStringLiteral("注意：无法保留现在的课表作为版本（%1），按 --no-version 继续")
                   .arg(why));
        return true;
    }
    // Without its version the timetable replaced, hand changes and all, could not come back.
    CliErr(args.tagged(QStringLiteral("无法保留现在的课表作为版本（%1），课表没有改动。"
                                      "确实不要版本时加 --no-version")
                           .arg(why)));
    return false;
}

QString SecondsOption(const ToolArgs& args, double& seconds) {
    if (!args.has("--seconds"))
        return {};
    bool ok = false;
    const double given = args.value("--seconds").toDouble(&ok);
    if (!ok || !(given > 0) || given > 3600)
        return QStringLiteral("--seconds 应为 0 到 3600 之间的秒数：%1")
            .arg(args.value("--seconds"));
    seconds = given;
    return {};
}

QString SchoolsOption(const ToolArgs& args, std::size_t available, std::size_t& schools) {
    schools = available;
    if (!args.has("--schools"))
        return {};
    bool ok = false;
    const int n = args.value("--schools").toInt(&ok);
    if (!ok || n < 1 || std::size_t(n) > available)
        return QStringLiteral("--schools 应为 1 到 %1").arg(available);
    schools = std::size_t(n);
    return {};
}
