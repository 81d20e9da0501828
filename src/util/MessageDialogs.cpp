// Every warning, error, question and notice of the program, in French.
#include "MessageDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>

using namespace Qt::Literals::StringLiterals;

namespace {

QString captionOf(TDialogKind kind)
{
    switch (kind) {
    case dkError:
        return u"Erreur"_s;
    case dkInformation:
        return u"Informations"_s;
    case dkWarning:
        break;
    }
    return u"Avertissement"_s;
}

QMessageBox::Icon iconOf(TDialogKind kind)
{
    switch (kind) {
    case dkError:
        return QMessageBox::Critical;
    case dkInformation:
        return QMessageBox::Information;
    case dkWarning:
        break;
    }
    return QMessageBox::Warning;
}

// Plain text shown as rich text with its line breaks and leading blanks kept.
QString bodyHtml(const QString &text)
{
    QString html = text.toHtmlEscaped();
    html.replace(u"\r\n"_s, u"\n"_s);
    html.replace(u'\r', u'\n');
    html.replace(u"\n"_s, u"<br>"_s);
    return u"<span style=\"white-space:pre-wrap\">"_s + html + u"</span>"_s;
}

// Sets the arrow pointer for the life of a dialog and puts the previous one back.
class TArrowPointer
{
public:
    TArrowPointer() { QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor)); }
    ~TArrowPointer() { QGuiApplication::restoreOverrideCursor(); }
    TArrowPointer(const TArrowPointer &) = delete;
    TArrowPointer &operator=(const TArrowPointer &) = delete;
};

class TKeyEater : public QObject
{
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        return type == QEvent::KeyPress || type == QEvent::KeyRelease ||
               type == QEvent::ShortcutOverride;
    }
};

// The room a text's label asks for in a box: `usual` pixels, or, for a text whose longest line
// is wider than that, more room than the box gives a line before it wraps its texts, so that
// the box wraps it (anywhere in a long word such as a web address) instead of cutting it.
QString labelRoom(const QString &name, const QString &text, const QFont &font, int usual)
{
    int widest = 0;
    const QFontMetrics metrics(font);
    for (const QString &line : text.split(QRegularExpression(u"\r\n|\r|\n"_s)))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return u"QLabel#%1 { min-width: %2px; }"_s.arg(name).arg(widest > usual ? 520 : usual);
}

// Texts the user may want to copy (an address, a file name): selectable.
constexpr Qt::TextInteractionFlags SelectableText =
    Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard;

QWidget *dialogParent()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

} // namespace

std::optional<TDialogButton> ShowMessageDialog(const QString &title, const QString &text,
                                               TDialogKind kind, const TDialogButtons &buttons)
{
    TArrowPointer arrow;
    QMessageBox box(dialogParent());
    box.setObjectName(QString::fromUtf16(MessageDialogObjectName));
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(captionOf(kind));
    box.setIcon(iconOf(kind));
    box.setTextFormat(Qt::RichText);
    box.setText(u"<span style=\"font-size:large; font-weight:bold\">"_s + title.toHtmlEscaped() +
                u"</span>"_s);
    box.setInformativeText(bodyHtml(text));
    // Room for a file name or a sentence on one line, instead of a narrow column.
    box.setStyleSheet(labelRoom(u"qt_msgbox_informativelabel"_s, text, box.font(), 340));
    box.setTextInteractionFlags(SelectableText);
    QList<std::pair<QAbstractButton *, TDialogButton>> made;
    // One role for all, so that the buttons keep the order they are added in.
    for (TDialogButton button : {dbYes, dbNo, dbOk}) {
        if (!buttons.contains(button))
            continue;
        QPushButton *push = nullptr;
        if (button == dbYes)
            push = box.addButton(u"&Oui"_s, QMessageBox::ActionRole);
        else if (button == dbNo)
            push = box.addButton(u"&Non"_s, QMessageBox::ActionRole);
        else
            push = box.addButton(u"OK"_s, QMessageBox::ActionRole);
        made.append({push, button});
    }
    const TDialogButton defaultButton = buttons.contains(dbOk) ? dbOk : dbYes;
    for (const auto &[push, button] : made) {
        if (button == defaultButton)
            box.setDefaultButton(qobject_cast<QPushButton *>(push));
    }
    // Closing the box without a button answers nothing, unless it offers only one button.
    if (made.size() == 1)
        box.setEscapeButton(made.first().first);
    box.exec();
    for (const auto &[push, button] : made) {
        if (box.clickedButton() == push)
            return button;
    }
    return std::nullopt;
}

bool ShowWarning(const QString &title, const QString &text)
{
    if (text.isEmpty())
        return false;
    DiscardKeyboardInput();
    ShowMessageDialog(title.isEmpty() ? u"Avertissement"_s : title, text, dkWarning, {dbOk});
    return true;
}

bool ShowWarningBeep(const QString &text)
{
    if (text.isEmpty())
        return false;
    TArrowPointer arrow;
    QApplication::beep();
    QMessageBox box(QMessageBox::Warning, u"Avertissement"_s, QString(), QMessageBox::NoButton);
    box.setObjectName(QString::fromUtf16(MessageDialogObjectName));
    box.setWindowModality(Qt::ApplicationModal);
    box.setTextFormat(Qt::RichText);
    box.setText(bodyHtml(text));
    box.setStyleSheet(labelRoom(u"qt_msgbox_label"_s, text, box.font(), 300));
    box.setTextInteractionFlags(SelectableText);
    QPushButton *ok = box.addButton(u"OK"_s, QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return true;
}

void DiscardKeyboardInput()
{
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease, QEvent::ShortcutOverride})
        QCoreApplication::removePostedEvents(nullptr, type);
    // Keys the window system has delivered but that are not handled yet are eaten too.
    TKeyEater eater;
    qApp->installEventFilter(&eater);
    const auto remove = qScopeGuard([&eater] { qApp->removeEventFilter(&eater); });
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
}
