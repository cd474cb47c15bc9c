#include "ui/elided_label.h"

#include <QPainter>

CElidedLabel::CElidedLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

void CElidedLabel::SetShownText(const QString& text)
{
    ShowLabelText(this, text);
}

QSize CElidedLabel::minimumSizeHint() const
{
    // Lets the layout shrink the label; the text is elided instead of widening the window.
    const QSize hint = QLabel::minimumSizeHint();
    return {qMin(hint.width(), fontMetrics().averageCharWidth() * 12), hint.height()};
}

void CElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(area, static_cast<int>(alignment()),
                     fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
}

void ShowLabelText(QLabel* label, const QString& text)
{
    if (label->text() == text && label->accessibleName() == text)
        return;
    label->setText(text);
    label->setAccessibleName(text);
}
