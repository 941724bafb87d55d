#pragma once

namespace tessaro {

class BaseIdModel;
class BasePropertiesModel;
class ComPortModel;
class CriteriaModel;
class DownloadUi;

// What a front end's frame window does for the menu commands: the modal
// dialogs (each shows its model and calls the model's Confirm on OK), the
// About box, the download's dialogs, and the frame's own actions.  Window
// thread only.
class Shell {
 public:
  virtual ~Shell() = default;
  virtual void RunComPortDialog(ComPortModel& model) = 0;
  virtual void RunCriteriaDialog(CriteriaModel& model) = 0;
  virtual void RunBaseIdDialog(BaseIdModel& model) = 0;
  virtual void RunBasePropertiesDialog(BasePropertiesModel& model) = 0;
  virtual void RunAboutBox() = 0;
  // The file chooser, message boxes and progress dialog of the download.
  virtual DownloadUi& DownloadDialogs() = 0;
  // Queues menu command `id` behind whatever the window thread is doing now
  // (a modal dialog's own loop runs it).
  virtual void PostCommand(int id) = 0;
  // Closes the frame window (the Exit command, after the session ended).
  virtual void CloseFrame() = 0;
  // Shows the link test's statistics window (not modal; it stays open while
  // the operator works on), or raises it when it is open.  A front end
  // without one ignores the command.
  virtual void ShowStatistics() {}
};

}  // namespace tessaro
