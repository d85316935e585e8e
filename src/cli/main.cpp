// kbxt-cli: the central jobs of the timetable program without a display.
#include "cli/CliCommand.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

std::vector<CliCommand>& CliRegistry::all() {
    static std::vector<CliCommand> commands;
    return commands;
}

void CliOut(const QString& line) {
    std::fputs((line + '\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

void CliErr(const QString& line) {
    std::fputs((line + '\n').toUtf8().constData(), stderr);
    std::fflush(stderr);
}

namespace {
void printHelp() {
    CliOut(QStringLiteral("用法：kbxt-cli 命令 [选项] ..."));
    CliOut(QString());
    auto commands = CliRegistry::all();
    std::sort(commands.begin(), commands.end(),
              [](const CliCommand& a, const CliCommand& b) { return qstrcmp(a.name, b.name) < 0; });
    for (const CliCommand& c : commands) {
        CliOut(QStringLiteral("  kbxt-cli ") + QString::fromUtf8(c.usage));
        CliOut(QStringLiteral("      ") + QString::fromUtf8(c.summary));
    }
}

int runCommand(const CliCommand& c, const QStringList& argv) {
    ToolArgs args;
    args.command = QString::fromUtf8(c.name);
    args.usage = QString::fromUtf8(c.usage);
    const QString error = ParseToolArgs(argv, c.options, args);
    if (args.help) {
        CliOut(QStringLiteral("用法：kbxt-cli ") + args.usage);
        const QString help = QString::fromUtf8(c.help);
        if (!help.isEmpty())
            for (const QString& line : help.split('\n'))
                CliOut(QStringLiteral("  ") + line);
        return 0;
    }
    if (!error.isEmpty())
        return args.usageError(error);
    return c.run(args);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kbxt"));
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.first() == "--help" || args.first() == "-h" ||
        args.first() == "help") {
        printHelp();
        return args.isEmpty() ? 2 : 0;
    }
    const QString name = args.takeFirst();
    for (const CliCommand& c : CliRegistry::all())
        if (name == QString::fromUtf8(c.name))
            return runCommand(c, args);
    CliErr(QStringLiteral("kbxt-cli：没有“%1”这个命令（kbxt-cli --help 列出全部命令）").arg(name));
    return 2;
}
