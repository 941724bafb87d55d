#include "ui/download/QtDownloadUi.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <cstring>

#include "download/DownloadTexts.h"

namespace tessaro {

namespace {

// Dialog units of the classic dialog font: 2 pixels each way.
constexpr int Du(int units) {
  return 2 * units;
}

// The texts come from the download and from the line (a reply becomes a
// caption): every byte shows as a character, none is lost to decoding.
QString Text(const char* text) {
  return QString::fromLatin1(text);
}

// Takes no input that could end it: no close box effect, no Escape.  The
// download destroys it when the packets are through.
class InertProgressDialog final : public QDialog {
 public:
  InertProgressDialog() : QDialog(nullptr) {}

 protected:
  void closeEvent(QCloseEvent* event) override { event->ignore(); }
  void keyPressEvent(QKeyEvent* event) override { event->ignore(); }
  void reject() override {}
};

}  // namespace

QtDownloadUi::QtDownloadUi(QWidget* view) : view_(view) {}

QtDownloadUi::~QtDownloadUi() = default;

bool QtDownloadUi::ChooseImageFile(char* path, std::size_t size) {
  QFileDialog dialog(view_);
  // Qt's own dialog behaves the same everywhere and keeps the event loop
  // that runs the session's posted Close.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // Upper- and lower-case names alike on file systems that tell them apart.
  dialog.setNameFilters({Text(download_text::kFileFilter) + QStringLiteral(" (*.ABO *.abo)"),
                         Text(download_text::kSRecordFilter),
                         Text(download_text::kAllFilesFilter)});
  dialog.setDefaultSuffix(Text(download_text::kDefaultExtension));
  if (path[0] != '\0') {
    const QFileInfo previous(QFile::decodeName(path));
    dialog.setDirectory(previous.absolutePath());
    dialog.selectFile(previous.absoluteFilePath());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;

  const QByteArray chosen = QFile::encodeName(dialog.selectedFiles().first());
  if (static_cast<std::size_t>(chosen.size()) >= size) {
    // No room for it: an empty path fails to open, with its message.
    path[0] = '\0';
    return true;
  }
  std::memcpy(path, chosen.constData(), static_cast<std::size_t>(chosen.size()));
  path[chosen.size()] = '\0';
  return true;
}

void QtDownloadUi::ShowMessage(const char* text, const char* caption, DownloadBox box,
                               BoxOwner owner) {
  QMessageBox message(box == DownloadBox::kWarning ? QMessageBox::Warning : QMessageBox::NoIcon,
                      Text(caption), Text(text), QMessageBox::Ok,
                      owner == BoxOwner::kView ? view_.data() : nullptr);
  message.exec();
}

bool QtDownloadUi::AskRetry(const char* text, const char* caption) {
  QMessageBox question(QMessageBox::Question, Text(caption), Text(text),
                       QMessageBox::Yes | QMessageBox::No, view_.data());
  question.setDefaultButton(QMessageBox::Yes);
  return question.exec() == QMessageBox::Yes;
}

void QtDownloadUi::ShowProgress() {
  HideProgress();
  auto dialog = std::make_unique<InertProgressDialog>();
  dialog->setWindowTitle(Text(download_text::kProgressTitle));
  dialog->setFixedSize(Du(104), Du(40));
  auto* label = new QLabel(Text(download_text::kProgressText), dialog.get());
  label->setGeometry(Du(10), Du(8), Du(80), Du(12));
  const QSize client = dialog->size();
  bar_ = new QProgressBar(dialog.get());
  bar_->setObjectName(QStringLiteral("Downloading"));
  bar_->setGeometry(14, client.height() / 2, client.width() - 28, 20);
  bar_->setRange(0, 100);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  progress_ = std::move(dialog);
  progress_->show();
}

void QtDownloadUi::SetProgress(int percent) {
  if (bar_ != nullptr) bar_->setValue(percent);
}

void QtDownloadUi::HideProgress() {
  bar_ = nullptr;
  progress_.reset();
}

void QtDownloadUi::LetWindowsPaint() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QDialog* QtDownloadUi::ProgressDialog() const {
  return progress_.get();
}

}  // namespace tessaro
