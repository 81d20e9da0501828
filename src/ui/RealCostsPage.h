// The page "Frais réels ou 10 %": one person's actual costs of a year against the 10 %
// deduction, the vehicle amount carried over from the two scales' pages.
#pragma once

#include "PageParts.h"
#include "RealCosts.h"

#include <QMap>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QTextEdit;
class TNumberEdit;
struct TReport;

class TRealCostsPage : public TPage
{
    Q_OBJECT

public:
    explicit TRealCostsPage(QWidget *parent = nullptr);
    // Made once the page stands in its window: the theme gives a control placed later into the
    // window the application's font, whatever font it had been given.
    void CreateControls();

    // A vehicle amount just computed on the mileage or the fuel page, with its origin in words:
    // it fills the vehicle field when it is of the page's year, over what the field held.
    void CarryVehicleCost(int year, long double amount, const QString &origin);

    int GetYear();
    // Reads the fields; false, with the reason, when one of them cannot be used.
    bool ReadInput(TRealCostsInput &input, const TRealCostsSet &set, QString &error);
    // Computes and shows the comparison; a refused input is said in a message, and nothing is
    // shown then. False when nothing could be computed.
    bool ShowRealCosts();
    // The sheet of the comparison last shown.
    TReport Report() const;
    // Calculer is possible once the pay is given.
    bool HasSalary() const;

    QPushButton *CalcButton() const { return B_RcCalc; }

private:
    void E_RcYearChange();
    void ApplyRealCostsRule();
    void ClearRealCosts();
    void ShowCarriedVehicle();
    void E_RcVehicleEdited();
    // A field changed: what was computed from it no longer stands.
    void FieldChanged(TNumberEdit *edit);

    struct TCarried
    {
        long double Amount = 0;
        QString Origin;
    };
    QMap<int, TCarried> m_carried; // the last vehicle amount of each year
    bool m_vehicleTyped = false;   // the vehicle field holds what the user typed
    bool m_filling = false;        // the page itself is writing into a field
    TRealCostsInput m_lastInput;
    TRealCostsResult m_lastResult;
    int m_lastYear = 0;

    QComboBox *E_RcYear = nullptr;
    TNumberEdit *E_RcSalary = nullptr;
    TNumberEdit *E_RcVehicle = nullptr;
    QLabel *L_RcVehicleOrigin = nullptr;
    TNumberEdit *E_RcMeals = nullptr;
    TNumberEdit *E_RcMealPrice = nullptr;
    TNumberEdit *E_RcMealVoucher = nullptr;
    TNumberEdit *E_RcHomeDays = nullptr;
    TNumberEdit *E_RcHomeActual = nullptr;
    QLabel *L_RcHomeNote = nullptr;
    TNumberEdit *E_RcOther = nullptr;
    TNumberEdit *E_RcAllowances = nullptr;
    QComboBox *E_RcRate = nullptr;
    QPushButton *B_RcCalc = nullptr;
    TAmountBox m_amount;
    QTextEdit *E_RcWorking = nullptr;
};
