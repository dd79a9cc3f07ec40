#include "app/packing_kit_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace platenest {

PackingKitDialog::PackingKitDialog(QWidget* owner, std::function<void()> closing)
    : QDialog(owner), closing_(std::move(closing)) {
  setObjectName("packingKitDialog");
  setWindowTitle("Packing Kit 排样工具箱");
  setModal(false);
  auto* note = new QLabel(
      "The Packing Kit's buttons come in a later version.\n"
      "工具箱的按钮将在以后的版本中提供。\n\n"
      "Meanwhile, in the main window:\n"
      "B  lay out the selected parts\n"
      "N  stage the next part, then B to place it\n"
      "Shift+A  select all    Esc  select none\n"
      "T  turn the first selected part over\n"
      "Arrow keys  slide the selected parts into contact\n"
      "E  packing report    X  whole plate",
      this);
  note->setObjectName("packingKitNote");
  auto* ok = new QPushButton("确定", this);
  ok->setObjectName("button1");
  auto* cancel = new QPushButton("取消", this);
  cancel->setObjectName("button2");
  ok->setDefault(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(note);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, [this] { accept(); });
  connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

void PackingKitDialog::accept() {
  hide();
  closing_();
}

void PackingKitDialog::reject() {
  hide();
  closing_();
}

}  // namespace platenest
