// What the calculator pages share: their title and note, the year list, the numeric fields and
// the distance fields that fill the annual distance, "Calculer", and the amount shown.
#pragma once

#include "Accessibility.h"

#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QWidget;
class TNumberEdit;

// A page of the calculator, which screen readers name after its tab.
class TPage : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;
};

// The title across the top of a page: a heading, which takes the keyboard when Ctrl+Tab brings
// its page, so that screen readers say the page's name and its title.
class TPageTitle : public TFocusLabel
{
    Q_OBJECT

public:
    using TFocusLabel::TFocusLabel;
};

// The amount of a page in its grey box: a stop of the Tab key after "Calculer", so that it can
// be read again.
class TAmountLabel : public TFocusLabel
{
    Q_OBJECT

public:
    using TFocusLabel::TFocusLabel;
};

// The title across the top of a page, in its colour.
TPageTitle *AddPageTitle(QWidget *page, const QString &name, const QString &text,
                         const QString &color);
// The note across the bottom of a page.
QLabel *AddPageNote(QWidget *page, const QString &name, const QString &text);
// "Calculer", Alt+C.
QPushButton *AddCalcButton(QWidget *page, const QString &name, int left, int top);

// Where a label and its control stand: the label's left, top and width (0: its text's), and the
// control's left, top and width.
struct TFieldPlace
{
    int LabelLeft;
    int LabelTop;
    int LabelWidth;
    int Left;
    int Top;
    int Width;
};

// The income years of a page, newest first, with their italic caption; none chosen until the
// page starts.
QComboBox *
AddYearList(QWidget *page, const QString &labelName, const QString &listName,
            const TFieldPlace &place, const QStringList &years,
            const QString &caption = QStringLiteral("Prix de revient * pour les revenus"));
// A numeric field with its label and, when `unit` is not empty, its unit at `unitLeft`.
// Named "E_" + prefix + base, its label "L_" + prefix + base, its unit "L_" + prefix + "Unit" +
// base.
TNumberEdit *AddNumberField(QWidget *page, const QString &prefix, const QString &base,
                            const QString &caption, bool count, const TFieldPlace &place,
                            const QString &unit = {}, int unitLeft = 0);

// The numeric fields' own rules: the whole text selected on entering a count, the number
// tidied on leaving, and what cannot be part of a number dropped as it is typed.
void AnEditEnter(TNumberEdit *edit);
void AnEditExit(TNumberEdit *edit);
void SanitizeNumberEdit(TNumberEdit *edit);

// The amount of a page: its underlined caption, the amount in a grey box and "Euro" beside it.
// Screen readers hear the spoken caption with the amount, and each new amount as it appears.
class TAmountBox
{
public:
    TAmountBox() = default;
    TAmountBox(QWidget *page, const QString &prefix, const QString &caption, const QString &spoken,
               const QRect &captionPlace, int boxLeft, int boxTop);
    void Show(const QString &amount) const;
    void Clear() const { Show({}); }
    // "Calculer" pressed: `calculate` shows the amount, which screen readers hear again, said
    // unchanged, when it is the one already shown.
    void Recalculate(const std::function<void()> &calculate) const;
    QLabel *Amount() const { return m_amount; }

private:
    QLabel *m_amount = nullptr;
    QString m_spoken;
};

// The distance fields of a page: a distance per day and a number of days, whose product fills
// the annual distance; that one can also be typed. `prefix` goes into the controls' names
// ("E_" + prefix + "Distance").
class TDistanceFields : public QObject
{
public:
    struct TPlace
    {
        int LabelLeft;
        int LabelWidth; // 0: the label's text
        int Left;
        int Width;
        int UnitLeft;
        int LabelTops[3]; // the labels' and units' tops
        int Tops[3];      // the fields'
    };

    // What the page does when the distance changes: the year whose length caps the days, the
    // distance of its last calculation, how it clears its amount and how it checks "Calculer".
    struct THooks
    {
        std::function<int()> Year;
        std::function<long double()> LastDistance;
        std::function<void()> ClearResult;
        std::function<void()> ApplyRule;
    };

    TDistanceFields(QWidget *page, const QString &prefix, const TPlace &place, THooks hooks);

    long double Distance() const;
    long double DistanceByDay() const;
    int32_t NumOfDays() const;
    long double DistanceFromDays() const;

    // A distance per day or a number of days typed, the days left, the annual distance typed.
    void E_DistanceByDayChange();
    void E_NumOfDaysChange();
    void E_NumOfDaysExit();
    void E_DistanceChange();

    TNumberEdit *ByDay = nullptr;
    TNumberEdit *Days = nullptr;
    TNumberEdit *Annual = nullptr;

private:
    void daysChanged();

    THooks m_hooks;
};
