#include "ui/download/QtDownloadUi.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "DownloadFakes.h"
#include "SRecordText.h"
#include "download/DownloadSession.h"

namespace tessaro {
namespace {

// Runs `act` on the modal dialog of type D once it is up, from inside the
// dialog's own event loop.
template <typename D>
void WhenOpen(std::function<void(D&)> act) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      act(*dialog);
    }
  });
  timer->start();
}

// Types the path into the file dialog as the operator would and presses
// Open; the dialog's own checks run.  (selectFile() leaves the name field
// alone while it has the focus, and finds no file the dialog's model has not
// loaded yet.)
void Pick(QFileDialog& dialog, const std::string& path) {
  // A file selected in the lists wins over the typed name.
  for (auto* view : dialog.findChildren<QAbstractItemView*>()) {
    if (view->selectionModel() != nullptr) view->selectionModel()->clear();
  }
  auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(name, nullptr);
  name->setText(QString::fromStdString(path));
  static_cast<QDialog&>(dialog).accept();
}

struct SeenBox {
  QString text;
  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QWidget* parent = nullptr;
  QMessageBox::StandardButtons buttons;
};

// Notes the next message box and presses `answer` in it.
void AnswerBox(SeenBox& seen, QMessageBox::StandardButton answer = QMessageBox::Ok) {
  WhenOpen<QMessageBox>([&seen, answer](QMessageBox& box) {
    seen = {box.text(), box.windowTitle(), box.icon(), box.parentWidget(), box.standardButtons()};
    box.button(answer)->click();
  });
}

class QtDownloadUiTest : public ::testing::Test {
 protected:
  QWidget view;
  QtDownloadUi ui{&view};
  testing::TempDir dir;
};

TEST_F(QtDownloadUiTest, TheFileDialogOffersTheFilterAndThePathChosenLast) {
  const std::string first = dir.Write("FIRST.ABO", "S9030000FC\r\n");
  const std::string second = dir.Write("second.abo", "S9030000FC\r\n");
  char path[kImagePathSize] = {};
  std::snprintf(path, sizeof path, "%s", first.c_str());
  QStringList filters, offered;
  QString suffix;
  QFileDialog::FileMode mode{};
  WhenOpen<QFileDialog>([&](QFileDialog& d) {
    filters = d.nameFilters();
    suffix = d.defaultSuffix();
    mode = d.fileMode();
    offered = d.selectedFiles();
    Pick(d, second);
  });
  ASSERT_TRUE(ui.ChooseImageFile(path, sizeof path));
  EXPECT_EQ(std::string(path), second);
  EXPECT_EQ(filters, QStringList({"Absolute object programs {*.ABO} (*.ABO *.abo)",
                                  "S-record files (*.s19 *.srec *.mot *.S19 *.SREC *.MOT)",
                                  "All files (*)"}));
  EXPECT_EQ(suffix, "ABO");
  EXPECT_EQ(mode, QFileDialog::ExistingFile);
  ASSERT_EQ(offered.size(), 1);
  EXPECT_EQ(offered[0].toStdString(), first);
}

TEST_F(QtDownloadUiTest, CancellingTheFileDialogKeepsThePath) {
  char path[kImagePathSize] = "/somewhere/old.abo";
  WhenOpen<QFileDialog>([](QFileDialog& d) { d.reject(); });
  EXPECT_FALSE(ui.ChooseImageFile(path, sizeof path));
  EXPECT_STREQ(path, "/somewhere/old.abo");
}

TEST_F(QtDownloadUiTest, MessageBoxesCarryTextCaptionIconAndOwner) {
  SeenBox seen;
  AnswerBox(seen);
  ui.ShowMessage("Can not open the COM port!", "Program Download", DownloadBox::kWarning,
                 BoxOwner::kView);
  EXPECT_EQ(seen.text, "Can not open the COM port!");
  EXPECT_EQ(seen.title, "Program Download");
  EXPECT_EQ(seen.icon, QMessageBox::Warning);
  EXPECT_EQ(seen.parent, &view);
  EXPECT_EQ(seen.buttons, QMessageBox::Ok);

  AnswerBox(seen);
  ui.ShowMessage("Failed to set communication state", "Program Download", DownloadBox::kWarning,
                 BoxOwner::kNone);
  EXPECT_EQ(seen.parent, nullptr);

  AnswerBox(seen);
  ui.ShowMessage("Downloaded completely.", "Update Base's Program", DownloadBox::kPlain,
                 BoxOwner::kView);
  EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen.title, "Update Base's Program");
}

TEST_F(QtDownloadUiTest, AReplyLineCaptionShowsEveryByte) {
  SeenBox seen;
  AnswerBox(seen);
  ui.ShowMessage("Error : Time out !!", "F\xE9", DownloadBox::kWarning, BoxOwner::kView);
  EXPECT_EQ(seen.title, QString::fromLatin1("F\xE9"));

  // No reply at all: an empty caption, which X11 windows would fill with the
  // program's name; a blank title shows as empty.
  AnswerBox(seen);
  ui.ShowMessage("Error : Time out !!", "", DownloadBox::kWarning, BoxOwner::kView);
  EXPECT_FALSE(seen.title.isEmpty());
  EXPECT_TRUE(seen.title.trimmed().isEmpty());
}

TEST_F(QtDownloadUiTest, TheRetryQuestionIsYesOrNo) {
  SeenBox seen;
  AnswerBox(seen, QMessageBox::Yes);
  EXPECT_TRUE(ui.AskRetry("Download failed, would you like to retry?", "Program Download"));
  EXPECT_EQ(seen.icon, QMessageBox::Question);
  EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(seen.parent, &view);
  AnswerBox(seen, QMessageBox::No);
  EXPECT_FALSE(ui.AskRetry("Download failed, would you like to retry?", "Program Download"));
}

TEST_F(QtDownloadUiTest, TheProgressDialogShowsTheBarAndCannotBeClosed) {
  ui.ShowProgress();
  QDialog* dialog = ui.ProgressDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->parentWidget(), nullptr);
  EXPECT_EQ(dialog->windowTitle(), "Progress");
  EXPECT_EQ(dialog->size(), QSize(208, 80));
  const auto labels = dialog->findChildren<QLabel*>();
  ASSERT_EQ(labels.size(), 1);
  EXPECT_EQ(labels[0]->text(), "Downloading...");
  EXPECT_EQ(labels[0]->geometry(), QRect(20, 16, 160, 24));
  QProgressBar* bar = ui.ProgressBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->geometry(), QRect(14, 40, 180, 20));
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 100);
  EXPECT_EQ(bar->value(), 0);

  ui.SetProgress(37);
  EXPECT_EQ(bar->value(), 37);

  QCloseEvent close;
  QApplication::sendEvent(dialog, &close);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(dialog, &escape);
  dialog->reject();
  EXPECT_TRUE(dialog->isVisible());

  ui.HideProgress();
  EXPECT_EQ(ui.ProgressDialog(), nullptr);
  EXPECT_EQ(ui.ProgressBar(), nullptr);
  ui.SetProgress(50);  // nothing to move: no harm
}

TEST_F(QtDownloadUiTest, LettingWindowsPaintDeliversPendingPaints) {
  class Counting : public QWidget {
   public:
    int paints = 0;

   protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
  } widget;
  widget.resize(50, 50);
  widget.show();
  for (int i = 0; i < 50 && widget.paints == 0; ++i) ui.LetWindowsPaint();
  const int before = widget.paints;
  ASSERT_GT(before, 0);
  widget.update();
  for (int i = 0; i < 50 && widget.paints == before; ++i) ui.LetWindowsPaint();
  EXPECT_GT(widget.paints, before);
}

// The whole download through the widgets, on a scripted line.
TEST_F(QtDownloadUiTest, ADownloadMovesTheBarAndEndsWithTheFinalBox) {
  std::string image;
  for (int r = 0; r < 40; ++r) {
    image += testing::Record('3', 0x4000 + 16u * r, testing::Sequence(16));
  }
  image += testing::Record('7', 0, {});
  const std::string path = dir.Write("prog.abo", image);

  testing::ManualClock clock(100);
  testing::ScriptedPort port(clock);
  std::vector<int> barAtPacket;
  port.responder = [&](const std::string& w) {
    if (w.size() > 1 && w[0] == 'S') {
      QProgressBar* bar = ui.ProgressBar();
      barAtPacket.push_back(bar != nullptr && bar->isVisible() ? bar->value() : -1);
    }
    port.Deliver(w == "\r" ? "FN\r" : "FA\r");
  };
  WhenOpen<QFileDialog>([&](QFileDialog& d) { Pick(d, path); });
  SeenBox seen;
  // The final box comes after the file dialog has closed.
  QTimer::singleShot(0, [&] { AnswerBox(seen); });

  DownloadState state;
  DownloadTiming timing;
  timing.pauseMs = 0;
  EXPECT_EQ(RunDownload(port, PortSettings{}, clock, ui, state, timing),
            DownloadResult::kCompleted);
  EXPECT_EQ(seen.text, "Downloaded completely.");
  ASSERT_EQ(barAtPacket.size(), 8u);  // seven data packets and the end packet
  // The first packet is complete in the second block of the file.
  EXPECT_EQ(barAtPacket.front(), static_cast<int>(std::size_t{256} * 100 / image.size()));
  for (std::size_t i = 1; i < barAtPacket.size(); ++i) {
    EXPECT_GE(barAtPacket[i], barAtPacket[i - 1]);
  }
  EXPECT_GT(barAtPacket.back(), 50);
  EXPECT_LT(barAtPacket.back(), 100);
  EXPECT_EQ(ui.ProgressDialog(), nullptr);
}

}  // namespace
}  // namespace tessaro
