// What the printer dialog, the preview and the main window share: the no-printer warning,
// the placing of setup dialogs, the year of the report in the preview and the tool pictures.
#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QString>

class QWidget;

// True, after warning the user, when no printer is installed.
bool NoPrinterFound();

// Moves a setup dialog when it shows: 15 pixels right of and below the owner's top-left
// corner, or centred over the owner.
void PlaceSetupDialog(QWidget *owner, QWidget *dialog, bool offset);

// Shows the printer setup of the current printer (printer, paper, orientation; no count of
// copies) over `owner`; true when confirmed.
bool ExecutePrinterSetup(QWidget *owner, bool offset);

// The income year of the report last opened in the preview; names the PDF file.
QString &ReportYearText();

// The pictures of the preview's tool buttons: print, printer setup, save as PDF, whole page,
// full width, quit; each 25 x 22, normal, under the pointer and disabled.
class TDM_Images
{
public:
    TDM_Images();
    QList<QPixmap> PreviewImg;
    QList<QPixmap> PreviewHotImg;
    QList<QPixmap> PreviewDisabledImg;
    QIcon Icon(int index) const;
};

// The image module of the program, made once.
const TDM_Images &DM_Images();
