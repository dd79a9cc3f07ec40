// The small tool window in which the operator changes the rotation number RN and the
// packing-point distance PPD of the job. A new PPD rebuilds the packing-point grid at once.
#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;

namespace platenest {

class Nester;

// Stores RN as the operator typed it (integer conversion as atoi does); an RN below 1 would
// leave the search no orientation to try, so it is refused with a message and the old value
// stays. True when stored.
bool applyRotationNumber(Nester& nester, const QString& typed);
// Stores PPD (converted as atof does) and rebuilds the grid; a PPD that is not a positive
// number, or that would make a grid too large to hold, is refused with the reason and the
// old value and grid stay. True when stored.
bool applyPackingPointDistance(Nester& nester, const QString& typed);

class RnPpdDialog : public QDialog {
 public:
  // `nester` gives the job's nester or null before the first load; `changed` is called after
  // a value was applied, `closing` when the dialog closes itself (the owner destroys it).
  RnPpdDialog(QWidget* owner, std::function<Nester*()> nester, std::function<void()> changed,
              std::function<void()> closing);

 private:
  void renewRotationNumber();
  void renewPackingPointDistance();
  void accept() override;
  void reject() override;

  std::function<Nester*()> nester_;
  std::function<void()> changed_;
  std::function<void()> closing_;
  QLineEdit* rotationEdit_;
  QLineEdit* distanceEdit_;
};

}  // namespace platenest
