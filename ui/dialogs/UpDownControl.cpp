#include "ui/dialogs/UpDownControl.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include "app/front/DialogNumbers.h"
#include "ui/dialogs/DialogControls.h"

namespace tessaro {

namespace {

constexpr int kArrowsWidthPx = 16;

}  // namespace

UpDownControl::UpDownControl(QWidget* parent, QLineEdit* buddy, const QRect& editRect, int id)
    : QWidget(parent), buddy_(buddy) {
  setObjectName(ControlName(id));
  const int arrowsWidth = editRect.width() > 2 * kArrowsWidthPx ? kArrowsWidthPx : 0;
  buddy_->setGeometry(editRect.x(), editRect.y(), editRect.width() - arrowsWidth,
                      editRect.height());
  setGeometry(editRect.right() + 1 - arrowsWidth, editRect.y(), arrowsWidth, editRect.height());

  const int half = editRect.height() / 2;
  up_ = new QToolButton(this);
  up_->setObjectName(QStringLiteral("up"));
  up_->setArrowType(Qt::UpArrow);
  up_->setGeometry(0, 0, arrowsWidth, half);
  down_ = new QToolButton(this);
  down_->setObjectName(QStringLiteral("down"));
  down_->setArrowType(Qt::DownArrow);
  down_->setGeometry(0, half, arrowsWidth, editRect.height() - half);
  for (QToolButton* arrow : {up_, down_}) {
    arrow->setAutoRepeat(true);
    arrow->setFocusPolicy(Qt::NoFocus);
  }
  QObject::connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
  QObject::connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
  buddy_->installEventFilter(this);
}

void UpDownControl::SetRange(int low, int high) {
  low_ = low;
  high_ = high;
}

void UpDownControl::SetPosition(int value) {
  position_ = value;
  buddy_->setText(QString::fromStdString(NumberText(value)));
}

void UpDownControl::Step(int delta) {
  const std::string text = buddy_->text().toStdString();
  SetPosition(StepUpDown(text, position_, delta, low_, high_));
}

bool UpDownControl::eventFilter(QObject* watched, QEvent* event) {
  if (watched == buddy_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      Step(key == Qt::Key_Up ? 1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tessaro
