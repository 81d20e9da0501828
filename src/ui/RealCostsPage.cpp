// The page "Frais réels ou 10 %": its fields, the carried vehicle amount, the comparison shown.
#include "RealCostsPage.h"

#include "Accessibility.h"
#include "Controls.h"
#include "MessageDialogs.h"
#include "NumberEdit.h"
#include "NumberEditRules.h"
#include "NumberText.h"
#include "Report.h"

#include <QPushButton>
#include <QTextEdit>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int LabelLeft = 12;
constexpr int LabelWidth = 234;
constexpr int FieldLeft = 250;
constexpr int FieldWidth = 90;
constexpr int UnitLeft = 346;
constexpr int RowHeight = 26;

// The place of the row-th field, counting from the page's first row.
TFieldPlace row(double rowNo)
{
    const int top = 36 + int(rowNo * RowHeight);
    return {LabelLeft, top + 3, LabelWidth, FieldLeft, top, FieldWidth};
}

QLabel *addNote(QWidget *page, const QString &name, double rowNo)
{
    auto *note = new QLabel(page);
    note->setObjectName(name);
    note->setFont(ArialFont(7.5, false, true));
    note->setStyleSheet(u"color: #B8C4D0;"_s);
    note->setGeometry(LabelLeft, 36 + int(rowNo * RowHeight), UnitLeft + 30 - LabelLeft, 14);
    return note;
}

QString html(const QString &text)
{
    return text.toHtmlEscaped();
}

} // namespace

TRealCostsPage::TRealCostsPage(QWidget *parent)
    : TPage(parent)
{
    setObjectName(u"TS_Frais_reels"_s);
}

void TRealCostsPage::CreateControls()
{
    AddPageTitle(this, u"L_RcTitle"_s, u"Frais réels ou déduction forfaitaire de 10 %"_s,
                 u"#3A8FED"_s);

    QStringList years;
    for (int year : RealCostsYears())
        years << QString::number(year);
    E_RcYear =
        AddYearList(this, u"L_RcYear"_s, u"E_RcYear"_s, row(0), years, u"Revenus de l'année"_s);
    const QString euro = u"€"_s;
    E_RcSalary = AddNumberField(this, u"Rc"_s, u"Salary"_s, u"Salaire net imposable de l'année"_s,
                                false, row(1), euro, UnitLeft);
    E_RcVehicle = AddNumberField(this, u"Rc"_s, u"Vehicle"_s, u"Frais de véhicule"_s, false, row(2),
                                 euro, UnitLeft);
    L_RcVehicleOrigin = addNote(this, u"L_RcVehicleOrigin"_s, 2.9);
    E_RcMeals = AddNumberField(this, u"Rc"_s, u"Meals"_s, u"Repas pris sur le lieu de travail"_s,
                               true, row(3.6), u"repas"_s, UnitLeft);
    E_RcMealPrice = AddNumberField(this, u"Rc"_s, u"MealPrice"_s,
                                   u"Prix moyen d'un repas (avec justificatifs)"_s, false, row(4.6),
                                   euro, UnitLeft);
    E_RcMealVoucher = AddNumberField(this, u"Rc"_s, u"MealVoucher"_s,
                                     u"Part de l'employeur par titre-restaurant"_s, false, row(5.6),
                                     euro, UnitLeft);
    E_RcHomeDays = AddNumberField(this, u"Rc"_s, u"HomeDays"_s, u"Jours de télétravail (forfait)"_s,
                                  true, row(6.6), u"jours"_s, UnitLeft);
    E_RcHomeActual =
        AddNumberField(this, u"Rc"_s, u"HomeActual"_s, u"ou frais réels de télétravail"_s, false,
                       row(7.6), euro, UnitLeft);
    L_RcHomeNote = addNote(this, u"L_RcHomeNote"_s, 8.5);
    E_RcOther =
        AddNumberField(this, u"Rc"_s, u"Other"_s, u"Autres frais (formation, documentation…)"_s,
                       false, row(9.2), euro, UnitLeft);
    E_RcAllowances =
        AddNumberField(this, u"Rc"_s, u"Allowances"_s, u"Allocations de frais de l'employeur"_s,
                       false, row(10.2), euro, UnitLeft);
    const TFieldPlace rate = row(11.2);
    QLabel *rateLabel = AddLabel(this, u"L_RcRate"_s, u"Taux marginal d'imposition"_s,
                                 rate.LabelLeft, rate.LabelTop);
    E_RcRate = AddList(this, u"E_RcRate"_s, rate.Left, rate.Top, FieldWidth, rateLabel);
    // Where they matter, the fields say more to screen readers than their captions.
    E_RcVehicle->setAccessibleDescription(
        u"Le montant calculé sur la page du barème kilométrique ou du barème carburant pour la "
        u"même année, ou un montant saisi"_s);
    E_RcMealPrice->setAccessibleDescription(
        u"Vide sans justificatif : chaque repas compte alors pour la valeur d'un repas pris au "
        u"foyer"_s);
    E_RcAllowances->setAccessibleDescription(
        u"Indemnités et remboursements de frais versés par l'employeur : ajoutés au salaire "
        u"avec les frais réels"_s);
    E_RcRate->setAccessibleDescription(u"Facultatif : donne une estimation de l'impôt évité"_s);

    B_RcCalc = AddCalcButton(this, u"B_RcCalc"_s, 120, 356);
    m_amount =
        TAmountBox(this, u"Rc"_s, u"Total de vos frais réels :"_s,
                   u"Le total de vos frais réels s'élève à :"_s, QRect(12, 396, 364, 17), 110, 418);

    E_RcWorking = new TReadOnlyText(this);
    E_RcWorking->setObjectName(u"E_RcWorking"_s);
    E_RcWorking->setAccessibleName(u"Résultat de la comparaison"_s);
    E_RcWorking->setGeometry(384, 36, 296, 412);

    QWidget *order[] = {E_RcYear,          E_RcSalary,      E_RcVehicle,  E_RcMeals,
                        E_RcMealPrice,     E_RcMealVoucher, E_RcHomeDays, E_RcHomeActual,
                        E_RcOther,         E_RcAllowances,  E_RcRate,     B_RcCalc,
                        m_amount.Amount(), E_RcWorking};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    connect(E_RcYear, &QComboBox::activated, this, &TRealCostsPage::E_RcYearChange);
    connect(E_RcRate, &QComboBox::activated, this, &TRealCostsPage::ClearRealCosts);
    for (TNumberEdit *edit : {E_RcSalary, E_RcVehicle, E_RcMeals, E_RcMealPrice, E_RcMealVoucher,
                              E_RcHomeDays, E_RcHomeActual, E_RcOther, E_RcAllowances}) {
        connect(edit, &QLineEdit::textChanged, this, [this, edit] {
            if (m_filling)
                return;
            if (edit->hasFocus())
                SanitizeNumberEdit(edit);
            FieldChanged(edit);
        });
        if (edit->kind() == TNumberEdit::TKind::DayCount) {
            connect(edit, &TNumberEdit::entered, this, [edit] { AnEditEnter(edit); });
        } else {
            // The number merely written out again on leaving keeps the comparison shown.
            connect(edit, &TNumberEdit::exited, this, [this, edit] {
                const long double before = TextToNumber(StripThousandSeparators(edit->text()));
                m_filling = true;
                AnEditExit(edit);
                m_filling = false;
                if (TextToNumber(StripThousandSeparators(edit->text())) != before)
                    FieldChanged(edit);
                else if (edit == E_RcVehicle)
                    E_RcVehicleEdited(); // a carried amount is shown as it was carried
            });
        }
    }
    connect(B_RcCalc, &QPushButton::clicked, this, &TRealCostsPage::ShowRealCosts);

    E_RcYear->setCurrentIndex(0);
    E_RcYearChange();
    ApplyRealCostsRule();
}

int TRealCostsPage::GetYear()
{
    if (E_RcYear->currentIndex() < 0 && E_RcYear->count() > 0)
        E_RcYear->setCurrentIndex(0);
    return E_RcYear->currentText().toInt();
}

bool TRealCostsPage::HasSalary() const
{
    return !E_RcSalary->text().trimmed().isEmpty();
}

void TRealCostsPage::ApplyRealCostsRule()
{
    B_RcCalc->setEnabled(HasSalary());
}

void TRealCostsPage::E_RcYearChange()
{
    const int year = GetYear();
    const TRealCostsSet *set = FindRealCostsSet(year);
    // The marginal rates and the home-working flat amount are those of the year.
    const QString chosen = E_RcRate->currentText();
    E_RcRate->clear();
    E_RcRate->addItem(u"Non indiqué"_s);
    for (long double rate : set->MarginalRates) {
        if (rate >= 0)
            E_RcRate->addItem(NumberToShortText(rate) + QChar(0x00A0) + u'%');
    }
    E_RcRate->setCurrentIndex(std::max(0, E_RcRate->findText(chosen)));
    const bool flat = HasHomeWorkFlat(*set);
    E_RcHomeDays->setEnabled(flat);
    L_RcHomeNote->setText(flat
                              ? u"Forfait de %1 par jour, %2 par an au plus"_s.arg(
                                    CentsText(set->HomeWorkPerDay), CentsText(set->HomeWorkPerYear))
                              : QString::fromUtf16(set->HomeWorkReference));
    E_RcHomeDays->setAccessibleDescription(L_RcHomeNote->text());
    if (!flat && !E_RcHomeDays->text().isEmpty()) {
        m_filling = true;
        E_RcHomeDays->clear();
        m_filling = false;
    }
    ShowCarriedVehicle();
    ClearRealCosts();
}

void TRealCostsPage::CarryVehicleCost(int year, long double amount, const QString &origin)
{
    m_carried[year] = {RoundCents(amount), origin};
    if (year == GetYear()) {
        m_vehicleTyped = false;
        ShowCarriedVehicle();
        ClearRealCosts();
    }
}

void TRealCostsPage::ShowCarriedVehicle()
{
    if (m_vehicleTyped)
        return;
    const auto carried = m_carried.constFind(GetYear());
    m_filling = true;
    if (carried == m_carried.constEnd()) {
        E_RcVehicle->clear();
        L_RcVehicleOrigin->clear();
    } else {
        E_RcVehicle->setText(NumberToText(carried->Amount, 2));
        L_RcVehicleOrigin->setText(carried->Origin);
    }
    m_filling = false;
    E_RcVehicle->setAccessibleDescription(L_RcVehicleOrigin->text().isEmpty()
                                              ? u"Aucun montant calculé pour cette année"_s
                                              : L_RcVehicleOrigin->text());
}

void TRealCostsPage::FieldChanged(TNumberEdit *edit)
{
    if (edit == E_RcVehicle)
        E_RcVehicleEdited();
    ApplyRealCostsRule();
    ClearRealCosts();
}

void TRealCostsPage::E_RcVehicleEdited()
{
    // The carried amount merely rewritten (as on leaving the field) keeps its origin.
    const auto carried = m_carried.constFind(GetYear());
    m_vehicleTyped = carried == m_carried.constEnd() ||
                     TextToNumber(StripThousandSeparators(E_RcVehicle->text())) != carried->Amount;
    if (!m_vehicleTyped) {
        ShowCarriedVehicle();
        return;
    }
    L_RcVehicleOrigin->setText(E_RcVehicle->text().isEmpty() ? QString() : u"montant saisi"_s);
    E_RcVehicle->setAccessibleDescription(L_RcVehicleOrigin->text());
}

void TRealCostsPage::ClearRealCosts()
{
    m_amount.Clear();
    E_RcWorking->clear();
}

bool TRealCostsPage::ReadInput(TRealCostsInput &input, const TRealCostsSet &set, QString &error)
{
    input = {};
    // Each field as its label names it; an empty field is 0.
    const std::pair<TNumberEdit *, long double *> fields[] = {
        {E_RcSalary, &input.Salary},
        {E_RcVehicle, &input.Vehicle},
        {E_RcMeals, &input.Meals},
        {E_RcMealPrice, &input.MealPrice},
        {E_RcMealVoucher, &input.MealVoucher},
        {E_RcHomeDays, &input.HomeWorkDays},
        {E_RcHomeActual, &input.HomeWorkActual},
        {E_RcOther, &input.Other},
        {E_RcAllowances, &input.Allowances},
    };
    for (const auto &[edit, value] : fields) {
        const QString text = StripThousandSeparators(edit->text().trimmed());
        // A count refuses a typed comma, but a pasted fraction reaches it.
        const bool count = edit->kind() == TNumberEdit::TKind::DayCount;
        if (!text.isEmpty() &&
            (!TryTextToNumber(text, *value) || (count && *value != std::floor(*value)))) {
            error = u"Nombre illisible pour « %1 » : « %2 »%3"_s.arg(
                edit->accessibleName(), edit->text(),
                count ? u" (un nombre entier est attendu)"_s : QString());
            return false;
        }
    }
    input.MealReceipts = !E_RcMealPrice->text().trimmed().isEmpty();
    input.HomeWorkFlat = input.HomeWorkActual == 0 && E_RcHomeActual->text().trimmed().isEmpty();
    if (!input.HomeWorkFlat && input.HomeWorkDays > 0) {
        error = u"Donnez les jours de télétravail ou ses frais réels, pas les deux"_s;
        return false;
    }
    input.VehicleOrigin = m_vehicleTyped ? QString() : L_RcVehicleOrigin->text();
    input.MarginalRate = E_RcRate->currentIndex() > 0
                             ? TextToNumber(E_RcRate->currentText().section(QChar(0x00A0), 0, 0))
                             : -1;
    error = CheckRealCostsInput(input, GetYear(), set);
    return error.isEmpty();
}

bool TRealCostsPage::ShowRealCosts()
{
    // The year's parameters, found once for the whole calculation.
    const int year = GetYear();
    const TRealCostsSet &set = *FindPublishedYear(year).RealCosts;
    TRealCostsInput input;
    QString error;
    ClearRealCosts();
    if (!ReadInput(input, set, error)) {
        ShowWarningBeep(error);
        return false;
    }
    m_lastInput = input;
    m_lastYear = year;
    m_lastResult = ComputeRealCosts(input, set);

    const TRealCostsLine declaration = RealCostsDeclaration(m_lastResult);
    QString text = u"<p><b>"_s + html(RealCostsVerdict(m_lastResult)) + u"</b></p><p><b>"_s +
                   html(declaration.Label) + u" : "_s + html(declaration.Text) + u"</b></p>"_s;
    if (m_lastResult.MealBelowHome) {
        text += u"<p>Le prix moyen d'un repas est inférieur à la valeur d'un repas pris au foyer "
                u"(%1) : les repas comptent 0.</p>"_s.arg(html(CentsText(set.HomeMealValue)));
    }
    for (const TRealCostsLine &line : RealCostsWorking(input, m_lastResult, set))
        text += u"<p>"_s + html(line.Label) + u" : "_s + html(line.Text) + u"</p>"_s;
    text += u"<p><i>Paramètres de l'année</i></p>"_s;
    for (const TRealCostsLine &line : RealCostsParameters(year, set))
        text += u"<p><i>"_s + html(line.Label) + u" : "_s + html(line.Text) + u"</i></p>"_s;
    E_RcWorking->setHtml(text);
    m_amount.Show(NumberToText(m_lastResult.Declared, 0));
    // The verdict is what the user pressed "Calculer" for: screen readers say it too.
    Announce(this, RealCostsVerdict(m_lastResult));
    return true;
}

TReport TRealCostsPage::Report() const
{
    return MakeRealCostsReport(m_lastYear, m_lastInput, m_lastResult,
                               *FindRealCostsSet(m_lastYear));
}
