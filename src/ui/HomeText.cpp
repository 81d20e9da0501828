// The home page read as a text by screen readers and the keyboard.
#include "HomeText.h"

#include "Accessibility.h"

#include <QAccessible>
#include <QFile>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

THomeText::THomeText(QWidget *parent)
    : QWidget(parent)
{
    InstallAccessibility();
    setFocusPolicy(Qt::TabFocus);
}

void THomeText::SetPage(const QString &title, const QStringList &lines)
{
    setAccessibleName(title);
    m_lines = lines;
    m_caret = 0;
}

int THomeText::lineStart(int offset) const
{
    return int(Text().lastIndexOf(u'\n', offset - 1)) + 1;
}

int THomeText::lineEnd(int offset) const
{
    const QString text = Text();
    const qsizetype end = text.indexOf(u'\n', offset);
    return int(end < 0 ? text.size() : end);
}

void THomeText::MoveCaret(int offset)
{
    const int caret = std::clamp(offset, 0, int(Text().size()));
    if (caret == m_caret)
        return;
    m_caret = caret;
    QAccessibleTextCursorEvent moved(this, m_caret);
    QAccessible::updateAccessibility(&moved);
}

void THomeText::keyPressEvent(QKeyEvent *event)
{
    const int length = int(Text().size());
    const bool control = event->modifiers() & Qt::ControlModifier;
    int caret = -1;
    switch (event->key()) {
    case Qt::Key_Down: {
        const int next = lineEnd(m_caret) + 1;
        caret = next <= length ? next : m_caret;
        break;
    }
    case Qt::Key_Up:
        caret = m_caret > 0 && lineStart(m_caret) > 0 ? lineStart(lineStart(m_caret) - 1) : 0;
        break;
    case Qt::Key_Left:
        caret = m_caret - 1;
        break;
    case Qt::Key_Right:
        caret = m_caret + 1;
        break;
    case Qt::Key_Home:
        caret = control ? 0 : lineStart(m_caret);
        break;
    case Qt::Key_End:
        caret = control ? length : lineEnd(m_caret);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (!m_framed) {
        m_framed = true;
        emit framed(true);
    }
    MoveCaret(caret);
}

void THomeText::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    // Framed when the keyboard brought the focus, as links are.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason) {
        m_framed = true;
        emit framed(true);
    }
}

void THomeText::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    if (m_framed && event->reason() != Qt::ActiveWindowFocusReason &&
        event->reason() != Qt::PopupFocusReason) {
        m_framed = false;
        emit framed(false);
    }
}

QStringList HomePageLines(const QString &file, QString *title)
{
    QFile page(file);
    if (!page.open(QIODevice::ReadOnly))
        return {};
    QTextDocument document;
    document.setHtml(QString::fromUtf8(page.readAll()));
    *title = document.metaInformation(QTextDocument::DocumentTitle);
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QString line = block.text().simplified();
        if (line.isEmpty())
            continue;
        const QTextList *list = block.textList();
        if (list && list->format().style() == QTextListFormat::ListDecimal)
            line = QString::number(list->itemNumber(block) + 1) + u". "_s + line;
        lines.append(line);
    }
    return lines;
}
