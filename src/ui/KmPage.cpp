// The mileage page of the main window: its controls and how they follow each other.
#include "FMain.h"

#include "Accessibility.h"
#include "Controls.h"
#include "EntryFields.h"
#include "NumberEdit.h"
#include "NumberEditRules.h"
#include "NumberText.h"

#include <QIcon>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString KmAmountCaption = QStringLiteral("Le montant de vos frais kilométriques s'élève à :");

QLabel *addVehiclePicture(QWidget *page, const QString &name, const QString &resource)
{
    auto *picture = new QLabel(page);
    picture->setObjectName(name);
    picture->setGeometry(582, 74, 80, 80);
    picture->setPixmap(QIcon(resource).pixmap(QSize(80, 80)));
    picture->hide();
    picture->setAccessibleName(name == u"I_Electric"_s ? u"Véhicule électrique"_s
                                                       : u"Véhicule thermique"_s);
    return picture;
}

} // namespace

void TF_Main::CreateKmPage(QWidget *page)
{
    L_Title = AddPageTitle(page, u"L_Title"_s,
                           u"Calcul du montant forfaitaire des frais kilométriques "_s, QString());
    E_Year =
        AddYearList(page, u"L_Year"_s, u"E_Year"_s, {33, 42, 0, 319, 41, 146}, KmYearCaptions());

    QLabel *typeLabel = AddLabel(page, u"L_Type"_s, u"Type du véhicule "_s, 32, 90);
    E_Type = AddList(page, u"E_Type"_s, 319, 86, 201, typeLabel);
    // The kinds of the newest year, the one shown at start.
    m_typeListYear = NewestYear(tcKmCost);
    E_Type->addItems(VehicleKindCaptions(m_typeListYear));

    L_Power = AddLabel(page, u"L_Power"_s, u"Puissance fiscale du véhicule"_s, 32, 121);
    E_Power = AddList(page, u"E_Power"_s, 319, 118, 201, L_Power);
    E_Power->addItems(PowerCaptions(vkThermalCar));

    I_Thermic = addVehiclePicture(page, u"I_Thermic"_s, u":/images/vehicle-thermal.svg"_s);
    I_Electric = addVehiclePicture(page, u"I_Electric"_s, u":/images/vehicle-electric.svg"_s);

    m_kmDistance = new TDistanceFields(
        page, QString(), {32, 0, 319, 201, 540, {152, 183, 215}, {149, 180, 211}},
        {[this] { return GetYear(); }, [this] { return m_lastKmCalc.Distance; },
         [this] { ClearResult(); }, [this] { ApplyKmCalcRule(); }});
    E_DistanceByDay = m_kmDistance->ByDay;
    E_NumOfDays = m_kmDistance->Days;
    E_Distance = m_kmDistance->Annual;

    // Said, not refused: a long daily distance is admitted in particular circumstances.
    L_LongCommute = new QLabel(LongCommuteNote(), page);
    L_LongCommute->setObjectName(u"L_LongCommute"_s);
    L_LongCommute->setWordWrap(true);
    L_LongCommute->setFont(ArialFont(7.5, false, true));
    L_LongCommute->setGeometry(32, 236, 640, 30);
    L_LongCommute->hide();
    connect(E_DistanceByDay, &QLineEdit::textChanged, this, [this] {
        const bool longCommute = GetDistanceByDay() > LongCommutePerDay;
        L_LongCommute->setVisible(longCommute);
        E_DistanceByDay->setAccessibleDescription(longCommute ? LongCommuteNote() : QString());
    });

    B_Calc = AddCalcButton(page, u"B_Calc"_s, 285, 275);
    m_kmAmount =
        TAmountBox(page, QString(), u"Le montant de vos frais kilométriques s'élève à : "_s,
                   KmAmountCaption, QRect(41, 318, 612, 17), 242, 347);
    L_Result = m_kmAmount.Amount();
    AddPageNote(
        page, u"L_Info"_s,
        u"* frais de parking, de garage, de péage et les intérêts de votre crédit exclus"_s);

    QWidget::setTabOrder(E_Year, E_Type);
    QWidget::setTabOrder(E_Type, E_Power);
    QWidget::setTabOrder(E_Power, E_DistanceByDay);
    QWidget::setTabOrder(E_DistanceByDay, E_NumOfDays);
    QWidget::setTabOrder(E_NumOfDays, E_Distance);
    QWidget::setTabOrder(E_Distance, B_Calc);
    QWidget::setTabOrder(B_Calc, L_Result);

    connect(E_Year, &QComboBox::activated, this, &TF_Main::E_YearChange);
    connect(E_Type, &QComboBox::activated, this, &TF_Main::E_TypeChange);
    connect(E_Power, &QComboBox::activated, this, &TF_Main::E_PowerChange);
    connect(B_Calc, &QPushButton::clicked, this,
            [this] { m_kmAmount.Recalculate([this] { ShowKmCost(); }); });
}

void TF_Main::InitKmPage()
{
    m_lastKmCalc.Rate = 0;
    m_lastKmCalc.Fixed = 0;
    m_lastKmCalc.Amount = 0;
    E_Type->setCurrentIndex(0);
    E_Power->setCurrentIndex(0);
    ApplyKmCalcRule();
    m_lastKmCalc.Year = uint16_t(GetYear());
    m_lastKmCalc.Kind = GetVehicleKind();
    m_lastKmCalc.ScaleRow = KmScaleRowIndex(m_lastKmCalc.Kind, KmPowerIndex());
    m_lastKmCalc.Distance = GetDistance();
    BuildKmScale(m_kmScale, GetYear());
    UpdatePowerList();
}

int TF_Main::GetYear()
{
    if (E_Year->currentIndex() < 0 && E_Year->count() > 0)
        E_Year->setCurrentIndex(0); // no handler listens to changes made here
    return E_Year->currentText().toInt();
}

TVehicleKind TF_Main::GetVehicleKind() const
{
    const int index = E_Type->currentIndex();
    return index < 0 ? vkThermalCar : TVehicleKind(index);
}

int TF_Main::KmPowerIndex() const
{
    return E_Power->currentIndex();
}

long double TF_Main::GetDistance() const
{
    return m_kmDistance->Distance();
}

long double TF_Main::GetDistanceByDay() const
{
    return m_kmDistance->DistanceByDay();
}

int32_t TF_Main::GetNumOfDays() const
{
    return m_kmDistance->NumOfDays();
}

long double TF_Main::GetDistanceFromDays() const
{
    return m_kmDistance->DistanceFromDays();
}

long double TF_Main::ComputeKmCost()
{
    return ::ComputeKmCost(m_kmScale, GetVehicleKind(), GetYear(), KmPowerIndex(), GetDistance(),
                           m_lastKmCalc);
}

void TF_Main::ShowKmCost()
{
    m_lastKmCalc.Year = uint16_t(GetYear());
    m_lastKmCalc.Kind = GetVehicleKind();
    m_lastKmCalc.ScaleRow = KmScaleRowIndex(m_lastKmCalc.Kind, KmPowerIndex());
    m_lastKmCalc.Distance = GetDistance();
    m_lastKmCalc.Amount = ComputeKmCost();
    m_kmAmount.Show(KmAmountText(m_lastKmCalc.Amount));
    CarryVehicleCost(tcKmCost);
}

void TF_Main::ClearResult()
{
    m_kmAmount.Clear();
}

void TF_Main::ApplyKmCalcRule()
{
    // A negative distance cannot give an allowance: only a positive one can be computed.
    B_Calc->setEnabled(GetDistance() > 0);
}

void TF_Main::UpdateTypeList(int year)
{
    const int old = E_Type->currentIndex();
    E_Type->clear();
    E_Type->addItems(VehicleKindCaptions(year));
    // An electric kind falls back on the thermal kind of the same vehicle.
    E_Type->setCurrentIndex(old < E_Type->count() ? old : old - 3);
    m_typeListYear = year;
}

void TF_Main::UpdatePowerList()
{
    const TVehicleKind kind = GetVehicleKind();
    const int old = E_Power->currentIndex();
    m_kmPowerWork = PowerCaptions(kind);
    const bool hasPower = !m_kmPowerWork.isEmpty();
    E_Power->setVisible(hasPower);
    L_Power->setVisible(hasPower);
    if (hasPower) {
        L_Power->setEnabled(true);
        SetLabelText(L_Power, PowerLabelCaption(kind));
        LabelFor(E_Power, L_Power);
    }
    I_Electric->setVisible(IsElectric(kind));
    I_Thermic->setVisible(!IsElectric(kind));
    E_Power->clear();
    if (hasPower) {
        E_Power->addItems(m_kmPowerWork);
        E_Power->setCurrentIndex(old >= 0 && old < E_Power->count() ? old : 0);
    }
}

void TF_Main::E_YearChange()
{
    BuildKmScale(m_kmScale, GetYear());
    ApplyKmCalcRule();
    const int year = GetYear();
    if (year != m_lastKmCalc.Year) {
        ClearResult();
        UpdateTypeList(year);
        UpdatePowerList();
    } else if (year != m_typeListYear) {
        // Picked back while the list kept the focus: the lists follow the year shown.
        UpdateTypeList(year);
        UpdatePowerList();
        if (GetVehicleKind() != m_lastKmCalc.Kind ||
            KmScaleRowIndex(GetVehicleKind(), KmPowerIndex()) != m_lastKmCalc.ScaleRow)
            ClearResult();
    }
}

void TF_Main::E_YearExit()
{
    m_lastKmCalc.Year = uint16_t(GetYear());
}

void TF_Main::E_TypeChange()
{
    ApplyKmCalcRule();
    if (GetVehicleKind() != m_lastKmCalc.Kind)
        ClearResult();
    UpdatePowerList();
}

void TF_Main::E_PowerChange()
{
    ApplyKmCalcRule();
    if (KmScaleRowIndex(GetVehicleKind(), KmPowerIndex()) != m_lastKmCalc.ScaleRow)
        ClearResult();
}
