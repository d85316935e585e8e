#pragma once
// kbxt-cli subcommands register themselves here, one file per command group,
// so adding a command never touches the dispatcher. The dispatcher parses every
// command's arguments with the one parser of ToolOptions.h, answers --help and
// refuses an unknown option or a missing value before the command runs.
#include "cli/ToolOptions.h"

#include <QStringList>
#include <vector>

struct CliCommand {
    const char* name;
    const char* usage;   // one line: "generate [--lessons-per-day 6|7] [--seed N] DB"
    const char* summary; // one line of Chinese/English explanation
    std::vector<ToolOption> options;
    const char* help;                 // lines printed under the usage by --help; may be ""
    int (*run)(const ToolArgs& args); // returns the exit code
};

class CliRegistry {
public:
    static std::vector<CliCommand>& all();
    static bool add(const CliCommand& c) {
        all().push_back(c);
        return true;
    }
};

#define KBXT_CONCAT2(a, b) a##b
#define KBXT_CONCAT(a, b) KBXT_CONCAT2(a, b)
#define KBXT_CLI_COMMAND(...)                                                                      \
    static const bool KBXT_CONCAT(kbxtCliRegistered_, __LINE__) = CliRegistry::add({__VA_ARGS__})

// Prints to stdout / stderr as UTF-8 lines.
void CliOut(const QString& line);
void CliErr(const QString& line);
