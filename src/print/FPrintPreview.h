// The print preview: the recorded report as a white sheet, printed, set up again or saved.
#pragma once

#include "PageModel.h"
#include "UDeclar.h"

#include <QDialog>

#include <functional>

class QLabel;
class QScrollArea;
class QToolBar;
class QToolButton;
class TPreviewPage;

// Where the sheet goes in a client of `client` pixels, 10 pixels from its edges: the whole
// page, or the full width (from the top of the scrolled area when `scrolled`).
QRect FitWholePage(QSize client, double widthMm, double heightMm);
QRect FitPageWidth(QSize client, double widthMm, double heightMm, bool scrolled);

class TF_PrintPreview : public QDialog
{
    Q_OBJECT

public:
    explicit TF_PrintPreview(QWidget *owner);
    ~TF_PrintPreview() override;

    TTypeCalc curTypeCalc = tcKmCost;
    int curCopyCount = 1;
    TPageList LPages;
    // The name of print jobs started here and the title and subject of the PDF.
    QString pwDocName;
    // Records the report again into the pages, after a change of printer or setup.
    std::function<void(TPageList &)> RecordPages;

    QRect PageRect() const;
    // The texts of the page shown, line by line, as a screen reader reads them.
    QStringList PageTextLines() const;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void PlaceOnScreen();
    void FreePages();
    void ResetPages(int count);
    void FitWholePageNow();
    void FitPageWidthNow();
    void ApplyZoom();
    void PlacePage(const QRect &page);
    void PB_PreviewPaint();
    void B_PrintClick();
    void B_CfgPrnClick();
    void B_SavePdfClick();
    bool AskSaveFileName(QString &fileName);
    void SavePagesToFile(const QString &fileName, const QString &allowedExt, int dpi);
    bool CheckFileExt(const QString &ext, const QString &allowedExt);
    void ShowPrinterName(const QString &name);

    bool m_shown = false;
    int m_pageIndex = 0;
    QToolBar *TB_PrintPreview = nullptr;
    QToolButton *B_Print = nullptr;
    QToolButton *B_CfgPrn = nullptr;
    QToolButton *B_SavePdf = nullptr;
    QToolButton *B_FullScreen = nullptr;
    QToolButton *B_FullWidth = nullptr;
    QToolButton *B_Quit = nullptr;
    QLabel *L_PrinterName = nullptr;
    QScrollArea *SB_Preview = nullptr;
    QWidget *m_sheetArea = nullptr;
    TPreviewPage *PB_Preview = nullptr;
};
