// How long a page takes to become a PDF, beside plain zlib and libpng on the same picture.
#include "NumberText.h"
#include "PageModel.h"
#include "PdfExport.h"
#include "Printing.h"
#include "Report.h"
#include "ReportExamples.h"

#include <QByteArray>
#include <QDateTime>
#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <QPainter>

#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int ExportDpi = 180;

// The mileage report of a petrol car driven 30 km a day for 220 days in 2022.
TReport mileageReport()
{
    return MakeKmReport(KmWorkedExample());
}

TPageList recordedPages()
{
    InitNumberFormats(QLocale(QLocale::French, QLocale::France));
    TPageList pages{std::make_shared<TRecordedPage>()};
    RecordReport(*pages.first(), mileageReport(), VirtualA4Sheet());
    return pages;
}

// The page as the export draws it, in 8-bit RGB with rows packed end to end.
struct TRawPicture
{
    int Width = 0;
    int Height = 0;
    std::vector<unsigned char> Pixels;
};

const TRawPicture &rawPicture()
{
    static const TRawPicture raw = [] {
        const TPageList pages = recordedPages();
        const QSize size = PageSizeAtDpi(pages.first()->Caps(), ExportDpi);
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::white);
        {
            QPainter painter(&picture);
            painter.setRenderHint(QPainter::TextAntialiasing);
            pages.first()->ReplayStretched(painter, QRectF(QPointF(0, 0), QSizeF(size)));
        }
        const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
        TRawPicture result;
        result.Width = rgb.width();
        result.Height = rgb.height();
        const size_t rowBytes = size_t(result.Width) * 3;
        result.Pixels.resize(rowBytes * size_t(result.Height));
        // QImage pads each row to 4 bytes; the raw picture has no padding.
        for (int y = 0; y < result.Height; ++y)
            std::memcpy(result.Pixels.data() + rowBytes * size_t(y), rgb.constScanLine(y),
                        rowBytes);
        return result;
    }();
    return raw;
}

// What each benchmark produced, for the summary.
struct TOutcome
{
    double Bytes = 0;
};
std::map<std::string, TOutcome> &outcomes()
{
    static std::map<std::string, TOutcome> byName;
    return byName;
}

void BM_ExportA4Page(benchmark::State &state)
{
    const TPageList pages = recordedPages();
    const QString name = ReportDocumentName(tcKmCost, u"2022"_s);
    QByteArray pdf;
    for (auto _ : state) {
        QString error;
        if (!RenderPagesToPdf(pages, ExportDpi, name, QDateTime::currentDateTime(), pdf, error)) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
        benchmark::DoNotOptimize(pdf.data());
        benchmark::ClobberMemory();
    }
    state.counters["pdf_bytes"] = double(pdf.size());
    outcomes()["BM_ExportA4Page"].Bytes = double(pdf.size());
}
BENCHMARK(BM_ExportA4Page)->Unit(benchmark::kMillisecond);

void BM_ZlibCompress2(benchmark::State &state)
{
    const TRawPicture &raw = rawPicture();
    std::vector<Bytef> out(compressBound(uLong(raw.Pixels.size())));
    uLongf written = 0;
    for (auto _ : state) {
        written = uLongf(out.size());
        if (compress2(out.data(), &written, raw.Pixels.data(), uLong(raw.Pixels.size()),
                      Z_DEFAULT_COMPRESSION) != Z_OK) {
            state.SkipWithError("compress2 failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.counters["raw_bytes"] = double(raw.Pixels.size());
    state.counters["zlib_bytes"] = double(written);
    outcomes()["BM_ZlibCompress2"].Bytes = double(written);
}
BENCHMARK(BM_ZlibCompress2)->Unit(benchmark::kMillisecond);

void appendToVector(png_structp png, png_bytep data, png_size_t length)
{
    auto *out = static_cast<std::vector<unsigned char> *>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

// libpng left at its defaults: adaptive filters, zlib's default level.
bool writeDefaultPng(const TRawPicture &raw, std::vector<png_bytep> &rows,
                     std::vector<unsigned char> &out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, appendToVector, flushNothing);
    png_set_IHDR(png, info, png_uint_32(raw.Width), png_uint_32(raw.Height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

void BM_LibpngDefault(benchmark::State &state)
{
    const TRawPicture &raw = rawPicture();
    std::vector<png_bytep> rows(size_t(raw.Height));
    for (int y = 0; y < raw.Height; ++y)
        rows[size_t(y)] = const_cast<png_bytep>(raw.Pixels.data()) + size_t(raw.Width) * 3 * y;
    std::vector<unsigned char> out;
    for (auto _ : state) {
        out.clear();
        if (!writeDefaultPng(raw, rows, out)) {
            state.SkipWithError("libpng failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.counters["png_bytes"] = double(out.size());
    outcomes()["BM_LibpngDefault"].Bytes = double(out.size());
}
BENCHMARK(BM_LibpngDefault)->Unit(benchmark::kMillisecond);

// Shows the runs as usual and keeps each benchmark's wall-clock time per iteration, in
// milliseconds: the median when repetitions were asked for, otherwise the run itself.
class TKeepingReporter : public benchmark::ConsoleReporter
{
public:
    // Colours only on a terminal, as the library's own reporter does by default.
    TKeepingReporter()
        : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular)
    {
    }

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.error_occurred)
                continue;
            const std::string name = run.run_name.function_name;
            const double ms = run.GetAdjustedRealTime() *
                              benchmark::GetTimeUnitMultiplier(benchmark::kMillisecond) /
                              benchmark::GetTimeUnitMultiplier(run.time_unit);
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median")
                    m_median[name] = ms;
            } else {
                m_single[name] = ms;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // 0 when the benchmark did not run.
    double Milliseconds(const std::string &name) const
    {
        if (const auto it = m_median.find(name); it != m_median.end())
            return it->second;
        const auto it = m_single.find(name);
        return it == m_single.end() ? 0 : it->second;
    }

private:
    std::map<std::string, double> m_median;
    std::map<std::string, double> m_single;
};

void printSummary(const TKeepingReporter &reporter)
{
    const double exportMs = reporter.Milliseconds("BM_ExportA4Page");
    const double zlibMs = reporter.Milliseconds("BM_ZlibCompress2");
    const double pngMs = reporter.Milliseconds("BM_LibpngDefault");
    const double pdfBytes = outcomes()["BM_ExportA4Page"].Bytes;
    const double zlibBytes = outcomes()["BM_ZlibCompress2"].Bytes;
    const double pngBytes = outcomes()["BM_LibpngDefault"].Bytes;
    std::printf("\nSummary (wall-clock time per iteration)\n");
    std::printf("  export A4 page to PDF : %9.3f ms, %8.0f bytes\n", exportMs, pdfBytes);
    std::printf("  zlib compress2        : %9.3f ms, %8.0f bytes\n", zlibMs, zlibBytes);
    std::printf("  libpng defaults       : %9.3f ms, %8.0f bytes\n", pngMs, pngBytes);
    if (exportMs > 0 && zlibMs > 0) {
        const double ratio = exportMs / zlibMs;
        std::printf("  export / compress2    : %6.3f (target <= 2.5: %s)\n", ratio,
                    ratio <= 2.5 ? "met" : "missed");
    }
    if (pdfBytes > 0 && pngBytes > 0) {
        const double ratio = pdfBytes / pngBytes;
        std::printf("  PDF / default PNG     : %6.3f (target <= 1.25: %s)\n", ratio,
                    ratio <= 1.25 ? "met" : "missed");
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    // Fonts need a GUI application; the offscreen platform needs no display.
    static char platformOption[] = "-platform";
    static char platformName[] = "offscreen";
    std::vector<char *> arguments{argv[0], platformOption, platformName};
    arguments.insert(arguments.end(), argv + 1, argv + argc);
    arguments.push_back(nullptr);
    int count = int(arguments.size()) - 1;
    QGuiApplication application(count, arguments.data());

    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data()))
        return 1;
    TKeepingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    printSummary(reporter);
    return 0;
}
