// The options of vemora-calc and what each command writes.
#pragma once

#include <QStringList>

#include <functional>
#include <string_view>

// Where a command writes: standard output and standard error, as UTF-8 bytes.
struct TOutputs
{
    std::function<void(std::string_view)> Out;
    std::function<void(std::string_view)> Err;
};

// Reads the batch file named by a command ("-" for standard input); false when it cannot.
using TFileReader = std::function<bool(const QString &name, QByteArray &content, QString &error)>;

// Runs the command line (without the program's name). Returns the exit status: 0 done,
// 1 some batch rows could not be computed, 2 bad input (one French line on stderr).
int RunCommandLine(const QStringList &args, const TOutputs &outputs, const TFileReader &readFile);
