// The fuel page of the main window: its controls and how they follow each other.
#include "FMain.h"

#include "Accessibility.h"
#include "Controls.h"
#include "EntryFields.h"
#include "NumberEdit.h"
#include "NumberEditRules.h"
#include "NumberText.h"

#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// The amount as screen readers say it: the visible caption says the same for both pages.
const QString FuelAmountCaption =
    QStringLiteral("Le montant de vos frais de carburant s'élève à :");

constexpr int LabelWidth = 280;

QLabel *addFieldLabel(QWidget *page, const QString &name, const QString &text, int top)
{
    QLabel *label = AddLabel(page, name, text, 33, top);
    label->resize(LabelWidth, label->height());
    return label;
}

} // namespace

void TF_Main::CreateFuelPage(QWidget *page)
{
    AddPageTitle(page, u"L_KmTitle"_s, u"Calcul du montant forfaitaire des frais de carburant"_s,
                 u"#3A8FED"_s);

    // Both statuses in one group, for screen readers; it draws nothing.
    auto *status = new TControlGroup(u"Statut du contribuable"_s, page);
    status->setObjectName(u"P_Status"_s);
    status->setGeometry(33, 35, 666 - 33, 17);
    RB_Professional = new QRadioButton(TaxpayerStatusCaption(tsProfessional), status);
    RB_Professional->setObjectName(u"RB_Professional"_s);
    // The long status caption keeps to the room left of "Salarié", in a smaller face if need be.
    constexpr int statusRoom = 553 - 33 - 4;
    QFont statusFont = RB_Professional->font();
    while (RB_Professional->sizeHint().width() > statusRoom && statusFont.pointSizeF() > 6.5) {
        statusFont.setPointSizeF(statusFont.pointSizeF() - 0.25);
        RB_Professional->setFont(statusFont);
    }
    RB_Professional->setGeometry(
        0, 0, std::clamp(RB_Professional->sizeHint().width(), 491, statusRoom), 17);
    RB_Professional->setChecked(true);
    RB_Employee = new QRadioButton(TaxpayerStatusCaption(tsEmployee), status);
    RB_Employee->setObjectName(u"RB_Employee"_s);
    RB_Employee->setGeometry(553 - 33, 0, 113, 17);
    status->LabelMembers({RB_Professional, RB_Employee});

    E_KmYear = AddYearList(page, u"L_KmYear"_s, u"E_KmYear"_s, {33, 78, LabelWidth, 319, 77, 146},
                           FuelYearCaptions());

    QLabel *typeLabel = addFieldLabel(page, u"L_KmType"_s, u"Type du véhicule "_s, 123);
    E_KmType = AddList(page, u"E_KmType"_s, 319, 120, 230, typeLabel);
    E_KmType->addItems(FuelVehicleKindCaptions());

    QLabel *powerLabel =
        addFieldLabel(page, u"L_KmPower"_s, u"Puissance fiscale du véhicule"_s, 155);
    E_KmPower = AddList(page, u"E_KmPower"_s, 319, 152, 230, powerLabel);
    E_KmPower->addItems(FuelPowerCaptions(fvCar, tsProfessional));
    E_KmPower->setCurrentIndex(-1);

    L_KmFuel = addFieldLabel(page, u"L_KmFuel"_s, u"Type de carburant"_s, 188);
    E_KmFuel = AddList(page, u"E_KmFuel"_s, 319, 185, 230, L_KmFuel);
    E_KmFuel->addItems(FuelKindCaptions());

    m_fuelDistance = new TDistanceFields(
        page, u"Km"_s, {33, LabelWidth, 319, 230, 561, {221, 254, 287}, {218, 251, 284}},
        {[this] { return GetKmYear(); }, [this] { return m_lastFuelCalc.Distance; },
         [this] { ClearKmResult(); }, [this] { ApplyFuelCalcRule(); }});
    E_KmDistanceByDay = m_fuelDistance->ByDay;
    E_KmNumOfDays = m_fuelDistance->Days;
    E_KmDistance = m_fuelDistance->Annual;

    B_KmCalc = AddCalcButton(page, u"B_KmCalc"_s, 289, 327);
    m_fuelAmount =
        TAmountBox(page, u"Km"_s, u"Le montant de vos frais kilométriques s'élève à : "_s,
                   FuelAmountCaption, QRect(45, 374, 612, 17), 246, 403);
    L_KmResult = m_fuelAmount.Amount();
    AddPageNote(
        page, u"L_KmInfo"_s,
        u"* frais de parking, de garage, de péage et les intérêts de votre crédit exclus"_s);

    QWidget::setTabOrder(RB_Professional, RB_Employee);
    QWidget::setTabOrder(RB_Employee, E_KmYear);
    QWidget::setTabOrder(E_KmYear, E_KmType);
    QWidget::setTabOrder(E_KmType, E_KmPower);
    QWidget::setTabOrder(E_KmPower, E_KmFuel);
    QWidget::setTabOrder(E_KmFuel, E_KmDistanceByDay);
    QWidget::setTabOrder(E_KmDistanceByDay, E_KmNumOfDays);
    QWidget::setTabOrder(E_KmNumOfDays, E_KmDistance);
    QWidget::setTabOrder(E_KmDistance, B_KmCalc);
    QWidget::setTabOrder(B_KmCalc, L_KmResult);

    for (QRadioButton *status : {RB_Professional, RB_Employee}) {
        connect(status, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                RB_ProfessionalClick();
        });
    }
    connect(E_KmYear, &QComboBox::activated, this, &TF_Main::E_KmYearChange);
    connect(E_KmType, &QComboBox::activated, this, &TF_Main::E_KmTypeChange);
    connect(E_KmPower, &QComboBox::activated, this, &TF_Main::E_KmPowerChange);
    connect(E_KmFuel, &QComboBox::activated, this, &TF_Main::E_KmFuelChange);
    connect(B_KmCalc, &QPushButton::clicked, this,
            [this] { m_fuelAmount.Recalculate([this] { ShowFuelCost(); }); });
}

void TF_Main::InitFuelPage()
{
    E_KmType->setCurrentIndex(0);
    E_KmFuel->setCurrentIndex(0);
    ApplyFuelCalcRule();
    m_lastFuelCalc.Year = uint16_t(GetKmYear());
    m_lastFuelCalc.Kind = GetKmVehicleKind();
    m_lastFuelCalc.Fuel = GetKmFuel();
    m_lastFuelCalc.ScaleRow = FuelScaleRowIndex(m_lastFuelCalc.Kind, FuelPowerIndex());
    m_lastFuelCalc.Distance = GetKmDistance();
    m_lastFuelCalc.Rate = 0;
    m_lastFuelCalc.Amount = 0;
    BuildFuelScale(m_fuelScale, GetKmYear());
    UpdateKmPowerList();
}

int TF_Main::GetKmYear()
{
    if (E_KmYear->currentIndex() < 0 && E_KmYear->count() > 0)
        E_KmYear->setCurrentIndex(0); // no handler listens to changes made here
    return E_KmYear->currentText().toInt();
}

TFuelVehicleKind TF_Main::GetKmVehicleKind() const
{
    const int index = E_KmType->currentIndex();
    return index < 0 ? fvCar : TFuelVehicleKind(index);
}

TFuelKind TF_Main::GetKmFuel() const
{
    const int index = E_KmFuel->currentIndex();
    return index < 0 ? fkDiesel : TFuelKind(index);
}

TTaxpayerStatus TF_Main::GetTaxpayerStatus() const
{
    return RB_Professional->isChecked() ? tsProfessional : tsEmployee;
}

int TF_Main::FuelPowerIndex() const
{
    return E_KmPower->currentIndex();
}

long double TF_Main::GetKmDistance() const
{
    return m_fuelDistance->Distance();
}

long double TF_Main::GetKmDistanceByDay() const
{
    return m_fuelDistance->DistanceByDay();
}

int32_t TF_Main::GetKmNumOfDays() const
{
    return m_fuelDistance->NumOfDays();
}

long double TF_Main::GetKmDistanceFromDays() const
{
    return m_fuelDistance->DistanceFromDays();
}

long double TF_Main::ComputeFuelCost()
{
    return ::ComputeFuelCost(m_fuelScale, GetKmVehicleKind(), FuelPowerIndex(), GetKmFuel(),
                             GetKmDistance(), m_lastFuelCalc);
}

void TF_Main::ShowFuelCost()
{
    m_lastFuelCalc.Year = uint16_t(GetKmYear());
    m_lastFuelCalc.Kind = GetKmVehicleKind();
    m_lastFuelCalc.Fuel = GetKmFuel();
    m_lastFuelCalc.ScaleRow = FuelScaleRowIndex(m_lastFuelCalc.Kind, FuelPowerIndex());
    m_lastFuelCalc.Distance = GetKmDistance();
    m_lastFuelCalc.Amount = ComputeFuelCost();
    m_fuelAmount.Show(FuelAmountText(m_lastFuelCalc.Amount));
    CarryVehicleCost(tcFuelCost);
}

void TF_Main::ClearKmResult()
{
    m_fuelAmount.Clear();
}

void TF_Main::ApplyFuelCalcRule()
{
    B_KmCalc->setEnabled(GetKmDistance() > 0);
}

void TF_Main::UpdateKmPowerList()
{
    const TFuelVehicleKind kind = GetKmVehicleKind();
    const int old = E_KmPower->currentIndex();
    const bool car = kind == fvCar;
    // The fuel only matters to cars; a two-wheeler keeps the chosen fuel, greyed.
    L_KmFuel->setEnabled(car);
    E_KmFuel->setEnabled(car);
    m_fuelPowerWork = FuelPowerCaptions(kind, GetTaxpayerStatus());
    E_KmPower->clear();
    E_KmPower->addItems(m_fuelPowerWork);
    E_KmPower->setCurrentIndex(old >= 0 && old < E_KmPower->count() ? old : 0);
}

void TF_Main::RB_ProfessionalClick()
{
    UpdateKmPowerList();
    // A shorter list can move the selection to another class: its amount no longer stands.
    if (FuelScaleRowIndex(GetKmVehicleKind(), FuelPowerIndex()) != m_lastFuelCalc.ScaleRow)
        ClearKmResult();
}

void TF_Main::E_KmYearChange()
{
    BuildFuelScale(m_fuelScale, GetKmYear());
    ApplyFuelCalcRule();
    // The amount shown was computed with another year's rates: it no longer stands.
    if (GetKmYear() != m_lastFuelCalc.Year)
        ClearKmResult();
}

void TF_Main::E_KmYearExit()
{
    m_lastFuelCalc.Year = uint16_t(GetKmYear());
}

void TF_Main::E_KmTypeChange()
{
    ApplyFuelCalcRule();
    if (GetKmVehicleKind() != m_lastFuelCalc.Kind)
        ClearKmResult();
    UpdateKmPowerList();
}

void TF_Main::E_KmPowerChange()
{
    ApplyFuelCalcRule();
    if (FuelScaleRowIndex(GetKmVehicleKind(), FuelPowerIndex()) != m_lastFuelCalc.ScaleRow)
        ClearKmResult();
}

void TF_Main::E_KmFuelChange()
{
    ApplyFuelCalcRule();
    if (GetKmFuel() != m_lastFuelCalc.Fuel)
        ClearKmResult();
}
