#include "app/packing_kit_dialog.h"

#include <QFontMetrics>
#include <QPushButton>
#include <algorithm>
#include <cmath>

namespace platenest {
namespace {

struct KitButton {
  int id;
  const char* text;
  int x, y, width, height;  // dialog units
};

constexpr KitButton kButtons[] = {
    {1009, "Select Part(s)\n选择零件", 7, 7, 45, 25},
    {1021, "Select All\n选择所有", 55, 7, 45, 25},
    {1023, "Select None\n一个不选", 104, 7, 45, 25},
    {1020, "Layout\n排样", 7, 41, 45, 25},
    {1026, "Layout Next\n布排下一个", 55, 41, 45, 25},
    {1022, "Layout All\n布排所有", 104, 41, 45, 25},
    {1027, "Layout Multiple Steps\n多步排样", 40, 73, 75, 25},
    {1029, "Layout_PltDim_Reduced\n排样-母板尺寸调小", 30, 103, 97, 25},
    {1012, "Move Part(s)\n移动零件", 7, 134, 63, 25},
    {1013, "Rotate Part(s)\n旋转零件", 86, 134, 63, 25},
    {1014, "Move Part(s) With Colliding Test\n移动零件(带重迭测试)", 25, 166, 105, 27},
    {1017, "Up Contact\n零件向上\n碰靠", 58, 201, 40, 38},
    {1015, "Left Contact\n零件向左\n碰靠", 7, 236, 40, 38},
    {1016, "Right Contact\n零件向右\n碰靠", 109, 236, 40, 38},
    {1019, "Down Contact\n零件向下\n碰靠", 58, 271, 40, 38},
    {1006, "Pan", 7, 319, 29, 22},
    {1007, "Zoom", 63, 319, 29, 22},
    {1008, "All", 120, 319, 29, 22},
    {1025, "Layout In DXF\n输出排样图", 7, 350, 63, 25},
    {1024, "Packing Report\n排样报告", 86, 350, 63, 25},
    {1, "确定", 27, 378, 44, 22},
    {2, "取消", 84, 378, 44, 22},
};

constexpr int kDialogWidthUnits = 156;
constexpr int kDialogHeightUnits = 408;
constexpr int kDialogPointSize = 8;

// The average width of the Latin letters, rounded, and the line height of the font: what
// dialog units are measured in.
QSize baseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters =
      metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return QSize((letters / 26 + 1) / 2, metrics.height());
}

// The widest line of a button's label and the height of its lines in a font.
QSize labelSize(const QString& text, const QFont& font) {
  const QFontMetrics metrics(font);
  const QStringList lines = text.split('\n');
  int widest = 0;
  for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
  return QSize(widest, static_cast<int>(lines.size()) * metrics.lineSpacing());
}

}  // namespace

QSize PackingKitDialog::labelRoom(const QPushButton& button) {
  // The frame and the margin the style keeps around a label.
  constexpr int kPadding = 6;
  return QSize(button.width() - kPadding, button.height() - 2);
}

bool PackingKitDialog::labelFits(const QPushButton& button) {
  const QSize need = labelSize(button.text(), button.font());
  const QSize room = labelRoom(button);
  return need.width() <= room.width() && need.height() <= room.height();
}

PackingKitDialog::PackingKitDialog(QWidget* owner, std::function<void(int)> command,
                                   std::function<void()> closing)
    : QDialog(owner), closing_(std::move(closing)) {
  setObjectName("packingKitDialog");
  setWindowTitle("Packing Kit 排样工具箱");
  setModal(false);
  QFont dialogFont = font();
  dialogFont.setPointSize(kDialogPointSize);
  setFont(dialogFont);
  baseUnits_ = baseUnitsOf(dialogFont);
  const auto toPixels = [this](int x, int y) {
    return QPoint(static_cast<int>(std::lround(x * baseUnits_.width() / 4.0)),
                  static_cast<int>(std::lround(y * baseUnits_.height() / 8.0)));
  };
  for (const KitButton& spec : kButtons) {
    auto* button = new QPushButton(QString::fromUtf8(spec.text), this);
    button->setObjectName(QString("button%1").arg(spec.id));
    const QPoint topLeft = toPixels(spec.x, spec.y);
    const QPoint bottomRight = toPixels(spec.x + spec.width, spec.y + spec.height);
    button->setGeometry(QRect(topLeft, bottomRight - QPoint(1, 1)));
    // The buttons are sized for a narrower dialog font than the ones here: a label that
    // would be clipped ("Right Contac") gets a smaller font, down to 5 points.
    QFont fitted = button->font();
    while (!labelFits(*button) && fitted.pointSizeF() > 5.0) {
      fitted.setPointSizeF(fitted.pointSizeF() - 0.5);
      button->setFont(fitted);
    }
    const int id = spec.id;
    if (id == 1) {
      button->setDefault(true);
      connect(button, &QPushButton::clicked, this, [this] { accept(); });
    } else if (id == 2) {
      connect(button, &QPushButton::clicked, this, [this] { reject(); });
    } else {
      connect(button, &QPushButton::clicked, this, [command, id] { command(id); });
    }
  }
  const QPoint size = toPixels(kDialogWidthUnits, kDialogHeightUnits);
  setFixedSize(size.x(), size.y());
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
