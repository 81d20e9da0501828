// The main window: the home page, the three calculator pages and the bottom bar of links.
#pragma once

#include "Classifications.h"
#include "FuelScale.h"
#include "KmScale.h"
#include "PageModel.h"
#include "PageParts.h"
#include "Report.h"
#include "UDeclar.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class THomeBrowser;
class THomeText;
class TLinkLabel;
class TNumberEdit;
class TRealCostsPage;

class TF_Main : public QWidget
{
    Q_OBJECT

public:
    // `homeFolder` is where index.html is looked for: the executable's folder.
    explicit TF_Main(const QString &homeFolder, QWidget *parent = nullptr);
    ~TF_Main() override;

    // Inputs of the mileage page, read from its controls each time.
    int GetYear();
    TVehicleKind GetVehicleKind() const;
    long double GetDistance() const;
    long double GetDistanceByDay() const;
    int32_t GetNumOfDays() const;
    long double GetDistanceFromDays() const;
    long double ComputeKmCost();
    void ShowKmCost();

    // Inputs of the fuel page.
    int GetKmYear();
    TFuelVehicleKind GetKmVehicleKind() const;
    TFuelKind GetKmFuel() const;
    TTaxpayerStatus GetTaxpayerStatus() const;
    long double GetKmDistance() const;
    long double GetKmDistanceByDay() const;
    int32_t GetKmNumOfDays() const;
    long double GetKmDistanceFromDays() const;
    long double ComputeFuelCost();
    void ShowFuelCost();

    // Redoes the calculation of that kind, then prints its report in `copyCount` copies on
    // the current printer, or records it into the first of `pages`.
    void PrintCalcResult(TTypeCalc typeCalc, int copyCount, TPageList *pages);

    const TKmCalcState &LastKmCalc() const { return m_lastKmCalc; }
    const TFuelCalcState &LastFuelCalc() const { return m_lastFuelCalc; }
    // The kind of calculation of the page active in the page control.
    TTypeCalc ActiveTypeCalc() const;
    bool HomePanelShown() const;

signals:
    // The print links and Ctrl+N: print the active page's calculation, at once on the current
    // printer (withDialog false) or after the printer dialog.
    void printRequested(TTypeCalc typeCalc, bool withDialog);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Window level.
    void FormCreate();
    void FormShow();
    void CreateHomePanel();
    void CreateCalcPanel();
    void EnsureCalcPanel();
    void PrepareWhenQuiet();
    void CreateBrowser();
    void ShowCalcPanel();
    void ShowHomePanel();
    bool FormKeyDown(QKeyEvent *event);
    // Shows the page of that index, the keyboard on its title.
    void ShowPage(int index);
    // The home page's own links, inside the browser; none before it is made.
    QWidget *pageLinks() const;
    // A key pressed in the home page; true when the window takes it.
    bool HomePageKeyDown(QKeyEvent *event);
    // Tab (forward) or Shift+Tab went past the home page's last or first link.
    void HomePageLeft(bool forward);
    void ALinkClick(QObject *sender);
    void ShowInformation();
    void PrintCommand(TTypeCalc typeCalc, bool withDialog);
    struct TPrinterChoice
    {
        bool Confirmed = false;
        int Copies = 1;
        bool Preview = false;
    };
    TPrinterChoice ChoosePrinter();
    void ShowPrintPreview(TTypeCalc typeCalc, int copyCount, int pageCount);
    TKmReportInput KmReportInput();
    TFuelReportInput FuelReportInput();
    // Hands the amount just computed on the mileage or fuel page to the actual-costs page.
    void CarryVehicleCost(TTypeCalc typeCalc);
    // Keeps the home panel, saying why the home page is not shown there.
    void ShowHomeProblem(const QString &why);
    void L_ShowCalcClick();
    void L_CopyRightClick();

    // Mileage page.
    void CreateKmPage(QWidget *page);
    void InitKmPage();
    void ApplyKmCalcRule();
    void ClearResult();
    void UpdateTypeList(int year);
    void UpdatePowerList();
    int KmPowerIndex() const;
    void E_YearChange();
    void E_YearExit();
    void E_TypeChange();
    void E_PowerChange();

    // Fuel page.
    void CreateFuelPage(QWidget *page);
    void InitFuelPage();
    void ApplyFuelCalcRule();
    void ClearKmResult();
    void UpdateKmPowerList();
    int FuelPowerIndex() const;
    void RB_ProfessionalClick();
    void E_KmYearChange();
    void E_KmYearExit();
    void E_KmTypeChange();
    void E_KmPowerChange();
    void E_KmFuelChange();

    // The home page beside the program; empty when there is none.
    QString m_homePage;
    bool m_shownOnce = false;
    bool m_homeLoadAnswered = false;
    bool m_awaitsExpose = false;
    bool m_calcPanelPending = false;
    // Time without keys or clicks after which the calculator, then the browser engine, are made.
    static constexpr int QuietDelay = 100;
    QTimer m_quietDelay;

    TKmScale m_kmScale{};
    TFuelScale m_fuelScale{};
    TKmCalcState m_lastKmCalc;
    TFuelCalcState m_lastFuelCalc;
    // The year the vehicle-kind list was last filled for.
    int m_typeListYear = 0;
    // Work lists for refilling the power lists.
    QStringList m_kmPowerWork;
    QStringList m_fuelPowerWork;

    // Window and panels.
    QWidget *P_Home = nullptr;
    THomeText *P_HomeText = nullptr;
    QWidget *P_Browser = nullptr;
    THomeBrowser *WebBrowser1 = nullptr;
    QLabel *L_HomeProblem = nullptr; // why the home page is not shown, when it cannot be
    QFrame *P_Buttons = nullptr;
    TLinkLabel *L_ShowCalc = nullptr;
    QWidget *P_Calc = nullptr;
    QTabWidget *PC_Main = nullptr;
    QWidget *TS_Bareme = nullptr;
    QWidget *TS_Kilometres_charges = nullptr;
    TRealCostsPage *TS_Frais_reels = nullptr;
    QWidget *P_Bottom = nullptr;
    TLinkLabel *L_Home = nullptr;
    TLinkLabel *I_Print = nullptr;
    QFrame *S_BtnBorder = nullptr;
    TLinkLabel *L_Print = nullptr;
    TLinkLabel *L_CopyRight = nullptr;
    TLinkLabel *L_Close = nullptr;
    TLinkLabel *I_Infos = nullptr;
    TLinkLabel *L_Infos = nullptr;

    // Mileage page.
    QLabel *L_Title = nullptr;
    QComboBox *E_Year = nullptr;
    QComboBox *E_Type = nullptr;
    QLabel *L_Power = nullptr;
    QComboBox *E_Power = nullptr;
    QLabel *I_Thermic = nullptr;
    QLabel *I_Electric = nullptr;
    TNumberEdit *E_DistanceByDay = nullptr;
    TNumberEdit *E_NumOfDays = nullptr;
    TNumberEdit *E_Distance = nullptr;
    QLabel *L_LongCommute = nullptr;
    QPushButton *B_Calc = nullptr;
    QLabel *L_Result = nullptr;
    TDistanceFields *m_kmDistance = nullptr;
    TAmountBox m_kmAmount;

    // Fuel page.
    QRadioButton *RB_Professional = nullptr;
    QRadioButton *RB_Employee = nullptr;
    QComboBox *E_KmYear = nullptr;
    QComboBox *E_KmType = nullptr;
    QComboBox *E_KmPower = nullptr;
    QLabel *L_KmFuel = nullptr;
    QComboBox *E_KmFuel = nullptr;
    TNumberEdit *E_KmDistanceByDay = nullptr;
    TNumberEdit *E_KmNumOfDays = nullptr;
    TNumberEdit *E_KmDistance = nullptr;
    QPushButton *B_KmCalc = nullptr;
    QLabel *L_KmResult = nullptr;
    TDistanceFields *m_fuelDistance = nullptr;
    TAmountBox m_fuelAmount;
};
