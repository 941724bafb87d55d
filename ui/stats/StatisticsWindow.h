#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

#include "app/front/StatisticsModel.h"

class QComboBox;
class QLabel;
class QTableWidget;

namespace tessaro {

class Engine;
class SeriesPlot;

// The link test's statistics: a table with one row per terminal and the
// plots of the chosen terminal over the run's seconds, refreshed every
// second while the window is shown.  Not modal; the frame owns it and shows
// it again when the command comes a second time.
class StatisticsWindow final : public QWidget {
 public:
  StatisticsWindow(const Engine& engine, QWidget* parent);

  // Reads the engine now and shows what it read.
  void Refresh();

  // Write the table as CSV, or the plot as PNG, to `path`: an empty text,
  // or the reason the file could not be written.
  QString ExportTable(const QString& path);
  QString SavePlot(const QString& path);

  const StatisticsModel& Model() const { return model_; }
  QTableWidget* Table() const { return table_; }
  QComboBox* Chooser() const { return chooser_; }
  SeriesPlot* Plot() const { return plot_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void FillTable();
  void FillChooser();
  void ShowChosenSeries();
  // The buttons: a file dialog, then `write` to the file chosen; a failure
  // is reported.
  void AskAndWrite(const QString& caption, const QString& name, const QString& filter,
                   QString (StatisticsWindow::*write)(const QString&));

  StatisticsModel model_;
  QLabel* mode_;
  QTableWidget* table_;
  QComboBox* chooser_;
  SeriesPlot* plot_;
  QTimer timer_;
};

}  // namespace tessaro
