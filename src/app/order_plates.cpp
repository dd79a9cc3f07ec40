#include "app/order_plates.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMessageBox>
#include <QToolBar>

#include "app/main_window.h"
#include "orders/order_report.h"
#include "support/fatal_error.h"

namespace platenest {
namespace {

const FileDialogSpec kOrderOpenDialog{"Open Order", "Orders (*.toml *.json)", "toml"};
const FileDialogSpec kOrderWriteDialog{"Write Order Drawings (the folder of the report)",
                                       "Order report (order-report.txt)", "txt"};

class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

OrderPlates::OrderPlates(MainWindow& window, QMenu& file, FileChooser& chooser)
    : QObject(&window), window_(window), chooser_(chooser) {
  setObjectName("orderSession");
  file.addSeparator();
  QAction* open = file.addAction("Open &Order…");
  open->setObjectName("action40101");
  connect(open, &QAction::triggered, this, [this] { chooseAndOpen(); });
  QAction* write = file.addAction("Write Order &Drawings…");
  write->setObjectName("action40102");
  connect(write, &QAction::triggered, this, [this] { chooseAndWrite(); });
  bar_ = new QToolBar("Order plates", &window);
  bar_->setObjectName("orderPlates");
  selector_ = new QComboBox(bar_);
  selector_->setObjectName("orderPlateSelector");
  bar_->addWidget(selector_);
  window.addToolBar(bar_);
  bar_->hide();
  connect(selector_, &QComboBox::activated, this, [this](int index) { showPlate(index); });
}

int OrderPlates::plateCount() const { return static_cast<int>(result_.plates.size()); }

bool OrderPlates::stillShown() const {
  return order_ && shown_ >= 0 && window_.nester() == shownNester_;
}

bool OrderPlates::open(const std::filesystem::path& path) {
  std::optional<Order> order;
  OrderResult result;
  try {
    WaitCursor wait;
    order = readOrder(path);
    OrderNestOptions options;
    options.mode = order->settings.mode;
    options.secondsPerPlate = order->settings.secondsPerPlate;
    result = nestOrder(*order, prepareOrderKinds(*order, "/dev/null"), options);
  } catch (const OrderError& error) {
    QMessageBox::warning(&window_, "Open Order", QString::fromStdString(error.what()));
    return false;
  } catch (const FatalError& error) {
    QMessageBox::warning(&window_, "Open Order", QString::fromStdString(error.text()));
    return false;
  }
  if (result.plates.empty()) {
    QMessageBox::warning(&window_, "Open Order", "No part of the order fits a plate in stock.");
    return false;
  }
  order_ = std::move(order);
  result_ = std::move(result);
  shown_ = -1;
  shownNester_ = nullptr;
  selector_->clear();
  for (std::size_t p = 0; p < result_.plates.size(); ++p) {
    const OrderPlate& plate = result_.plates[p];
    selector_->addItem(QString("Plate %1: %2 x %3, cut x%4")
                           .arg(p + 1)
                           .arg(plate.length)
                           .arg(plate.width)
                           .arg(plate.copies));
  }
  bar_->show();
  showPlate(0);
  return true;
}

void OrderPlates::showPlate(int index) {
  if (!order_ || index < 0 || index >= plateCount() || index == shown_) return;
  if (shown_ >= 0 && !stillShown()) {
    // Another job was opened over the plate: the order's plates are gone with it.
    QMessageBox::information(&window_, "Order", "Another job replaced the order's plate; open the order again.");
    order_.reset();
    bar_->hide();
    return;
  }
  std::unique_ptr<Nester> previous = window_.swapJob(std::move(result_.plates[static_cast<std::size_t>(index)].nester));
  if (shown_ >= 0) result_.plates[static_cast<std::size_t>(shown_)].nester = std::move(previous);
  shown_ = index;
  shownNester_ = window_.nester();
  selector_->setCurrentIndex(index);
}

bool OrderPlates::writeDrawings(const std::filesystem::path& folder) {
  if (!stillShown()) {
    QMessageBox::warning(&window_, "Write Order Drawings", "No order is open.");
    return false;
  }
  auto& shownSlot = result_.plates[static_cast<std::size_t>(shown_)].nester;
  shownSlot = window_.swapJob(nullptr);
  bool written = false;
  try {
    recountPlates(result_);
    const std::vector<OrderOutput> outputs = orderOutputs(*order_, result_, folder, std::nullopt);
    refuseOverwritingOrderInputs(*order_, outputs);
    writeOrderOutputs(outputs);
    written = true;
  } catch (const OrderError& error) {
    QMessageBox::warning(&window_, "Write Order Drawings", QString::fromStdString(error.what()));
  }
  window_.swapJob(std::move(shownSlot));
  shownNester_ = window_.nester();
  return written;
}

void OrderPlates::chooseAndOpen() {
  const std::optional<QString> chosen = chooser_.openFile(&window_, kOrderOpenDialog, QString());
  if (chosen) open(std::filesystem::path(chosen->toStdString()));
}

void OrderPlates::chooseAndWrite() {
  const std::optional<QString> chosen = chooser_.saveFile(&window_, kOrderWriteDialog, "order-report.txt");
  if (chosen) writeDrawings(std::filesystem::path(chosen->toStdString()).parent_path());
}

}  // namespace platenest
