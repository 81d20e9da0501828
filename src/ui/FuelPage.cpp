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
    auto *title = new QLabel(u"Calcul du montant forfaitaire des frais de carburant"_s, page);
    title->setObjectName(u"L_KmTitle"_s);
    title->setAlignment(Qt::AlignCenter);
    title->setFont(ArialFont(12, true));
    title->setStyleSheet(u"color: #3A8FED;"_s);
    new TEdgeDock(title, 29, true);

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

    QLabel *yearLabel =
        addFieldLabel(page, u"L_KmYear"_s, u"Prix de revient * pour les revenus"_s, 78);
    yearLabel->setFont(ArialFont(10, false, true));
    E_KmYear = AddList(page, u"E_KmYear"_s, 319, 77, 146, yearLabel);
    E_KmYear->addItems(FuelYearCaptions());
    E_KmYear->setCurrentIndex(-1);

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

    QLabel *byDayLabel = addFieldLabel(page, u"L_KmDistanceByDay"_s,
                                       u"Distance parcourue par jour pour travailler"_s, 221);
    E_KmDistanceByDay = AddNumberEdit(page, u"E_KmDistanceByDay"_s, TNumberEdit::TKind::Decimal,
                                      319, 218, 230, byDayLabel);
    // Each unit is its field's second label.
    AddLabel(page, u"L_KmUnitDistanceByDay"_s, u"Km"_s, 561, 221)->setBuddy(E_KmDistanceByDay);

    QLabel *daysLabel =
        addFieldLabel(page, u"L_KmNumOfDays"_s, u"Nombre de jours travaillés dans l'année"_s, 254);
    E_KmNumOfDays = AddNumberEdit(page, u"E_KmNumOfDays"_s, TNumberEdit::TKind::DayCount, 319, 251,
                                  230, daysLabel);
    AddLabel(page, u"L_KmUnitNumOfDays"_s, u"Jours"_s, 561, 254)->setBuddy(E_KmNumOfDays);

    QLabel *distanceLabel =
        addFieldLabel(page, u"L_KmDistance"_s, u"Kilométrage effectué dans l'année"_s, 287);
    E_KmDistance = AddNumberEdit(page, u"E_KmDistance"_s, TNumberEdit::TKind::Decimal, 319, 284,
                                 230, distanceLabel);
    AddLabel(page, u"L_KmUnitDistance"_s, u"Km"_s, 561, 287)->setBuddy(E_KmDistance);

    B_KmCalc = new QPushButton(u"&Calculer"_s, page);
    B_KmCalc->setObjectName(u"B_KmCalc"_s);
    B_KmCalc->setGeometry(289, 327, 124, 32);
    B_KmCalc->setCursor(Qt::PointingHandCursor);

    auto *titleResult = new QLabel(u"Le montant de vos frais kilométriques s'élève à : "_s, page);
    titleResult->setObjectName(u"L_KmTitleResult"_s);
    titleResult->setFont(ArialFont(9, true, false, true));
    titleResult->setAlignment(Qt::AlignCenter);
    titleResult->setGeometry(45, 374, 612, 17);

    L_KmResult = new QLabel(page);
    L_KmResult->setObjectName(u"L_KmResult"_s);
    L_KmResult->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    L_KmResult->setFont(ArialFont(11, true));
    L_KmResult->setStyleSheet(u"background-color: #C0C0C0; color: #000000;"_s);
    L_KmResult->setGeometry(246, 403, 150, 15);
    ShowAmount(L_KmResult, QString(), FuelAmountCaption);
    QLabel *euro = AddLabel(page, u"L_KmEuro"_s, u"Euro"_s, 407, 403);
    euro->setFont(ArialFont(11));
    euro->adjustSize();

    auto *info = new QLabel(
        u"* frais de parking, de garage, de péage et les intérêts de votre crédit exclus"_s, page);
    info->setObjectName(u"L_KmInfo"_s);
    info->setFont(ArialFont(10, false, true));
    info->setAlignment(Qt::AlignCenter);
    new TEdgeDock(info, 24, false);

    QWidget::setTabOrder(RB_Professional, RB_Employee);
    QWidget::setTabOrder(RB_Employee, E_KmYear);
    QWidget::setTabOrder(E_KmYear, E_KmType);
    QWidget::setTabOrder(E_KmType, E_KmPower);
    QWidget::setTabOrder(E_KmPower, E_KmFuel);
    QWidget::setTabOrder(E_KmFuel, E_KmDistanceByDay);
    QWidget::setTabOrder(E_KmDistanceByDay, E_KmNumOfDays);
    QWidget::setTabOrder(E_KmNumOfDays, E_KmDistance);
    QWidget::setTabOrder(E_KmDistance, B_KmCalc);

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
    connect(E_KmDistanceByDay, &QLineEdit::textChanged, this, &TF_Main::E_KmDistanceByDayChange);
    connect(E_KmDistanceByDay, &TNumberEdit::exited, this,
            [this] { AnEditExit(E_KmDistanceByDay); });
    connect(E_KmNumOfDays, &QLineEdit::textChanged, this, &TF_Main::E_KmNumOfDaysChange);
    connect(E_KmNumOfDays, &TNumberEdit::entered, this, [this] { AnEditEnter(E_KmNumOfDays); });
    connect(E_KmNumOfDays, &TNumberEdit::exited, this, &TF_Main::E_KmNumOfDaysExit);
    connect(E_KmDistance, &QLineEdit::textChanged, this, &TF_Main::E_KmDistanceChange);
    connect(B_KmCalc, &QPushButton::clicked, this, &TF_Main::ShowFuelCost);
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
    return DistanceFromText(E_KmDistance->text());
}

long double TF_Main::GetKmDistanceByDay() const
{
    return DistanceByDayFromText(E_KmDistanceByDay->text());
}

int32_t TF_Main::GetKmNumOfDays() const
{
    return NumOfDaysFromText(E_KmNumOfDays->text());
}

long double TF_Main::GetKmDistanceFromDays() const
{
    return DistanceFromDays(GetKmNumOfDays(), GetKmDistanceByDay());
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
    ShowAmount(L_KmResult, FuelAmountText(m_lastFuelCalc.Amount), FuelAmountCaption);
}

void TF_Main::ClearKmResult()
{
    ShowAmount(L_KmResult, QString(), FuelAmountCaption);
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

void TF_Main::E_KmDistanceByDayChange()
{
    if (!E_KmDistanceByDay->hasFocus())
        return;
    SanitizeNumberEdit(E_KmDistanceByDay);
    if (GetKmDistance() != m_lastFuelCalc.Distance)
        ClearKmResult();
    if (GetKmNumOfDays() > 0)
        E_KmDistance->setText(DistanceText(GetKmDistanceFromDays()));
}

void TF_Main::E_KmNumOfDaysChange()
{
    if (!E_KmNumOfDays->hasFocus())
        return;
    FuelDaysChanged();
}

void TF_Main::FuelDaysChanged()
{
    if (GetKmDistance() != m_lastFuelCalc.Distance)
        ClearKmResult();
    if (GetKmDistanceByDay() > 0)
        E_KmDistance->setText(DistanceText(GetKmDistanceFromDays()));
}

void TF_Main::E_KmNumOfDaysExit()
{
    const QString capped = CapDayCountText(E_KmNumOfDays->text(), GetKmYear());
    if (capped == E_KmNumOfDays->text())
        return;
    E_KmNumOfDays->setText(capped);
    FuelDaysChanged();
}

void TF_Main::E_KmDistanceChange()
{
    ApplyFuelCalcRule();
    if (GetKmDistance() != m_lastFuelCalc.Distance)
        ClearKmResult();
}
