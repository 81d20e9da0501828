// The sheet of the preview: the page its owner replays, framed while it has the keyboard, and
// its lines of text for screen readers.
#pragma once

#include <QColor>
#include <QStringList>
#include <QWidget>

#include <functional>

class TPreviewPage : public QWidget
{
    Q_OBJECT

public:
    // `paint` replays the page on the widget; `lines` gives the texts printed on it, in the
    // order they are read.
    TPreviewPage(QWidget *parent, std::function<void()> paint, std::function<QStringList()> lines);

    QStringList TextLines() const;
    // The whole text for screen readers: the lines, one after the other.
    QString Text() const;
    // Dark enough to stand out from both the white sheet and the silver around it.
    static QColor FocusFrameColor() { return QColor(0x1F, 0x5F, 0xAE); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::function<void()> m_paint;
    std::function<QStringList()> m_lines;
};
