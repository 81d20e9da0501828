// What a screen reader is told of the program's own controls: links, amounts, lists, fields,
// pages and groups.
#pragma once

#include <QLabel>
#include <QList>
#include <QListWidget>
#include <QString>
#include <QTextEdit>
#include <QWidget>

#include <functional>

class QComboBox;

// Describes the program's own kinds of controls to screen readers; once, before any window.
void InstallAccessibility();

// Shows `amount` (empty: none) in `result`, names it after `spokenCaption` ("Le montant de vos
// frais … s'élève à :") and, when a new amount appears, has screen readers say it, as a live
// region of a web page would. The amount is spoken as one number, whatever separates its digits
// on screen.
void ShowAmount(QLabel *result, const QString &amount, const QString &spokenCaption);

// Says `message` in the window of `control`, as its announcer does.
void Announce(const QWidget *control, const QString &message);

// A pick-only list tells screen readers each entry it moves to while it is closed, as the
// arrow keys choose them.
void FollowChosenEntry(QComboBox *list);

// A box around controls that belong together (the taxpayer's status), named for screen readers;
// it draws nothing. Its members are labelled with its name, which screen readers say as the
// keyboard enters them.
class TControlGroup : public QWidget
{
    Q_OBJECT

public:
    TControlGroup(const QString &name, QWidget *parent);
    void LabelMembers(const QList<QWidget *> &members);
};

// Says a short message to screen readers without showing anything: a notification of its own.
class TAnnouncer : public QWidget
{
    Q_OBJECT

public:
    explicit TAnnouncer(QWidget *parent);
    void Announce(const QString &message);
};

// A list of text rows cut to its width, blank rows between paragraphs: screen readers get the
// paragraphs as whole sentences, and a line per row as the current row moves.
class TParagraphList : public QListWidget
{
    Q_OBJECT

public:
    explicit TParagraphList(QWidget *parent);
    // The paragraphs, one per line, their rows joined.
    QString Paragraphs() const;
    // Where each row that is not blank starts in the paragraphs.
    QList<int> RowStarts() const;
    // Where the current row starts; a place in the paragraphs becomes the current row.
    int Caret() const;
    void MoveCaret(int offset);

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    // The paragraphs and, for each row, where it starts in them (-1: a blank row).
    QString paragraphs(QList<int> *rowStarts) const;
};

// A rich text that can only be read, as the working of a comparison: screen readers follow its
// caret line by line as it is shown, numbers whole; Tab leaves it.
class TReadOnlyText : public QTextEdit
{
    Q_OBJECT

public:
    explicit TReadOnlyText(QWidget *parent);
};

// A label that takes the keyboard: framed in `frameColor` while it has it, as links are. Its text
// is given once it is made, so that screen readers meet it as the kind of label it is.
class TFocusLabel : public QLabel
{
    Q_OBJECT

public:
    TFocusLabel(const QColor &frameColor, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_frameColor;
};
