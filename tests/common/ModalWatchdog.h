// A watchdog for the modal dialogs of a test, and a reader of message boxes as the user sees them.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <functional>

// While alive, looks at QApplication::activeModalWidget() every 20 ms.
//   expect(handler)  queues a handler for the next modal dialog that shows up; the handler gets
//                    the dialog, inspects it and answers it (click a button, reject(), close()).
//                    Handlers run from the event loop, outside the timer, so a handler may itself
//                    open a nested dialog that the watchdog then sees.
//   unexpected()     one line per dialog that showed up with no handler queued, or that its
//                    handler left open for more than a second; such a dialog is closed at once,
//                    so the test fails on the list instead of hanging. Check it is empty.
//   handled()        the number of dialogs given to handlers; pending() the handlers unused.
// A handler only goes to a dialog shown after the handler was queued, and each showing of a
// dialog gets one handler at most: when a nested dialog closes, the dialog under it comes
// back to the front while its own handler is still at work, and it must not take the handler
// of the next box. Queue the handler before the action that opens the dialog.
class TModalWatchdog : public QObject
{
public:
    using THandler = std::function<void(QWidget *dialog)>;

    explicit TModalWatchdog(QObject *parent = nullptr)
        : QObject(parent)
    {
        // Every window that shows, to know which dialogs came after which handlers.
        QCoreApplication::instance()->installEventFilter(this);
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, &TModalWatchdog::look);
        m_timer.start();
    }

    ~TModalWatchdog() override
    {
        if (QCoreApplication *application = QCoreApplication::instance())
            application->removeEventFilter(this);
    }

    void expect(THandler handler) { m_handlers.append({std::move(handler), m_shows}); }
    int handled() const { return m_handled; }
    qsizetype pending() const { return m_handlers.size(); }
    QStringList unexpected() const { return m_unexpected; }

    // One line naming a dialog: its class, object name, caption and (for a message box) texts.
    static QString describe(const QWidget *dialog)
    {
        QString line = QString::fromLatin1(dialog->metaObject()->className()) +
                       QStringLiteral(" '") + dialog->objectName() + QStringLiteral("' \u00AB") +
                       dialog->windowTitle() + QStringLiteral("\u00BB");
        if (const auto *box = qobject_cast<const QMessageBox *>(dialog))
            line +=
                QStringLiteral(": ") + box->text() + QStringLiteral(" / ") + box->informativeText();
        return line;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && !event->spontaneous() && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->isWindow()) {
            // A new showing: a dialog shown again is a new dialog for the handlers.
            auto *window = static_cast<QWidget *>(watched);
            m_shown.removeIf([window](const TShowing &showing) {
                return !showing.Window || showing.Window == window;
            });
            m_shown.append({window, ++m_shows});
        }
        return false;
    }

private:
    struct TPending
    {
        THandler Handler;
        int QueuedAt = 0; // the showings counted when it was queued
    };

    struct TShowing
    {
        QPointer<QWidget> Window;
        int Serial = 0;       // its rank among the showings seen
        bool Taken = false;   // given to a handler, or closed as unexpected
        bool Running = false; // its handler is at work
    };

    TShowing *showing(const QWidget *window)
    {
        for (TShowing &showing : m_shown) {
            if (showing.Window == window)
                return &showing;
        }
        return nullptr;
    }

    void look()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal != m_front) {
            m_front = modal;
            m_waited = 0;
        }
        if (!modal)
            return;
        TShowing *shown = showing(modal);
        if (!shown) {
            // Shown before the watchdog: no handler was meant for it.
            m_shown.append({modal, 0});
            shown = &m_shown.last();
        }
        if (shown->Taken) {
            // While its handler works (and opens nested dialogs) it may stay; after that,
            // leave it time to close.
            if (shown->Running) {
                m_waited = 0;
            } else if (++m_waited == 50) {
                m_unexpected.append(QStringLiteral("left open: ") + describe(modal));
                dismiss(modal);
            }
            return;
        }
        shown->Taken = true;
        // Handlers are queued in order: when the first came after the dialog, all did.
        if (m_handlers.isEmpty() || m_handlers.first().QueuedAt >= shown->Serial) {
            m_unexpected.append(QStringLiteral("unexpected: ") + describe(modal));
            dismiss(modal);
            return;
        }
        ++m_handled;
        THandler handler = m_handlers.takeFirst().Handler;
        QPointer<QWidget> dialog(modal);
        QMetaObject::invokeMethod(
            this,
            [this, handler, dialog] {
                if (!dialog)
                    return;
                setRunning(dialog, true);
                handler(dialog);
                if (dialog)
                    setRunning(dialog, false);
            },
            Qt::QueuedConnection);
    }

    void setRunning(const QWidget *dialog, bool running)
    {
        if (TShowing *shown = showing(dialog))
            shown->Running = running;
    }

    static void dismiss(QWidget *modal)
    {
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }

    QTimer m_timer;
    QList<TPending> m_handlers;
    QList<TShowing> m_shown;
    int m_shows = 0;
    QPointer<QWidget> m_front; // the modal dialog seen at the last look
    int m_waited = 0;
    int m_handled = 0;
    QStringList m_unexpected;
};

// The text of a label as it reads on screen: rich text rendered, line breaks as "\n", no-break
// spaces kept.
inline QString ShownLabelText(const QLabel *label)
{
    if (!label || label->text().isEmpty())
        return {};
    const Qt::TextFormat format = label->textFormat();
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(label->text())))
        return label->text();
    QTextDocument document;
    document.setHtml(label->text());
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

// A message box as the user sees it.
struct TShownMessage
{
    QString objectName;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;            // the main text (the heading when there is an informative text)
    QString informativeText; // the text under it, empty when there is none
    QStringList buttons;     // button captions from left to right
    QString defaultButton;
};

inline TShownMessage ReadMessageBox(QWidget *dialog)
{
    TShownMessage shown;
    auto *box = qobject_cast<QMessageBox *>(dialog);
    if (!box)
        return shown;
    shown.objectName = box->objectName();
    shown.caption = box->windowTitle();
    shown.icon = box->icon();
    shown.text = ShownLabelText(box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label")));
    const auto *informative =
        box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"));
    if (informative && !informative->isHidden())
        shown.informativeText = ShownLabelText(informative);
    QList<QAbstractButton *> buttons = box->buttons();
    buttons.removeIf([](const QAbstractButton *button) { return button->isHidden(); });
    std::stable_sort(buttons.begin(), buttons.end(),
                     [box](const QAbstractButton *a, const QAbstractButton *b) {
                         return a->mapTo(box, QPoint()).x() < b->mapTo(box, QPoint()).x();
                     });
    for (const QAbstractButton *button : buttons)
        shown.buttons.append(button->text());
    if (const QPushButton *button = box->defaultButton())
        shown.defaultButton = button->text();
    return shown;
}

// Clicks the button of a message box with that caption; false when there is none.
inline bool ClickMessageButton(QWidget *dialog, const QString &caption)
{
    auto *box = qobject_cast<QMessageBox *>(dialog);
    if (!box)
        return false;
    for (QAbstractButton *button : box->buttons()) {
        if (button->text() == caption) {
            button->click();
            return true;
        }
    }
    return false;
}
