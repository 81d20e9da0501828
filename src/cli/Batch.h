// The batch file of vemora-calc: many calculations at once, as a CSV file.
#pragma once

#include "Csv.h"

#include <functional>
#include <string_view>

// Where text goes, as UTF-8 bytes; false once a write has failed.
using TSink = std::function<bool(std::string_view)>;

// Exit statuses of vemora-calc.
enum TExitStatus
{
    esDone = 0,
    esRowsInError = 1, // some rows of a batch could not be computed
    esRefused = 2,     // bad input: the command, its options, the batch's header, a read error
    esOutputFailed = 3 // printing, saving the PDF or writing the output failed
};

// Reads the records of `input` (a header, then one calculation per record, fields separated
// by ';' or ','), writes each back to `out` with the columns taux, forfait, montant, affiche
// and erreur added, and reports each record that cannot be computed on `err` with its line
// number. Memory stays bounded whatever the input: a record over 64 KiB is one error row.
// Stops at the first failed write to `out` (esOutputFailed).
int RunBatch(const TByteSource &input, const TSink &out, const TSink &err);
