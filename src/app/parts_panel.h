// The list of the job's parts beside the layout: name, area, whether it is on the plate,
// whether it is turned over, whether it is in the way; a row chosen selects its part and the
// parts selected in the layout are the rows chosen. The figures of the layout at the bottom.
#pragma once

#include <QDockWidget>
#include <cstdint>
#include <functional>
#include <vector>

class QLabel;
class QTableWidget;

namespace platenest {

class Nester;

class PartsPanel : public QDockWidget {
 public:
  // `choose` is told the ids of the rows the operator chose, in list order.
  PartsPanel(QWidget* owner, std::function<void(const std::vector<std::int32_t>&)> choose);

  // Shows the nester's parts as they stand (none: an empty list); `inTheWay` are the ids of
  // the parts that overlap or cross the plate's edge.
  void showParts(const Nester* nester, const std::vector<std::int32_t>& inTheWay);

  QTableWidget* table() { return table_; }
  QLabel* totals() { return totals_; }
  // The part id of a row.
  std::int32_t idOfRow(int row) const;

  // The columns, in order.
  enum Column { kName, kArea, kOnPlate, kTurnedOver, kColumnCount };

 private:
  void rowsChosen();

  QTableWidget* table_;
  QLabel* totals_;
  std::function<void(const std::vector<std::int32_t>&)> choose_;
  bool showing_ = false;  // the rows are being set from the job, not by the operator
};

}  // namespace platenest
