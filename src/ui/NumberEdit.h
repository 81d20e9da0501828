// The numeric entry fields: every typed character passes the field's filter first.
#pragma once

#include <QLineEdit>

class QMenu;

class TNumberEdit : public QLineEdit
{
    Q_OBJECT

public:
    enum class TKind
    {
        Decimal,
        DayCount
    };

    TNumberEdit(TKind kind, QWidget *parent);
    TKind kind() const { return m_kind; }
    // The field's context menu: the line edit's own, each entry naming a shortcut the field
    // accepts, or none (Ctrl with a letter is refused).
    QMenu *createContextMenu();

signals:
    // The focus came from another control of the window, or left for one.
    void entered();
    void exited();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString filtered(const QString &typed) const;

    TKind m_kind;
};
