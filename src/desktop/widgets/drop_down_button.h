#pragma once

#include <QToolButton>

namespace leafwright {

// A toolbar button with a drop-down arrow. A click on the body sends
// clicked(); a press on the arrow sends dropDownRequested() instead of
// opening the menu itself, so that the window decides what drops down.
class DropDownButton : public QToolButton {
    Q_OBJECT

  public:
    explicit DropDownButton(QWidget* parent = nullptr);

    // The rectangle of the arrow, in the button's coordinates.
    QRect arrowRect() const;

  signals:
    void dropDownRequested();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace leafwright
