#include "ui/AboutBox.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "app/front/AboutTexts.h"

namespace tessaro {

namespace {

using Layout = AboutBoxLayout;

constexpr int Du(int units) {
  return DuToPixels(units);
}

}  // namespace

AboutBox::AboutBox(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QString::fromLatin1(Layout::kFrame.title));
  setModal(true);
  setFixedSize(Du(Layout::kFrame.width), Du(Layout::kFrame.height));

  auto* icon = new QLabel(this);
  icon->setPixmap(QPixmap(QStringLiteral(":/pictures/rf32.xpm")));
  icon->setGeometry(Du(Layout::kIcon.x), Du(Layout::kIcon.y), Du(Layout::kIcon.width),
                    Du(Layout::kIcon.height));

  auto* program = new QLabel(QString::fromLatin1(kAboutProgramLine), this);
  program->move(Du(Layout::kProgramLineX), Du(Layout::kProgramLineY));
  program->adjustSize();
  auto* copyright = new QLabel(QString::fromLatin1(kAboutCopyrightLine), this);
  copyright->move(Du(Layout::kCopyrightLineX), Du(Layout::kCopyrightLineY));
  copyright->adjustSize();

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("button1"));
  ok->setProperty("controlId", 1);
  ok->setGeometry(Du(Layout::kOk.x), Du(Layout::kOk.y), Du(Layout::kOk.width),
                  Du(Layout::kOk.height));
  ok->setDefault(true);
  ok->setFocus();
  connect(ok, &QPushButton::clicked, this, [this] { done(1); });

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.center() - rect().center());
  }
}

void AboutBox::Run(QWidget* owner) {
  AboutBox box(owner);
  box.exec();
}

void AboutBox::reject() {}

void AboutBox::closeEvent(QCloseEvent* event) {
  event->ignore();
}

}  // namespace tessaro
