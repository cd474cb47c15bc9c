#pragma once

#include <QLabel>

// A one-line label for text that comes from the equipment: always plain text, cut with "..." when it
// does not fit, and its accessible name is the full text, so a screen reader hears each change.
class CElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit CElidedLabel(QWidget* parent = nullptr);

    // Shows the text and gives it to assistive technology.
    void SetShownText(const QString& text);

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// For any label whose text changes: sets the text and lets the accessible name follow it.
void ShowLabelText(QLabel* label, const QString& text);
