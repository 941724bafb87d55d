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

#include "app/front/ViewTiming.h"
#include "ui/stats/SeriesPlot.h"

namespace tessaro {

StatisticsWindow::StatisticsWindow(const Engine& engine, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(engine) {
  setObjectName(QStringLiteral("TestingStatistics"));
  setWindowTitle(QLatin1String(StatisticsTexts::kTitle));

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
  auto* exportTable = new QPushButton(QLatin1String(StatisticsTexts::kExportButton), this);
  auto* savePlot = new QPushButton(QLatin1String(StatisticsTexts::kSaveButton), this);
  exportTable->setObjectName(QStringLiteral("ExportTable"));
  savePlot->setObjectName(QStringLiteral("SavePlot"));
  auto* controls = new QHBoxLayout;
  controls->addWidget(new QLabel(QLatin1String(StatisticsTexts::kChooser), this));
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
  resize(StatisticsTexts::kWidth, StatisticsTexts::kHeight);

  // Choosing a row of the table chooses its terminal for the plot.
  connect(chooser_, &QComboBox::currentIndexChanged, this, [this] { ShowChosenSeries(); });
  connect(table_, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (row >= 0 && row < chooser_->count()) chooser_->setCurrentIndex(row);
  });
  connect(exportTable, &QPushButton::clicked, this, [this] {
    AskAndWrite(QLatin1String(StatisticsTexts::kExportCaption),
                QLatin1String(StatisticsTexts::kExportName),
                QStringLiteral("CSV files (*.csv);;All files (*)"), &StatisticsWindow::ExportTable);
  });
  connect(savePlot, &QPushButton::clicked, this, [this] {
    AskAndWrite(QLatin1String(StatisticsTexts::kSaveCaption),
                QLatin1String(StatisticsTexts::kSaveName), QStringLiteral("PNG images (*.png)"),
                &StatisticsWindow::SavePlot);
  });
  timer_.setInterval(view::kStatisticsMs);
  connect(&timer_, &QTimer::timeout, this, [this] { Refresh(); });
}

void StatisticsWindow::Refresh() {
  model_.Refresh();
  mode_->setText(QString::fromStdString(model_.ModeText()));
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
    chooser_->addItem(QString::fromStdString(StatisticsModel::TerminalName(row.terminal)),
                      row.terminal);
  }
  if (chooser_->count() > 0) chooser_->setCurrentIndex(index);
}

void StatisticsWindow::ShowChosenSeries() {
  const int terminal = chooser_->currentData().toInt();
  plot_->SetSeries(QString::fromStdString(StatisticsModel::PlotTitle(terminal)),
                   model_.Series(terminal), model_.Passive());
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
                         QString::fromStdString(StatisticsTexts::CannotWrite(path.toStdString(),
                                                                             error.toStdString())));
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
