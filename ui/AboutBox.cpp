#include "ui/AboutBox.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "core/Version.h"

namespace tessaro {

namespace {

// Dialog units to pixels with the base units 8 x 16: x2 both ways.
constexpr int Du(int units) {
  return 2 * units;
}

}  // namespace

AboutBox::AboutBox(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("Tessaro"));
  setModal(true);
  setFixedSize(Du(192), Du(55));

  auto* icon = new QLabel(this);
  icon->setPixmap(QPixmap(QStringLiteral(":/pictures/rf32.xpm")));
  icon->setGeometry(Du(6), Du(9), 32, 32);

  auto* program = new QLabel(QStringLiteral("Tessaro (Ver %1)").arg(QLatin1String(kVersion)), this);
  program->move(Du(30), Du(7));
  program->adjustSize();
  auto* copyright = new QLabel(QString::fromLatin1(kCopyrightLine), this);
  copyright->move(Du(30), Du(19));
  copyright->adjustSize();

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("button1"));
  ok->setProperty("controlId", 1);
  ok->setGeometry(Du(74), Du(34), Du(44), Du(14));
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
