// The Packing Kit tool window. Its buttons are not here yet: the window says so and points
// to the keys of the main window that do the same.
#pragma once

#include <QDialog>
#include <functional>

namespace platenest {

class PackingKitDialog : public QDialog {
 public:
  // `closing` is called when the dialog closes itself (the owner destroys it).
  PackingKitDialog(QWidget* owner, std::function<void()> closing);

 private:
  void accept() override;
  void reject() override;

  std::function<void()> closing_;
};

}  // namespace platenest
