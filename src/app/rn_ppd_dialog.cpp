#include "app/rn_ppd_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>
#include <string>

#include "nesting/nester.h"
#include "support/messages.h"
#include "support/number_parse.h"
#include "support/text_writer.h"

namespace platenest {
namespace {

// The boxes hand over at most 99 characters, as the original's buffers of 100 did.
constexpr int kTypedLimit = 99;

std::string typedText(const QString& text) { return text.left(kTypedLimit).toStdString(); }

QPushButton* button(QWidget* owner, const QString& text, int id) {
  auto* b = new QPushButton(text, owner);
  b->setObjectName(QString("button%1").arg(id));
  b->setAutoDefault(false);
  return b;
}

QLineEdit* edit(QWidget* owner, int id) {
  auto* e = new QLineEdit(owner);
  e->setObjectName(QString("edit%1").arg(id));
  e->setMaxLength(kTypedLimit);
  return e;
}

}  // namespace

bool applyRotationNumber(Nester& nester, const QString& typed) {
  const int rotationNumber = parseAtoi(typedText(typed));
  if (rotationNumber < 1) {
    showWarning(formatC("零件旋转角个数RN=%d无效: 必须至少为1!", rotationNumber));
    return false;
  }
  nester.rotationNumber = rotationNumber;
  return true;
}

bool applyPackingPointDistance(Nester& nester, const QString& typed) {
  const double previous = nester.packingPointDistance();
  nester.setPackingPointDistance(parseAtof(typedText(typed)));
  if (const std::optional<std::string> problem = nester.packingGridProblem()) {
    nester.setPackingPointDistance(previous);
    showWarning(*problem);
    return false;
  }
  nester.renewPackingGrid();
  return true;
}

RnPpdDialog::RnPpdDialog(QWidget* owner, std::function<Nester*()> nester,
                         std::function<void()> changed, std::function<void()> closing)
    : QDialog(owner),
      nester_(std::move(nester)),
      changed_(std::move(changed)),
      closing_(std::move(closing)) {
  setObjectName("rnPpdDialog");
  setWindowTitle("Renew RN&PPD");
  setModal(false);

  rotationEdit_ = edit(this, 1001);
  distanceEdit_ = edit(this, 1002);
  QPushButton* renewRn = button(this, "刷新RN", 1004);
  QPushButton* renewPpd = button(this, "刷新PPD", 1000);
  QPushButton* ok = button(this, "确定", 1);
  QPushButton* cancel = button(this, "取消", 2);
  ok->setDefault(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel("零件旋转角个数Rotation Number(RN)", this), 0, 0, 1, 3);
  grid->addWidget(new QLabel("RN=", this), 1, 0);
  grid->addWidget(rotationEdit_, 1, 1);
  grid->addWidget(renewRn, 1, 2);
  grid->addWidget(new QLabel("排样点距离Packing Point Distance(PPD)", this), 2, 0, 1, 3);
  grid->addWidget(new QLabel("PPD=", this), 3, 0);
  grid->addWidget(distanceEdit_, 3, 1);
  grid->addWidget(renewPpd, 3, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addStretch();
  grid->addLayout(buttons, 4, 0, 1, 3);

  if (const Nester* job = nester_()) {
    rotationEdit_->setText(QString::fromStdString(formatC("%d", job->rotationNumber)));
    distanceEdit_->setText(QString::fromStdString(formatC("%lf", job->packingPointDistance())));
  }

  connect(renewRn, &QPushButton::clicked, this, [this] { renewRotationNumber(); });
  connect(renewPpd, &QPushButton::clicked, this, [this] { renewPackingPointDistance(); });
  connect(ok, &QPushButton::clicked, this, [this] { accept(); });
  connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

void RnPpdDialog::renewRotationNumber() {
  Nester* job = nester_();
  if (job == nullptr) return;
  if (applyRotationNumber(*job, rotationEdit_->text())) changed_();
}

void RnPpdDialog::renewPackingPointDistance() {
  Nester* job = nester_();
  if (job == nullptr) return;
  if (applyPackingPointDistance(*job, distanceEdit_->text())) changed_();
}

// Applies both values and closes; a refused value keeps the dialog open so that the
// operator can correct it.
void RnPpdDialog::accept() {
  if (Nester* job = nester_()) {
    const bool rotationStored = applyRotationNumber(*job, rotationEdit_->text());
    const bool distanceStored = applyPackingPointDistance(*job, distanceEdit_->text());
    if (rotationStored || distanceStored) changed_();
    if (!rotationStored || !distanceStored) return;
  }
  hide();
  closing_();
}

void RnPpdDialog::reject() {
  hide();
  closing_();
}

}  // namespace platenest
