// The Packing Kit tool window: the layout commands, the interaction modes, the contact moves
// and the view buttons, placed as the operators know them. Each button hands its id to the
// main window, which runs the command and takes the keyboard focus back.
#pragma once

#include <QDialog>
#include <QSize>
#include <functional>

class QPushButton;

namespace platenest {

class PackingKitDialog : public QDialog {
 public:
  // `command` runs a button's command by its id; `closing` is called when the dialog closes
  // itself by 确定 or 取消 (the owner destroys it).
  PackingKitDialog(QWidget* owner, std::function<void(int)> command,
                   std::function<void()> closing);

  // Pixels of one horizontal and one vertical dialog unit, times 4 and 8: the font's average
  // character width and its height.
  QSize dialogBaseUnits() const { return baseUnits_; }

  // Whether every line of the button's label fits inside it in the button's font.
  static bool labelFits(const QPushButton& button);
  static QSize labelRoom(const QPushButton& button);

 private:
  void accept() override;
  void reject() override;

  std::function<void()> closing_;
  QSize baseUnits_;
};

}  // namespace platenest
