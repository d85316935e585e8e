#pragma once
// Argument handling shared by the commands of the command-line tool: the one
// option parser, the option values several commands read alike (lessons per
// day, seed, the timetable to write) and opening a database as the program does.
#include "core/formats/TimetableTitle.h"
#include "core/store/ScheduleRecords.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

class TimetableDb;

struct ToolOption {
    const char* name; // "--seed"
    bool takesValue;
};

struct ToolArgs {
    QString command; // "check", for the messages
    QString usage;   // the command's usage line
    QStringList positional;
    QHash<QString, QString> options; // "--name" -> value, "" for an option without one
    bool help = false;               // --help or -h was given

    bool has(const char* name) const { return options.contains(QLatin1String(name)); }
    QString value(const char* name) const { return options.value(QLatin1String(name)); }
    // "kbxt-cli check: " + text.
    QString tagged(const QString& text) const;
    // Prints the problem and the usage line; returns the exit code of a usage error, 2.
    int usageError(const QString& problem) const;
};

// Splits "--name value" and "--name=value" of the allowed options from the
// other arguments ("--" and what does not start with "--" are positional).
// Returns the Chinese error for an unknown, repeated or incomplete option, or "".
QString ParseToolArgs(const QStringList& args, const std::vector<ToolOption>& allowed,
                      ToolArgs& out);

// --lessons-per-day 6|7, else LESSON_OF_DAY of kbxt.ini read as the program
// reads it (7 stays 7, anything else is 6). Returns an error message or "".
QString LessonsPerDayOption(const ToolArgs& args, int& lessonsPerDay);

// --seed N (0 to 4294967295). given tells whether it was there. Error or "".
QString SeedOption(const ToolArgs& args, bool& given, std::uint32_t& seed);

// --seconds S, the time limit of a run: more than 0, at most an hour. seconds
// keeps what it holds when the option is not given. Error or "".
QString SecondsOption(const ToolArgs& args, double& seconds);

// --schools N of a benchmark: how many of its `available` schools to run
// (all without the option); an error text when N is not 1 to available.
QString SchoolsOption(const ToolArgs& args, std::size_t available, std::size_t& schools);

// The options choosing one timetable to write (--class NAME, --all-classes,
// --teacher NAME, --all-teachers, --total), with --lessons-per-day, --school
// and --force, followed by more.
std::vector<ToolOption> ScheduleOptions(std::initializer_list<ToolOption> more);
// The one timetable those options (and words, such as export's "total") chose.
// Returns an error message or "".
// The title of a printed or exported timetable: kbxt.ini's school, year and
// term, each replaced by --school, --year (2025 or 2025-2026) and --term (1 or
// 2) when given. A problem with them as the usage error; empty when fine.
QString TitleOption(const ToolArgs& args, TimetableTitle& title);
QString ScheduleChoice(const ToolArgs& args, const QStringList& words, ScheduleKind& kind,
                       QString& name);

// Opens the file as the program does (read-write, held exclusively). Returns
// the Chinese reason naming the file, or the empty text when it is open.
QString OpenToolDb(TimetableDb& db, const QString& path);

// For the commands that read one database: refuses a problem found in the
// options, or anything but one positional argument, as a usage error; then
// opens the database, saying why when it cannot. Returns the exit code to stop
// with (2 either way), or nothing when db is open.
std::optional<int> OpenOnlyDatabase(const ToolArgs& args, const QString& problem, TimetableDb& db);

// OpenOnlyDatabase for the commands that read the timetable by its days: a
// problem with --lessons-per-day is told before `problem` (the command's
// other options); without the option, lessonsPerDay becomes this database's
// own, read as the program reads it.
std::optional<int> OpenOnlyTimetable(const ToolArgs& args, TimetableDb& db, int& lessonsPerDay,
                                     const QString& problem = {});

// The options of a command that reworks the timetable within a time limit.
// What the caller puts in stands for an option not given.
struct RunOptions {
    int lessonsPerDay = 6;
    std::uint32_t seed = 0;
    double seconds = 0;
};
// Reads --lessons-per-day, --seed and --seconds (a problem with the first is
// told before the others) and opens the one database as OpenOnlyTimetable.
std::optional<int> OpenForRun(const ToolArgs& args, RunOptions& run, TimetableDb& db);

// Keeps the current timetable as a version before a command replaces it.
// Without --no-version a version that cannot be kept stops the command: it
// prints why and returns false. The --no-version option to accept.
inline constexpr ToolOption kNoVersionOption{"--no-version", false};
bool KeepVersionFirst(const ToolArgs& args, TimetableDb& db, const QString& cause);

// Why an output file may not be written: it is the database being read (never
// allowed), a folder, or an existing file without --force. Empty when it may.
QString OutputFileProblem(const QString& output, const QString& database, bool force);
