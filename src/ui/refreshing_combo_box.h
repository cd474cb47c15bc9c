#pragma once

#include <QComboBox>

// A drop-down list that says when it is about to open, so its owner can fill it afresh (a port list
// that offers an adapter plugged in after the program started).
class CRefreshingComboBox : public QComboBox
{
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override
    {
        emit PopupAboutToShow();
        QComboBox::showPopup();
    }

signals:
    void PopupAboutToShow();
};
