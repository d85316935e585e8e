#pragma once
// Argument handling shared by the commands of the command-line tool: options
// with values, the lessons per day as the program reads them, the seed of the
// generator and opening a database as the program does.
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>

class TimetableDb;

struct ToolArgs {
    QStringList positional;
    QHash<QString, QString> options; // "--name" -> value
    bool help = false;               // --help or -h was given
};

// Splits "--name value" and "--name=value" of the allowed option names from
// the other arguments. Returns an error message, or the empty text.
QString ParseToolArgs(const QStringList& args, const QStringList& allowedOptions, ToolArgs& out);

// --lessons-per-day 6|7, else LESSON_OF_DAY of kbxt.ini read as the program
// reads it (7 stays 7, anything else is 6). Returns an error message or "".
QString LessonsPerDayOption(const ToolArgs& args, int& lessonsPerDay);

// --seed N (0 to 4294967295). given tells whether it was there. Error or "".
QString SeedOption(const ToolArgs& args, bool& given, std::uint32_t& seed);

// Opens the file as the program does (read-write, held exclusively). Returns
// the Chinese reason naming the file, or the empty text when it is open.
QString OpenToolDb(TimetableDb& db, const QString& path);

// Why an output file may not be written: it is the database being read (never
// allowed), a folder, or an existing file without --force. Empty when it may.
QString OutputFileProblem(const QString& output, const QString& database, bool force);
