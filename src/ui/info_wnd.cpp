#include "ui/info_wnd.h"

#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

CInfoWnd::CInfoWnd(const QColor& background)
    : QWidget(nullptr), m_Background(background)
{
}

void CInfoWnd::Create(QWidget* owner)
{
    m_Owner = owner;
    // Parented to the owner so it lives and dies with it; the tooltip flag keeps it off the task
    // bar and above its window, and it must never take the focus from the edit it talks about.
    setParent(owner ? owner->window() : nullptr,
              Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, m_Background);
    setPalette(pal);
    hide();
}

QRect CInfoWnd::Placement(int controlLeft, int controlTop, int textWidth, int textHeight, int descent)
{
    const int w = textWidth + 2;
    const int h = textHeight + descent + 2;
    const int left = controlLeft;
    const int top = controlTop - GapY - h;
    return QRect(left - 3, top - 1, w + 3, h);
}

void CInfoWnd::ShowMessageAt(const QWidget* control, const QString& message)
{
    if (!IsCreated() || isVisible() || !control)
        return;
    const QRect controlRect(control->mapToGlobal(QPoint(0, 0)), control->size());
    if (!QApplication::focusWidget())
        return;
    m_MessageText = QLatin1Char(' ') + message + QLatin1Char(' ');
    const QFontMetrics fm(m_Owner->font());
    const int textWidth = fm.horizontalAdvance(m_MessageText);
    const QRect frame = Placement(controlRect.left(), controlRect.top(), textWidth, fm.height(), fm.descent());
    m_TextRect = QRect(controlRect.left(), frame.top() + 1, textWidth + 2, frame.height());
    setFont(m_Owner->font());
    setGeometry(frame);
    show();
    raise();
    // The pop-up never takes the focus, so a screen reader only learns of it through an alert.
    setAccessibleName(message);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void CInfoWnd::HideMessage()
{
    if (IsCreated())
        hide();
}

void CInfoWnd::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), m_Background);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect textRect(mapFromGlobal(m_TextRect.topLeft()), m_TextRect.size());
    p.drawText(textRect, Qt::TextWordWrap, m_MessageText);
}
