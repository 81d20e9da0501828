// The process-wide printer and the print jobs of reports.
#include "Printing.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScopeGuard>

#include <cups/cups.h>

#include <cmath>
#include <memory>

namespace {

std::unique_ptr<QPrinter> &printerStorage()
{
    static std::unique_ptr<QPrinter> printer;
    return printer;
}

std::unique_ptr<QPrinter> makePrinter(const QString &name)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    const QString chosen = name.isEmpty() ? QPrinterInfo::defaultPrinterName() : name;
    if (!chosen.isEmpty()) {
        printer->setPrinterName(chosen);
        // The paper of the queue's defaults (its media in the print server), which Qt leaves
        // to the locale's (A4) when the queue takes that too.
        const QPageSize paper = QPrinterInfo::printerInfo(chosen).defaultPageSize();
        if (paper.isValid())
            printer->setPageSize(paper);
    }
    printer->setCopyCount(1);
    return printer;
}

// Puts `name` in place with its driver's defaults, keeping the orientation in force.
void replacePrinter(const QString &name)
{
    const QPageLayout::Orientation orientation = CurrentPrinter().pageLayout().orientation();
    printerStorage() = makePrinter(name);
    printerStorage()->setPageOrientation(orientation);
}

// Qt hands a finished job to the print server without saying whether the server took it. The
// print library's answer to that hand-over tells of a queue that refuses jobs or of a server
// that is gone; a server that stops while the job comes in may leave no error there, so the
// server must also still answer, and not list our newest job there as cancelled or aborted.
bool serverTookJob(const QPrinter &printer)
{
    if (printer.outputFormat() != QPrinter::NativeFormat)
        return true;
    if (cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
        return false;
    const QByteArray queue = printer.printerName().section(u'/', 0, 0).toLocal8Bit();
    cups_job_t *jobs = nullptr;
    const int count =
        cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.constData(), 1, CUPS_WHICHJOBS_ALL);
    if (count < 0)
        return false;
    const cups_job_t *newest = nullptr;
    for (int i = 0; i < count; ++i) {
        if (!newest || jobs[i].id > newest->id)
            newest = &jobs[i];
    }
    const bool dropped =
        newest && printer.docName() == QString::fromLocal8Bit(newest->title) &&
        (newest->state == IPP_JSTATE_CANCELED || newest->state == IPP_JSTATE_ABORTED);
    cupsFreeJobs(count, jobs);
    return !dropped;
}

// Runs one print job; false when the printer did not start it or the print server did not
// take it.
template<class Draw> bool printJob(const QString &title, Draw draw)
{
    QPrinter &printer = CurrentPrinter();
    printer.setDocName(title);
    printer.setCopyCount(1);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // An error while drawing abandons the open job.
    auto abort = qScopeGuard([&] {
        if (painter.isActive()) {
            printer.abort();
            painter.end();
        }
    });
    draw(painter, CapsOf(printer));
    abort.dismiss();
    return painter.end() && serverTookJob(printer);
}

} // namespace

QPrinter &CurrentPrinter()
{
    std::unique_ptr<QPrinter> &printer = printerStorage();
    if (!printer)
        printer = makePrinter(QString());
    return *printer;
}

QStringList Printers()
{
    return QPrinterInfo::availablePrinterNames();
}

QString CurrentPrinterName()
{
    const QString name = CurrentPrinter().printerName();
    return Printers().contains(name) ? name : QString();
}

bool SelectCurrentPrinter(const QString &name)
{
    if (!name.isEmpty() && !Printers().contains(name))
        return false;
    // The current printer keeps its settings; another one comes with its driver's defaults.
    if (!name.isEmpty() && printerStorage() && printerStorage()->printerName() == name)
        return true;
    replacePrinter(name);
    return true;
}

void ResetPrinter()
{
    replacePrinter(CurrentPrinter().printerName());
}

TDeviceCaps CapsOf(QPrinter &printer)
{
    TDeviceCaps caps;
    caps.LogPixelsX = printer.resolution();
    caps.LogPixelsY = printer.resolution();
    const QRect sheet = printer.paperRect(QPrinter::DevicePixel).toRect();
    const QRect printable = printer.pageRect(QPrinter::DevicePixel).toRect();
    caps.PhysicalWidth = sheet.width();
    caps.PhysicalHeight = sheet.height();
    caps.Printable = printable;
    const QRectF millimetres = printer.pageRect(QPrinter::Millimeter);
    caps.HorzSizeMm = int(std::lround(millimetres.width()));
    caps.VertSizeMm = int(std::lround(millimetres.height()));
    return caps;
}

int PrintReport(const TReport &report, int copies)
{
    int sent = 0;
    for (int copy = 1; copy <= copies; ++copy) {
        const bool started =
            printJob(report.JobTitle, [&](QPainter &painter, const TDeviceCaps &caps) {
                TPainterTarget target(painter, caps);
                DrawReport(target, report, false);
            });
        if (!started)
            break;
        ++sent;
    }
    return sent;
}

void RecordReport(TRecordedPage &page, const TReport &report, const TDeviceCaps &caps)
{
    TRecordingTarget target(page, caps);
    DrawReport(target, report, true);
}

int PrintRecordedPage(const TRecordedPage &page, int copies, const QString &documentName)
{
    int sent = 0;
    for (int copy = 1; copy <= copies; ++copy) {
        const TWaitPointer wait;
        // A copy the printer does not start prints nothing; the others are still tried.
        if (printJob(documentName, [&](QPainter &painter, const TDeviceCaps &) {
                page.Replay(painter, QPoint(0, 0));
            }))
            ++sent;
    }
    return sent;
}
