#pragma once

#include <QColor>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

// A small bordered pop-up, like a tooltip, that shows one message just above a control. It is never
// activated and takes no input; its owner shows and hides it.
class CInfoWnd : public QWidget
{
    Q_OBJECT
public:
    static constexpr int GapY = 2;

    explicit CInfoWnd(const QColor& background);

    // Makes the window a pop-up owned by owner's window; owner's font measures and draws the text.
    void Create(QWidget* owner);
    bool IsCreated() const { return m_Owner != nullptr; }

    // Places the message above control and shows it without activating it. Does nothing when the
    // window is not created, is already showing, or no window of the program has the focus.
    void ShowMessageAt(const QWidget* control, const QString& message);
    void HideMessage();

    const QString& MessageText() const { return m_MessageText; }

    // The window's frame for a control whose top-left corner is at (controlLeft, controlTop) on the
    // screen and a text of the given measures.
    static QRect Placement(int controlLeft, int controlTop, int textWidth, int textHeight, int descent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QWidget> m_Owner;
    QRect m_TextRect;  // screen coordinates
    QString m_MessageText;
    QColor m_Background;
};
