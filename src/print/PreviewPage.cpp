// The sheet of the preview: the page its owner replays, framed while it has the keyboard, and
// its lines of text for screen readers.
#include "PreviewPage.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int FocusFrameWidth = 2;

// A screen reader reads the sheet as a read-only document whose text is the report.
class TPreviewPageAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit TPreviewPageAccessible(TPreviewPage *page)
        : QAccessibleWidget(page, QAccessible::Document)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        return state;
    }

    QString text(int startOffset, int endOffset) const override
    {
        return content().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(content().size()); }

    // Nothing can be selected or typed on the sheet; the reading point stays at its start.
    void selection(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = offset;
        *endOffset = offset;
        return {};
    }

private:
    QString content() const { return static_cast<TPreviewPage *>(widget())->Text(); }
};

QAccessibleInterface *previewPageInterface(const QString &className, QObject *object)
{
    if (className == u"TPreviewPage"_s && object && object->isWidgetType())
        return new TPreviewPageAccessible(static_cast<TPreviewPage *>(object));
    return nullptr;
}

} // namespace

TPreviewPage::TPreviewPage(QWidget *parent, std::function<void()> paint,
                           std::function<QStringList()> lines)
    : QWidget(parent)
    , m_paint(std::move(paint))
    , m_lines(std::move(lines))
{
    static const bool installed = [] {
        QAccessible::installFactory(previewPageInterface);
        return true;
    }();
    (void)installed;
    // The sheet takes the keyboard, so that a screen reader reads it and the arrow keys and
    // Page Up and Down scroll it (the scroll box around it gets the keys it leaves).
    setFocusPolicy(Qt::StrongFocus);
}

QStringList TPreviewPage::TextLines() const
{
    return m_lines ? m_lines() : QStringList();
}

QString TPreviewPage::Text() const
{
    return TextLines().join(u'\n');
}

void TPreviewPage::paintEvent(QPaintEvent *)
{
    if (m_paint)
        m_paint();
    if (!hasFocus())
        return;
    QPainter painter(this);
    const int half = FocusFrameWidth / 2;
    painter.setPen(
        QPen(FocusFrameColor(), FocusFrameWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(half, half, -half, -half));
}
