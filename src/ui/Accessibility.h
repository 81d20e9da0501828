// What a screen reader is told of the program's own controls: links, amounts and groups.
#pragma once

#include <QListWidget>
#include <QString>
#include <QWidget>

class QLabel;

// Describes the program's own kinds of controls to screen readers; once, before any window.
void InstallAccessibility();

// Shows `amount` (empty: none) in `result`, names it after `spokenCaption` ("Le montant de vos
// frais … s'élève à :") and, when a new amount appears, has screen readers say it, as a live
// region of a web page would.
void ShowAmount(QLabel *result, const QString &amount, const QString &spokenCaption);

// A box around controls that belong together (the taxpayer's status), named for screen readers;
// it draws nothing.
class TControlGroup : public QWidget
{
    Q_OBJECT

public:
    TControlGroup(const QString &name, QWidget *parent);
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
// paragraphs as whole sentences, not the rows.
class TParagraphList : public QListWidget
{
    Q_OBJECT

public:
    using QListWidget::QListWidget;
    // The paragraphs, one per line, their rows joined.
    QString Paragraphs() const;
};
