// Small helpers that place the controls of a window at their pixel positions.
#pragma once

#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QString>

#include "Accessibility.h"
#include "NumberEdit.h"

// Fonts are given as family and point size; "Arial" maps to a metric-compatible face.
inline QFont MakeFont(const QString &family, qreal points, bool bold = false, bool italic = false,
                      bool underline = false)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    return font;
}

inline QFont ArialFont(qreal points, bool bold = false, bool italic = false, bool underline = false)
{
    return MakeFont(QStringLiteral("Arial"), points, bold, italic, underline);
}

// A label sized to its text at left/top.
inline QLabel *AddLabel(QWidget *parent, const QString &name, const QString &text, int left,
                        int top)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(left, top);
    label->adjustSize();
    return label;
}

// Names `control` for screen readers after its label, whose blanks around its text (some
// captions end with one) are not read.
inline void LabelFor(QWidget *control, QLabel *label)
{
    label->setBuddy(control);
    const QString name = label->text().trimmed();
    if (name != label->text())
        label->setAccessibleName(name);
    control->setAccessibleName(name);
}

// A pick-only drop-down list at left/top, named for screen readers after its label.
inline QComboBox *AddList(QWidget *parent, const QString &name, int left, int top, int width,
                          QLabel *label)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(false);
    list->setGeometry(left, top, width, 21);
    FollowChosenEntry(list);
    if (label)
        LabelFor(list, label);
    return list;
}

// A numeric entry field at left/top, named for screen readers after its label.
inline TNumberEdit *AddNumberEdit(QWidget *parent, const QString &name, TNumberEdit::TKind kind,
                                  int left, int top, int width, QLabel *label)
{
    auto *edit = new TNumberEdit(kind, parent);
    edit->setObjectName(name);
    edit->setGeometry(left, top, width, 21);
    LabelFor(edit, label);
    return edit;
}

// Follows a label's text after a change of its caption.
inline void SetLabelText(QLabel *label, const QString &text)
{
    label->setText(text);
    label->adjustSize();
}

// Keeps a label across the whole width of its parent, on its top or bottom edge.
class TEdgeDock : public QObject
{
public:
    TEdgeDock(QWidget *widget, int height, bool top)
        : QObject(widget)
        , m_widget(widget)
        , m_height(height)
        , m_top(top)
    {
        widget->parentWidget()->installEventFilter(this);
        place();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_widget->parentWidget() && event->type() == QEvent::Resize)
            place();
        return false;
    }

private:
    void place()
    {
        const QWidget *parent = m_widget->parentWidget();
        m_widget->setGeometry(0, m_top ? 0 : parent->height() - m_height, parent->width(),
                              m_height);
    }

    QWidget *m_widget;
    int m_height;
    bool m_top;
};
