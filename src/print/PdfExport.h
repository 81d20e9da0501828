// Recorded pages saved as a PDF document: pictures of the sheet at a given resolution, with
// their text.
#pragma once

#include "PageModel.h"
#include "UDeclar.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The proposed name of an exported report, before the extension.
QString ProposedPdfName(const QString &reportYear, TTypeCalc typeCalc = tcKmCost);

// The extension of a file name, from the last dot of its last part, dot included, in lower
// case; empty without one.
QString FileExtension(const QString &fileName);
// `allowed` holds one extension or two separated by ";"; letter case does not count.
bool IsAllowedExtension(const QString &extension, const QString &allowed);

// Renders every page onto one picture of the whole sheet at `dpi` and builds the document:
// one page per recorded page, each covered by its picture "img0", "img1"... and holding the
// page's texts unseen at their places, in French (fr-FR), titled `documentName`. False with
// the reason in `error` when a step fails.
bool RenderPagesToPdf(const TPageList &pages, int dpi, const QString &documentName,
                      const QDateTime &created, QByteArray &pdf, QString &error);

// Puts `bytes` in place of `fileName` only once they are all written: a failed write leaves
// an existing file as it was and no other file behind. False with the system's description
// of the failure in `error`.
bool WriteFileReplacing(const QString &fileName, const QByteArray &bytes, QString &error);

// The French description of an operating-system error code.
QString SystemErrorText(int error);
