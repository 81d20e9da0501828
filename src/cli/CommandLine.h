// The options of vemora-calc and what each command writes.
#pragma once

#include "Batch.h"

#include <QStringList>

// Where a command writes: standard output and standard error.
struct TOutputs
{
    TSink Out;
    TSink Err;
};

// Opens the batch file named by a command ("-" for standard input) as a source of bytes;
// false with the French reason when it cannot.
using TFileOpener = std::function<bool(const QString &name, TByteSource &source, QString &error)>;

// Runs the command line (without the program's name) and returns the exit status
// (TExitStatus). Errors are one French line on `Err`; a failed write to `Out` stops the
// command with esOutputFailed, leaving its message to the caller, who knows the cause.
int RunCommandLine(const QStringList &args, const TOutputs &outputs, const TFileOpener &openFile);
