// The batch file of vemora-calc: many calculations at once, as a CSV file with ';'.
#pragma once

#include <QByteArrayView>

#include <functional>
#include <string_view>

// Reads the rows of `input` (a header line, then one calculation per line), writes each row
// back to `out` with the columns taux, forfait, montant, affiche and erreur added, and
// reports each row that cannot be computed on `err` with its line number.
// Returns 0 when every row was computed, 1 when some were not, 2 when the file cannot be read
// as a batch at all (no header, a required column missing).
int RunBatch(QByteArrayView input, const std::function<void(std::string_view)> &out,
             const std::function<void(std::string_view)> &err);
