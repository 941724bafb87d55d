#include <QMessageBox>
#include <QWidget>

#include "ui/DownloadCommand.h"

// Built when the download's window parts are not: the command says so
// instead of pretending to run.

namespace tessaro {

namespace {

class MissingDownload final : public DownloadCommand {
 public:
  explicit MissingDownload(QWidget* owner) : owner_(owner) {}
  int Run() override {
    QMessageBox::warning(owner_, QStringLiteral("Program Download"),
                         QStringLiteral("This build has no program download."));
    return 0;
  }

 private:
  QWidget* owner_;
};

}  // namespace

std::unique_ptr<DownloadCommand> MakeDownloadCommand(Engine& /*engine*/, QWidget* owner) {
  return std::make_unique<MissingDownload>(owner);
}

}  // namespace tessaro
