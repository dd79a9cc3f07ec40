// The mapping between plate millimetres and client pixels: the fitted example the operator
// sees after a load, truncation toward zero, round trips, pan and zoom, degenerate boxes.
#include "app/view_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace platenest {
namespace {

BoundingBox plate(double length, double width) { return BoundingBox{0, length, 0, width}; }

TEST(ViewTransformTest, FitsTheDefaultPlateIntoAnOddSizedClient) {
  ViewTransform view;
  view.fit(801, 601, plate(6000, 4000));
  EXPECT_DOUBLE_EQ(view.scale(), 0.95 * (801.0 / 6000.0));
  EXPECT_NEAR(view.scale(), 0.126825, 1e-12);
  EXPECT_EQ(view.originX(), 400);
  EXPECT_EQ(view.originY(), 300);
  EXPECT_EQ(view.worldToPixel(Point(3000, 2000)), (Pixel{400, 300}));
  // u = -380.475 and v = -253.65 truncate toward zero to -380 and -253.
  EXPECT_EQ(view.worldToPixel(Point(0, 0)), (Pixel{20, 553}));
  EXPECT_EQ(view.worldToPixel(Point(6000, 4000)), (Pixel{780, 47}));
}

TEST(ViewTransformTest, RoundTripStaysWithinOnePixel) {
  struct Case {
    int width, height;
    BoundingBox box;
  };
  const std::vector<Case> cases = {
      {801, 601, plate(6000, 4000)},
      {1200, 800, plate(3000, 1500)},
      {300, 900, BoundingBox{-50, 50, -2000, 7000}},  // tall, off the origin
  };
  for (const Case& c : cases) {
    ViewTransform view;
    view.fit(c.width, c.height, c.box);
    const double pixelInMm = 1 / view.scale();
    for (double fx = -0.2; fx <= 1.2; fx += 0.1) {
      for (double fy = -0.2; fy <= 1.2; fy += 0.1) {
        const Point p(c.box.minX + fx * c.box.width(), c.box.minY + fy * c.box.height());
        const Pixel q = view.worldToPixel(p);
        const Point back = view.pixelToWorld(q.x, q.y);
        EXPECT_LT(std::fabs(back.x - p.x), pixelInMm) << c.width << "x" << c.height;
        EXPECT_LT(std::fabs(back.y - p.y), pixelInMm) << c.width << "x" << c.height;
      }
    }
    // The whole box lies inside the client after a fit.
    const Pixel low = view.worldToPixel(Point(c.box.minX, c.box.minY));
    const Pixel high = view.worldToPixel(Point(c.box.maxX, c.box.maxY));
    EXPECT_GE(low.x, 0);
    EXPECT_LT(low.y, c.height);
    EXPECT_LT(high.x, c.width);
    EXPECT_GE(high.y, 0);
  }
}

TEST(ViewTransformTest, PanMovesEveryPixelAndFitAllUndoesIt) {
  ViewTransform view;
  view.fit(801, 601, plate(6000, 4000));
  view.pan(25, -7);
  EXPECT_EQ(view.worldToPixel(Point(0, 0)), (Pixel{45, 546}));
  view.fitAll();
  EXPECT_EQ(view.worldToPixel(Point(0, 0)), (Pixel{20, 553}));
}

TEST(ViewTransformTest, ZoomAtKeepsThePointUnderTheCursor) {
  ViewTransform view;
  view.fit(801, 601, plate(6000, 4000));
  const double start = view.scale();
  const Point under = view.pixelToWorld(123, 456);
  for (int notch = 0; notch < 3; ++notch) view.zoomAt(123, 456, view.scale() * 1.1);
  EXPECT_NEAR(view.scale() / start, 1.331, 1e-12);
  const Point after = view.pixelToWorld(123, 456);
  EXPECT_DOUBLE_EQ(after.x, under.x);
  EXPECT_DOUBLE_EQ(after.y, under.y);
  EXPECT_EQ(view.worldToPixel(under), (Pixel{123, 456}));
  // A zoom to nothing is not taken.
  view.zoomAt(10, 10, 0.0);
  EXPECT_NEAR(view.scale() / start, 1.331, 1e-12);
}

TEST(ViewTransformTest, ZoomWindowShowsTheDraggedRectangle) {
  ViewTransform view;
  view.fit(800, 600, plate(6000, 4000));
  const Point corner1 = view.pixelToWorld(100, 400);
  const Point corner2 = view.pixelToWorld(300, 250);
  view.zoomWindow(100, 400, 300, 250);
  // 200 x 150 pixels of a 800 x 600 client: four times larger, no margin.
  EXPECT_NEAR(view.scale() * std::fabs(corner2.x - corner1.x), 800, 1e-9);
  EXPECT_EQ(view.worldToPixel(Point((corner1.x + corner2.x) / 2, (corner1.y + corner2.y) / 2)),
            (Pixel{400, 300}));
  // A click without a drag leaves the view as it was.
  const double before = view.scale();
  view.zoomWindow(50, 50, 50, 50);
  EXPECT_EQ(view.scale(), before);
}

TEST(ViewTransformTest, DegenerateBoxesGiveAFiniteView) {
  ViewTransform line;
  line.fit(801, 601, BoundingBox{0, 6000, 0, 0});  // no height: the width decides
  EXPECT_DOUBLE_EQ(line.scale(), 0.95 * 801 / 6000);
  EXPECT_EQ(line.worldToPixel(Point(3000, 0)), (Pixel{400, 300}));

  ViewTransform nothing;
  nothing.fit(801, 601, BoundingBox{});  // before any load
  EXPECT_TRUE(std::isfinite(nothing.scale()));
  EXPECT_GT(nothing.scale(), 0);
  const Point back = nothing.pixelToWorld(0, 0);
  EXPECT_TRUE(std::isfinite(back.x) && std::isfinite(back.y));

  ViewTransform empty;
  empty.fit(0, 0, plate(6000, 4000));  // a client not yet shown
  EXPECT_TRUE(std::isfinite(empty.scale()));
  EXPECT_GT(empty.scale(), 0);
}

}  // namespace
}  // namespace platenest
