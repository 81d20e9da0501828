// The sheet of the preview: the page its owner replays, framed while it has the keyboard, and
// its lines of text for screen readers.
#include "PreviewPage.h"

#include "ReadOnlyTextAccessible.h"

#include <QAccessible>
#include <QPainter>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int FocusFrameWidth = 2;

QAccessibleInterface *previewPageInterface(const QString &className, QObject *object)
{
    if (className == u"TPreviewPage"_s && object && object->isWidgetType()) {
        // A screen reader reads the sheet as a read-only document whose text is the report.
        auto *page = static_cast<TPreviewPage *>(object);
        return new TReadOnlyTextAccessible(page, QAccessible::Document,
                                           [page] { return page->Text(); });
    }
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
