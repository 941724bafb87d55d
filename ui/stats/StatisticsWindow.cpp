#include "ui/stats/StatisticsWindow.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageWriter>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/stats/SeriesPlot.h"

namespace tessaro {

StatisticsWindow::StatisticsWindow(const Engine& engine, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(engine) {
  setObjectName(QStringLiteral("TestingStatistics"));
  setWindowTitle(QStringLiteral("Testing Statistics"));

  mode_ = new QLabel(this);
  mode_->setObjectName(QStringLiteral("ModeLabel"));
  table_ = new QTableWidget(this);
  table_->setObjectName(QStringLiteral("StatisticsTable"));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

  chooser_ = new QComboBox(this);
  chooser_->setObjectName(QStringLiteral("TerminalChooser"));
  chooser_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  auto* exportTable = new QPushButton(QStringLiteral("Export table..."), this);
  auto* savePlot = new QPushButton(QStringLiteral("Save plot..."), this);
  exportTable->setObjectName(QStringLiteral("ExportTable"));
  savePlot->setObjectName(QStringLiteral("SavePlot"));
  auto* controls = new QHBoxLayout;
  controls->addWidget(new QLabel(QStringLiteral("Plot of terminal:"), this));
  controls->addWidget(chooser_);
  controls->addStretch();
  controls->addWidget(exportTable);
  controls->addWidget(savePlot);

  plot_ = new SeriesPlot(this);
  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(table_);
  split->addWidget(plot_);
  split->setChildrenCollapsible(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(mode_);
  layout->addWidget(split, 1);
  layout->addLayout(controls);
  resize(820, 640);

  // Choosing a row of the table chooses its terminal for the plot.
  connect(chooser_, &QComboBox::currentIndexChanged, this, [this] { ShowChosenSeries(); });
  connect(table_, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (row >= 0 && row < chooser_->count()) chooser_->setCurrentIndex(row);
  });
  connect(exportTable, &QPushButton::clicked, this, [this] {
    AskAndWrite(QStringLiteral("Export table"), QStringLiteral("statistics.csv"),
                QStringLiteral("CSV files (*.csv);;All files (*)"), &StatisticsWindow::ExportTable);
  });
  connect(savePlot, &QPushButton::clicked, this, [this] {
    AskAndWrite(QStringLiteral("Save plot"), QStringLiteral("statistics.png"),
                QStringLiteral("PNG images (*.png)"), &StatisticsWindow::SavePlot);
  });
  timer_.setInterval(kRefreshMs);
  connect(&timer_, &QTimer::timeout, this, [this] { Refresh(); });
}

void StatisticsWindow::Refresh() {
  model_.Refresh();
  const QString mode = QLatin1String(ModeButtonText(model_.Passive() ? kPassive : kActive));
  if (model_.Passive()) {
    mode_->setText(QStringLiteral("%1 test").arg(mode));
  } else {
    mode_->setText(
        QStringLiteral("%1 test, %2")
            .arg(mode, model_.Running() ? QStringLiteral("running") : QStringLiteral("stopped")));
  }
  FillTable();
  FillChooser();
  ShowChosenSeries();
}

void StatisticsWindow::FillTable() {
  const std::vector<StatisticsColumn>& columns = model_.Columns();
  const std::vector<StatisticsRow>& rows = model_.Rows();
  table_->setColumnCount(static_cast<int>(columns.size()));
  QStringList captions;
  for (StatisticsColumn column : columns) captions << QLatin1String(model_.Caption(column));
  table_->setHorizontalHeaderLabels(captions);
  table_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < table_->rowCount(); ++r) {
    for (int c = 0; c < table_->columnCount(); ++c) {
      const QString text = QString::fromStdString(model_.Cell(rows[r], columns[c]));
      QTableWidgetItem* item = table_->item(r, c);
      if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table_->setItem(r, c, item);
      }
      item->setText(text);
    }
  }
}

void StatisticsWindow::FillChooser() {
  // Rebuilt only when the terminals change, so an open list stays put; the
  // chosen terminal stays chosen while rows come and go.
  const std::vector<StatisticsRow>& rows = model_.Rows();
  bool same = chooser_->count() == static_cast<int>(rows.size());
  for (int i = 0; same && i < chooser_->count(); ++i) {
    same = chooser_->itemData(i).toInt() == rows[i].terminal;
  }
  if (same) return;
  const int chosen = chooser_->currentData().toInt();
  QSignalBlocker quiet(chooser_);
  chooser_->clear();
  int index = 0;
  for (const StatisticsRow& row : rows) {
    if (row.terminal == chosen) index = chooser_->count();
    chooser_->addItem(QStringLiteral("%1").arg(row.terminal, 2, 10, QLatin1Char('0')),
                      row.terminal);
  }
  if (chooser_->count() > 0) chooser_->setCurrentIndex(index);
}

void StatisticsWindow::ShowChosenSeries() {
  const int terminal = chooser_->currentData().toInt();
  const QString title = terminal == 0 ? QStringLiteral("No terminal")
                                      : QStringLiteral("Terminal %1").arg(chooser_->currentText());
  plot_->SetSeries(title, model_.Series(terminal), model_.Passive());
}

QString StatisticsWindow::ExportTable(const QString& path) {
  // Written aside and renamed over the file: a failed export leaves an
  // earlier file whole.
  QSaveFile file(path);
  const std::string csv = model_.Csv();
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size()) ||
      !file.commit()) {
    return file.errorString();
  }
  return {};
}

QString StatisticsWindow::SavePlot(const QString& path) {
  QImageWriter writer(path, "png");
  if (!writer.write(plot_->grab().toImage())) return writer.errorString();
  return {};
}

void StatisticsWindow::AskAndWrite(const QString& caption, const QString& name,
                                   const QString& filter,
                                   QString (StatisticsWindow::*write)(const QString&)) {
  const QString path = QFileDialog::getSaveFileName(this, caption, name, filter);
  if (path.isEmpty()) return;
  const QString error = (this->*write)(path);
  if (!error.isEmpty()) {
    QMessageBox::warning(this, windowTitle(),
                         QStringLiteral("Cannot write %1:\n%2").arg(path, error));
  }
}

void StatisticsWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
  timer_.start();
}

void StatisticsWindow::hideEvent(QHideEvent* event) {
  // Nothing is read while nobody looks.
  timer_.stop();
  QWidget::hideEvent(event);
}

}  // namespace tessaro
