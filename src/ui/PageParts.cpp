// What the calculator pages share: title, note, year list, numeric and distance fields,
// "Calculer" and the amount.
#include "PageParts.h"

#include "Accessibility.h"
#include "Controls.h"
#include "EntryFields.h"
#include "NumberEdit.h"
#include "NumberEditRules.h"
#include "NumberText.h"

#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

TPageTitle *AddPageTitle(QWidget *page, const QString &name, const QString &text,
                         const QString &color)
{
    auto *title = new TPageTitle(QColor(0xFF, 0xFF, 0xFF), page);
    title->setText(text);
    title->setObjectName(name);
    title->setAlignment(Qt::AlignCenter);
    title->setFont(ArialFont(12, true));
    if (!color.isEmpty())
        title->setStyleSheet(u"color: %1;"_s.arg(color));
    new TEdgeDock(title, 29, true);
    return title;
}

QLabel *AddPageNote(QWidget *page, const QString &name, const QString &text)
{
    auto *note = new QLabel(text, page);
    note->setObjectName(name);
    note->setFont(ArialFont(10, false, true));
    note->setAlignment(Qt::AlignCenter);
    new TEdgeDock(note, 24, false);
    return note;
}

QPushButton *AddCalcButton(QWidget *page, const QString &name, int left, int top)
{
    auto *button = new QPushButton(u"&Calculer"_s, page);
    button->setObjectName(name);
    button->setGeometry(left, top, 124, 32);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

namespace {

QLabel *addFieldLabel(QWidget *page, const QString &name, const QString &caption,
                      const TFieldPlace &place)
{
    QLabel *label = AddLabel(page, name, caption, place.LabelLeft, place.LabelTop);
    if (place.LabelWidth > 0)
        label->resize(place.LabelWidth, label->height());
    return label;
}

} // namespace

QComboBox *AddYearList(QWidget *page, const QString &labelName, const QString &listName,
                       const TFieldPlace &place, const QStringList &years, const QString &caption)
{
    QLabel *label = addFieldLabel(page, labelName, caption, place);
    label->setFont(ArialFont(10, false, true));
    if (place.LabelWidth == 0)
        label->adjustSize();
    QComboBox *list = AddList(page, listName, place.Left, place.Top, place.Width, label);
    list->addItems(years);
    list->setCurrentIndex(-1);
    return list;
}

TNumberEdit *AddNumberField(QWidget *page, const QString &prefix, const QString &base,
                            const QString &caption, bool count, const TFieldPlace &place,
                            const QString &unit, int unitLeft)
{
    QLabel *label = addFieldLabel(page, u"L_"_s + prefix + base, caption, place);
    TNumberEdit *edit =
        AddNumberEdit(page, u"E_"_s + prefix + base,
                      count ? TNumberEdit::TKind::DayCount : TNumberEdit::TKind::Decimal,
                      place.Left, place.Top, place.Width, label);
    // Each unit is its field's second label.
    if (!unit.isEmpty())
        AddLabel(page, u"L_"_s + prefix + u"Unit"_s + base, unit, unitLeft, place.LabelTop)
            ->setBuddy(edit);
    return edit;
}

void AnEditEnter(TNumberEdit *edit)
{
    edit->setText(CleanNumberText(edit->text()));
    edit->selectAll();
}

void AnEditExit(TNumberEdit *edit)
{
    if (edit->text().isEmpty())
        return;
    edit->setText(StripThousandSeparators(edit->text()));
    edit->setText(ReformatNumberText(edit->text()));
}

void SanitizeNumberEdit(TNumberEdit *edit)
{
    const int saved = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    const TEditText clean = SanitizeNumberText(edit->text(), saved);
    if (clean.Text != edit->text())
        edit->setText(clean.Text);
    edit->setCursorPosition(clean.Caret);
}

TAmountBox::TAmountBox(QWidget *page, const QString &prefix, const QString &caption,
                       const QString &spoken, const QRect &captionPlace, int boxLeft, int boxTop)
    : m_spoken(spoken)
{
    auto *title = new QLabel(caption, page);
    title->setObjectName(u"L_"_s + prefix + u"TitleResult"_s);
    title->setFont(ArialFont(9, true, false, true));
    title->setAlignment(Qt::AlignCenter);
    title->setGeometry(captionPlace);

    m_amount = new TAmountLabel(QColor(0x00, 0x00, 0x00), page);
    m_amount->setObjectName(u"L_"_s + prefix + u"Result"_s);
    m_amount->setFocusPolicy(Qt::TabFocus);
    m_amount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_amount->setFont(ArialFont(11, true));
    m_amount->setStyleSheet(u"background-color: #C0C0C0; color: #000000;"_s);
    m_amount->setGeometry(boxLeft, boxTop, 150, 15);
    Clear();
    QLabel *euro = AddLabel(page, u"L_"_s + prefix + u"Euro"_s, u"Euro"_s, boxLeft + 161, boxTop);
    euro->setFont(ArialFont(11));
    euro->adjustSize();
}

void TAmountBox::Show(const QString &amount) const
{
    ShowAmount(m_amount, amount, m_spoken);
}

void TAmountBox::Recalculate(const std::function<void()> &calculate) const
{
    const QString shown = m_amount->text();
    calculate();
    if (!shown.isEmpty() && m_amount->text() == shown)
        Announce(m_amount, m_amount->accessibleName() + u", inchangé"_s);
}

TDistanceFields::TDistanceFields(QWidget *page, const QString &prefix, const TPlace &place,
                                 THooks hooks)
    : QObject(page)
    , m_hooks(std::move(hooks))
{
    const auto field = [&](int row, const QString &base, const QString &caption, bool count,
                           const QString &unit) {
        return AddNumberField(page, prefix, base, caption, count,
                              {place.LabelLeft, place.LabelTops[row], place.LabelWidth, place.Left,
                               place.Tops[row], place.Width},
                              unit, place.UnitLeft);
    };
    ByDay = field(0, u"DistanceByDay"_s, u"Distance parcourue par jour pour travailler"_s, false,
                  u"Km"_s);
    Days = field(1, u"NumOfDays"_s, u"Nombre de jours travaillés dans l'année"_s, true, u"Jours"_s);
    Annual = field(2, u"Distance"_s, u"Kilométrage effectué dans l'année"_s, false, u"Km"_s);

    connect(ByDay, &QLineEdit::textChanged, this, &TDistanceFields::E_DistanceByDayChange);
    connect(ByDay, &TNumberEdit::exited, this, [this] { AnEditExit(ByDay); });
    connect(Days, &QLineEdit::textChanged, this, &TDistanceFields::E_NumOfDaysChange);
    connect(Days, &TNumberEdit::entered, this, [this] { AnEditEnter(Days); });
    connect(Days, &TNumberEdit::exited, this, &TDistanceFields::E_NumOfDaysExit);
    connect(Annual, &QLineEdit::textChanged, this, &TDistanceFields::E_DistanceChange);
}

long double TDistanceFields::Distance() const
{
    return DistanceFromText(Annual->text());
}

long double TDistanceFields::DistanceByDay() const
{
    return DistanceByDayFromText(ByDay->text());
}

int32_t TDistanceFields::NumOfDays() const
{
    return NumOfDaysFromText(Days->text());
}

long double TDistanceFields::DistanceFromDays() const
{
    return ::DistanceFromDays(NumOfDays(), DistanceByDay());
}

void TDistanceFields::E_DistanceByDayChange()
{
    if (!ByDay->hasFocus())
        return;
    SanitizeNumberEdit(ByDay);
    if (Distance() != m_hooks.LastDistance())
        m_hooks.ClearResult();
    if (NumOfDays() > 0)
        Annual->setText(DistanceText(DistanceFromDays()));
}

void TDistanceFields::E_NumOfDaysChange()
{
    if (!Days->hasFocus())
        return;
    daysChanged();
}

void TDistanceFields::daysChanged()
{
    if (Distance() != m_hooks.LastDistance())
        m_hooks.ClearResult();
    if (DistanceByDay() > 0)
        Annual->setText(DistanceText(DistanceFromDays()));
}

void TDistanceFields::E_NumOfDaysExit()
{
    const QString capped = CapDayCountText(Days->text(), m_hooks.Year());
    if (capped == Days->text())
        return;
    Days->setText(capped);
    // The annual distance follows the capped count, as if it had been typed.
    daysChanged();
}

void TDistanceFields::E_DistanceChange()
{
    m_hooks.ApplyRule();
    if (Distance() != m_hooks.LastDistance())
        m_hooks.ClearResult();
}
