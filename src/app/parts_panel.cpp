#include "app/parts_panel.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "nesting/nester.h"
#include "support/gbk.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

QString areaText(double squareMillimetres) {
  return QString::fromStdString(formatC("%.0f", squareMillimetres));
}

// The true (not gap-grown) net area of a part: that of its loaded twin when there is one.
double trueArea(const Nester& nester, const PlacedPart& part) {
  for (const PlacedPart& loaded : nester.loadedParts) {
    if (loaded.id == part.id) return loaded.area();
  }
  return part.area();
}

}  // namespace

PartsPanel::PartsPanel(QWidget* owner, std::function<void(const std::vector<std::int32_t>&)> choose)
    : QDockWidget("Parts", owner), choose_(std::move(choose)) {
  setObjectName("partsPanel");
  setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable |
              QDockWidget::DockWidgetClosable);
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(2, 2, 2, 2);
  table_ = new QTableWidget(0, kColumnCount, body);
  table_->setObjectName("partsTable");
  table_->setHorizontalHeaderLabels({"Name", "Area mm²", "On plate", "Turned over"});
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->setVisible(false);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  // Column widths from the font, not from the rows: the panel keeps its width whatever the
  // job, so that the layout beside it is not refitted when a part's state changes.
  const QFontMetrics metrics(table_->font());
  const QFontMetrics headerMetrics(table_->horizontalHeader()->font());
  const auto room = [&](const QString& widestText, const QString& header) {
    return std::max(metrics.horizontalAdvance(widestText),
                    headerMetrics.horizontalAdvance(header)) +
           metrics.averageCharWidth() * 2;
  };
  const int widths[kColumnCount] = {room("MMMMMMMMM", "Name"), room("99999999", "Area mm²"),
                                    room("not placed", "On plate"), room("yes", "Turned over")};
  int total = 0;
  for (int column = 0; column < kColumnCount; ++column) {
    table_->setColumnWidth(column, widths[column]);
    total += widths[column];
  }
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  table_->setMinimumWidth(total + table_->verticalScrollBar()->sizeHint().width() +
                          2 * table_->frameWidth() + 2);
  // The layout keeps the keys: a row click selects, the letters still act on the parts.
  table_->setFocusPolicy(Qt::NoFocus);
  totals_ = new QLabel(body);
  totals_->setObjectName("partsTotals");
  totals_->setWordWrap(true);
  layout->addWidget(table_, 1);
  layout->addWidget(totals_);
  setWidget(body);
  connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { rowsChosen(); });
}

std::int32_t PartsPanel::idOfRow(int row) const {
  const QTableWidgetItem* item = table_->item(row, kName);
  return item == nullptr ? -1 : item->data(Qt::UserRole).toInt();
}

void PartsPanel::showParts(const Nester* nester, const std::vector<std::int32_t>& inTheWay) {
  showing_ = true;
  const int rows = nester == nullptr ? 0 : nester->parts.count();
  table_->setRowCount(rows);
  if (nester == nullptr) {
    totals_->clear();
    showing_ = false;
    return;
  }
  const QBrush notPlaced(QColor(128, 128, 128));
  const QBrush warning(QColor(255, 128, 0));
  int row = 0;
  int placed = 0;
  for (const PlacedPart& part : nester->parts) {
    const bool onPlate = nester->isOnPlate(part);
    placed += onPlate ? 1 : 0;
    const bool bad = std::find(inTheWay.begin(), inTheWay.end(), part.id) != inTheWay.end();
    const QString cells[kColumnCount] = {
        QString::fromStdString(displayName(part.label.text)),
        areaText(trueArea(*nester, part)),
        bad       ? QString("in the way")
        : onPlate ? QString("yes")
                  : QString("not placed"),
        part.mirrored ? QString("yes") : QString(),
    };
    for (int column = 0; column < kColumnCount; ++column) {
      QTableWidgetItem* item = table_->item(row, column);
      if (item == nullptr) {
        item = new QTableWidgetItem;
        table_->setItem(row, column, item);
      }
      item->setText(cells[column]);
      if (column == kArea) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      item->setForeground(bad ? warning : onPlate ? QBrush() : notPlaced);
    }
    table_->item(row, kName)->setData(Qt::UserRole, part.id);
    QItemSelectionModel* selection = table_->selectionModel();
    const QModelIndex index = table_->model()->index(row, kName);
    selection->select(
        index, (part.selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                   QItemSelectionModel::Rows);
    ++row;
  }
  const LayoutStatistics figures = nester->computeLayoutStatistics();
  totals_->setText(
      QString("%1 of %2 placed; packing length %3 mm; density %4")
          .arg(placed)
          .arg(rows)
          .arg(QString::fromStdString(formatC("%g", figures.packingLength)))
          .arg(std::isfinite(figures.density)
                   ? QString::fromStdString(formatC("%.2f %%", figures.density * 100.0))
                   : QString("-")));
  showing_ = false;
}

void PartsPanel::rowsChosen() {
  if (showing_) return;
  std::vector<std::int32_t> ids;
  for (int row = 0; row < table_->rowCount(); ++row) {
    if (table_->selectionModel()->isRowSelected(row, QModelIndex())) ids.push_back(idOfRow(row));
  }
  choose_(ids);
}

}  // namespace platenest
