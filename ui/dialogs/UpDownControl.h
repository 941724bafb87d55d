#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace tessaro {

// The arrows attached to the right side of an edit box: they set the box's
// number within their range (no wrap) and answer the Up and Down keys typed
// in the box.  The box itself still takes any text.
class UpDownControl final : public QWidget {
 public:
  // Takes the right end of `editRect` (pixels) and narrows the edit to the
  // rest.
  UpDownControl(QWidget* parent, QLineEdit* buddy, const QRect& editRect, int id);

  void SetRange(int low, int high);
  // Writes the number into the box (and remembers it as the position).
  void SetPosition(int value);
  void Step(int delta);

  int Low() const { return low_; }
  int High() const { return high_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* buddy_;
  QToolButton* up_;
  QToolButton* down_;
  int low_ = 0;
  int high_ = 100;
  int position_ = 0;
};

}  // namespace tessaro
