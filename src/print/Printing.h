// The process-wide printer and the print jobs of reports.
#pragma once

#include "PageModel.h"
#include "Report.h"

#include <QString>
#include <QStringList>

class QPrinter;

// The printer every print, preview and setup uses; at start the system's default printer.
QPrinter &CurrentPrinter();
// The installed printers, in the system's order.
QStringList Printers();
// The name of the current printer; empty when there is none.
QString CurrentPrinterName();
// Makes `name` the current printer, with its driver's default settings unless it already is
// the current one; an empty name selects the system's default printer with its defaults.
// False when there is no such printer.
bool SelectCurrentPrinter(const QString &name);
// Back to the driver's defaults for the current printer, keeping it and its orientation.
void ResetPrinter();

// What the printer's pages are: resolution, printable area and sheet in dots.
TDeviceCaps CapsOf(QPrinter &printer);

// Prints `copies` copies of the report, one job of one page per copy, named after the report.
// Stops quietly at the first job the printer does not start or the print server does not take;
// returns the jobs the server took (a paused queue takes them and holds them).
int PrintReport(const TReport &report, int copies);

// Records the report into `page` against a printer of those capabilities.
void RecordReport(TRecordedPage &page, const TReport &report, const TDeviceCaps &caps);

// Prints a recorded page at its natural size, in `copies` jobs named `documentName`; returns the
// jobs the print server took.
int PrintRecordedPage(const TRecordedPage &page, int copies, const QString &documentName);
