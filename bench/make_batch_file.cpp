// Writes the benchmarks' batch file on standard output: make_batch_file [ROWS] (a million).
#include "BatchFile.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
    if (rows < 0) {
        std::fputs("make_batch_file : nombre de lignes négatif\n", stderr);
        return 2;
    }
    const QByteArray file = MakeBatchFile(rows);
    return std::fwrite(file.constData(), 1, size_t(file.size()), stdout) == size_t(file.size()) ? 0
                                                                                                : 3;
}
