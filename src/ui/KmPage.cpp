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
    L_Title = new QLabel(u"Calcul du montant forfaitaire des frais kilométriques "_s, page);
    L_Title->setObjectName(u"L_Title"_s);
    L_Title->setAlignment(Qt::AlignCenter);
    L_Title->setFont(ArialFont(12, true));
    new TEdgeDock(L_Title, 29, true);

    QLabel *yearLabel =
        AddLabel(page, u"L_Year"_s, u"Prix de revient * pour les revenus"_s, 33, 42);
    yearLabel->setFont(ArialFont(10, false, true));
    yearLabel->adjustSize();
    E_Year = AddList(page, u"E_Year"_s, 319, 41, 146, yearLabel);
    E_Year->addItems(KmYearCaptions());
    E_Year->setCurrentIndex(-1);

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

    QLabel *byDayLabel = AddLabel(page, u"L_DistanceByDay"_s,
                                  u"Distance parcourue par jour pour travailler"_s, 32, 152);
    E_DistanceByDay = AddNumberEdit(page, u"E_DistanceByDay"_s, TNumberEdit::TKind::Decimal, 319,
                                    149, 201, byDayLabel);
    // Each unit is its field's second label.
    AddLabel(page, u"L_UnitDistanceByDay"_s, u"Km"_s, 540, 152)->setBuddy(E_DistanceByDay);

    QLabel *daysLabel =
        AddLabel(page, u"L_NumOfDays"_s, u"Nombre de jours travaillés dans l'année"_s, 32, 183);
    E_NumOfDays = AddNumberEdit(page, u"E_NumOfDays"_s, TNumberEdit::TKind::DayCount, 319, 180, 201,
                                daysLabel);
    AddLabel(page, u"L_UnitNumOfDays"_s, u"Jours"_s, 540, 183)->setBuddy(E_NumOfDays);

    QLabel *distanceLabel =
        AddLabel(page, u"L_Distance"_s, u"Kilométrage effectué dans l'année"_s, 32, 215);
    E_Distance = AddNumberEdit(page, u"E_Distance"_s, TNumberEdit::TKind::Decimal, 319, 211, 201,
                               distanceLabel);
    AddLabel(page, u"L_UnitDistance"_s, u"Km"_s, 540, 215)->setBuddy(E_Distance);

    B_Calc = new QPushButton(u"&Calculer"_s, page);
    B_Calc->setObjectName(u"B_Calc"_s);
    B_Calc->setGeometry(285, 275, 124, 32);
    B_Calc->setCursor(Qt::PointingHandCursor);

    QLabel *titleResult = new QLabel(u"Le montant de vos frais kilométriques s'élève à : "_s, page);
    titleResult->setObjectName(u"L_TitleResult"_s);
    titleResult->setFont(ArialFont(9, true, false, true));
    titleResult->setAlignment(Qt::AlignCenter);
    titleResult->setGeometry(41, 318, 612, 17);

    L_Result = new QLabel(page);
    L_Result->setObjectName(u"L_Result"_s);
    L_Result->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    L_Result->setFont(ArialFont(11, true));
    L_Result->setStyleSheet(u"background-color: #C0C0C0; color: #000000;"_s);
    L_Result->setGeometry(242, 347, 150, 15);
    ShowAmount(L_Result, QString(), KmAmountCaption);
    QLabel *euro = AddLabel(page, u"L_Euro"_s, u"Euro"_s, 403, 347);
    euro->setFont(ArialFont(11));
    euro->adjustSize();

    QLabel *info = new QLabel(
        u"* frais de parking, de garage, de péage et les intérêts de votre crédit exclus"_s, page);
    info->setObjectName(u"L_Info"_s);
    info->setFont(ArialFont(10, false, true));
    info->setAlignment(Qt::AlignCenter);
    new TEdgeDock(info, 24, false);

    QWidget::setTabOrder(E_Year, E_Type);
    QWidget::setTabOrder(E_Type, E_Power);
    QWidget::setTabOrder(E_Power, E_DistanceByDay);
    QWidget::setTabOrder(E_DistanceByDay, E_NumOfDays);
    QWidget::setTabOrder(E_NumOfDays, E_Distance);
    QWidget::setTabOrder(E_Distance, B_Calc);

    connect(E_Year, &QComboBox::activated, this, &TF_Main::E_YearChange);
    connect(E_Type, &QComboBox::activated, this, &TF_Main::E_TypeChange);
    connect(E_Power, &QComboBox::activated, this, &TF_Main::E_PowerChange);
    connect(E_DistanceByDay, &QLineEdit::textChanged, this, &TF_Main::E_DistanceByDayChange);
    connect(E_DistanceByDay, &TNumberEdit::exited, this, [this] { AnEditExit(E_DistanceByDay); });
    connect(E_NumOfDays, &QLineEdit::textChanged, this, &TF_Main::E_NumOfDaysChange);
    connect(E_NumOfDays, &TNumberEdit::entered, this, [this] { AnEditEnter(E_NumOfDays); });
    connect(E_NumOfDays, &TNumberEdit::exited, this, &TF_Main::E_NumOfDaysExit);
    connect(E_Distance, &QLineEdit::textChanged, this, &TF_Main::E_DistanceChange);
    connect(B_Calc, &QPushButton::clicked, this, &TF_Main::ShowKmCost);
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
    return DistanceFromText(E_Distance->text());
}

long double TF_Main::GetDistanceByDay() const
{
    return DistanceByDayFromText(E_DistanceByDay->text());
}

int32_t TF_Main::GetNumOfDays() const
{
    return NumOfDaysFromText(E_NumOfDays->text());
}

long double TF_Main::GetDistanceFromDays() const
{
    return DistanceFromDays(GetNumOfDays(), GetDistanceByDay());
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
    ShowAmount(L_Result, KmAmountText(m_lastKmCalc.Amount), KmAmountCaption);
}

void TF_Main::ClearResult()
{
    ShowAmount(L_Result, QString(), KmAmountCaption);
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
        E_Power->setAccessibleName(L_Power->text());
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

void TF_Main::E_DistanceByDayChange()
{
    if (!E_DistanceByDay->hasFocus())
        return;
    SanitizeNumberEdit(E_DistanceByDay);
    if (GetDistance() != m_lastKmCalc.Distance)
        ClearResult();
    if (GetNumOfDays() > 0)
        E_Distance->setText(DistanceText(GetDistanceFromDays()));
}

void TF_Main::E_NumOfDaysChange()
{
    if (!E_NumOfDays->hasFocus())
        return;
    KmDaysChanged();
}

void TF_Main::KmDaysChanged()
{
    if (GetDistance() != m_lastKmCalc.Distance)
        ClearResult();
    if (GetDistanceByDay() > 0)
        E_Distance->setText(DistanceText(GetDistanceFromDays()));
}

void TF_Main::E_NumOfDaysExit()
{
    const QString capped = CapDayCountText(E_NumOfDays->text(), GetYear());
    if (capped == E_NumOfDays->text())
        return;
    E_NumOfDays->setText(capped);
    // The annual distance follows the capped count, as if it had been typed.
    KmDaysChanged();
}

void TF_Main::E_DistanceChange()
{
    ApplyKmCalcRule();
    if (GetDistance() != m_lastKmCalc.Distance)
        ClearResult();
}

void TF_Main::AnEditEnter(TNumberEdit *edit)
{
    edit->setText(CleanNumberText(edit->text()));
    edit->selectAll();
}

void TF_Main::AnEditExit(TNumberEdit *edit)
{
    if (edit->text().isEmpty())
        return;
    edit->setText(StripThousandSeparators(edit->text()));
    edit->setText(ReformatNumberText(edit->text()));
}

void TF_Main::SanitizeNumberEdit(TNumberEdit *edit)
{
    const int saved = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    const TEditText clean = SanitizeNumberText(edit->text(), saved);
    if (clean.Text != edit->text())
        edit->setText(clean.Text);
    edit->setCursorPosition(clean.Caret);
}
