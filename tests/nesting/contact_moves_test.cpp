// Contact moves and collision-tested moves: slides that end exactly at the plate edge or
// within 0.01 mm of another part, slides that cannot start, slides towards a part that is
// never met, the drag whose horizontal and vertical shares are judged apart, and refused
// moves that restore the part bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "engine_test_support.h"
#include "nesting/overlap.h"

namespace platenest {
namespace {

using engine_test::makePart;
using engine_test::makeRectangle;
using engine_test::randomStar;
using engine_test::rectangleOutline;
using engine_test::samePose;
using engine_test::Scene;

TEST(ContactTest, SlideLeftEndsExactlyAtThePlateEdge) {
  Scene scene(1000, 500, 30);
  scene.setParts({makeRectangle(300, 100, 400, 150)});
  Nester& nester = scene.nester();
  const std::uint64_t before = nester.fitTestCount();
  contactLeft(nester.layout(), scene.part(0));
  EXPECT_EQ(scene.part(0).box().minX, 0);
  EXPECT_EQ(scene.part(0).box().minY, 100);
  // 24 passing steps of 12.5 and the failing 25th, then one failing step on each of the 11
  // finer levels down to 12.5 / 2048 < 0.01.
  EXPECT_EQ(nester.fitTestCount() - before, 25u + 11u);
}

struct DirectionCase {
  const char* name;
  ContactDirection direction;
  double minX, minY;  // where the 100 x 50 part ends on the empty 1000 x 500 plate
};

TEST(ContactTest, EveryDirectionReachesItsPlateEdge) {
  const DirectionCase cases[] = {
      {"left", ContactDirection::kLeft, 0, 200},
      {"right", ContactDirection::kRight, 900, 200},
      {"up", ContactDirection::kUp, 300, 450},
      {"down", ContactDirection::kDown, 300, 0},
  };
  for (const DirectionCase& c : cases) {
    Scene scene(1000, 500, 30);
    PlacedPart part = makeRectangle(300, 200, 400, 250);
    part.selected = true;
    scene.setParts({part, makeRectangle(1200, 0, 1300, 50)});
    scene.nester().contactSelected(c.direction);
    EXPECT_NEAR(scene.part(0).box().minX, c.minX, 1e-9) << c.name;
    EXPECT_NEAR(scene.part(0).box().minY, c.minY, 1e-9) << c.name;
    // The unselected part stays.
    EXPECT_EQ(scene.part(1).box().minX, 1200) << c.name;
  }
}

TEST(ContactTest, PartRestingOnAnotherDoesNotMoveDown) {
  Scene scene(1000, 500, 30);
  scene.setParts({makeRectangle(0, 0, 200, 100), makeRectangle(50, 100, 150, 150)});
  Nester& nester = scene.nester();
  const PlacedPart before = scene.part(1);
  contactDown(nester.layout(), scene.part(1));
  EXPECT_TRUE(samePose(scene.part(1), before));
}

TEST(ContactTest, SlideStopsWithinAHundredthOfAMillimetreOfTheNextPart) {
  Scene scene(1000, 500, 30);
  scene.setParts({makeRectangle(100, 0, 200, 50), makeRectangle(205, 0, 305, 50)});
  Nester& nester = scene.nester();
  contactLeft(nester.layout(), scene.part(1));
  const double gap = scene.part(1).box().minX - scene.part(0).box().maxX;
  EXPECT_LT(gap, 0.01);
  EXPECT_GT(gap, -1e-5);
  EXPECT_TRUE(nester.fitsAmongOthers(scene.part(1)));
  EXPECT_TRUE(nester.markConflictingParts());
}

TEST(ContactTest, SelectedPartsSlideInListOrderAndMeetEachOther) {
  Scene scene(1000, 500, 30);
  PlacedPart first = makeRectangle(300, 0, 400, 50);
  PlacedPart second = makeRectangle(600, 0, 700, 50);
  first.selected = second.selected = true;
  scene.setParts({first, second});
  scene.nester().contactSelected(ContactDirection::kLeft);
  EXPECT_EQ(scene.part(0).box().minX, 0);
  EXPECT_GT(scene.part(1).box().minX, 100 - 1e-5);
  EXPECT_LT(scene.part(1).box().minX, 100.01);
}

TEST(ContactTest, ZeroStepDoesNotSlideForever) {
  // No PPD, and a part without height: the first step would be zero.
  Scene scene(1000, 500, 0);
  scene.setParts({makeRectangle(300, 100, 400, 150)});
  const PlacedPart before = scene.part(0);
  contactLeft(scene.nester().layout(), scene.part(0));
  EXPECT_TRUE(samePose(scene.part(0), before));
  scene.nester().setPackingPointDistance(-5);
  contactRight(scene.nester().layout(), scene.part(0));
  EXPECT_TRUE(samePose(scene.part(0), before));

  Scene flat(1000, 500, 30);
  flat.setParts({makePart({{300, 100}, {400, 100}, {350, 100}})});
  const PlacedPart flatBefore = flat.part(0);
  contactLeft(flat.nester().layout(), flat.part(0));
  EXPECT_TRUE(samePose(flat.part(0), flatBefore));
}

TEST(ContactTest, CandidateSlidesTestAgainstEveryPart) {
  Scene scene(1000, 500, 30);
  scene.setParts({makeRectangle(0, 0, 100, 100)});
  PlacedPart candidate = makeRectangle(300, 300, 350, 350);
  contactLeftCandidate(scene.nester().layout(), candidate);
  EXPECT_EQ(candidate.box().minX, 0);
  contactDownCandidate(scene.nester().layout(), candidate);
  EXPECT_GT(candidate.box().minY, 100 - 1e-5);
  EXPECT_LT(candidate.box().minY, 100.01);
}

// `count` star-shaped parts of the given radius and vertex count, spread over a plate of
// length × width (40 mm in from its edges); they may overlap.
std::vector<PlacedPart> randomParts(std::mt19937& random, int count, double length, double width,
                                    double radius, int vertices) {
  std::uniform_real_distribution<double> along(40, length - 40), across(40, width - 40);
  std::vector<PlacedPart> list;
  for (int i = 0; i < count; ++i) {
    list.push_back(makePart(randomStar(random, along(random), across(random), 8, radius, vertices)));
  }
  return list;
}

// The slide written out plainly, testing every part of the list at every step.
void plainSlide(Nester& nester, PlacedPart& part, double ux, double uy, bool member) {
  const double w = part.box().maxX - part.box().minX, h = part.box().maxY - part.box().minY;
  const double s = std::min(0.25 * std::min(w, h), nester.packingPointDistance());
  if (!(s > 0) || !std::isfinite(s)) return;
  const double limit = ux != 0 ? nester.plateRect().maxX - nester.plateRect().minX
                               : nester.plateRect().maxY - nester.plateRect().minY;
  const double bound = std::max(limit, 0.0) + s;
  double dx = s * ux, dy = s * uy, travelled = 0;
  auto passes = [&] { return member ? nester.fitsAmongOthers(part) : nester.fits(part); };
  for (;;) {
    const double step = std::fabs(dx) + std::fabs(dy);
    for (;;) {
      part.translate(dx, dy);
      if (!passes()) break;
      travelled += step;
      if (travelled >= bound) return;
    }
    part.translate(-dx, -dy);
    if (std::fabs(dx) < 0.01 && std::fabs(dy) < 0.01) return;
    dx /= 2;
    dy /= 2;
  }
}

// The slides test only the parts in their way; on crowded random plates, with parts level
// with the slider's box edges to within the box rule, they must end where a slide testing
// every part ends, bit for bit.
TEST(ContactTest, SlidesEndWhereASlideTestingEveryPartEnds) {
  std::mt19937 random(20261207);
  for (int round = 0; round < 6; ++round) {
    Scene scene(1000, 600, 7 + round);
    std::vector<PlacedPart> list = randomParts(random, 24, 1000, 600, 35, 9);
    // Neighbours whose boxes end on, just within or just beyond the first part's box edges.
    const BoundingBox first = list[0].outer.box();
    for (const double offset : {0.0, 4e-6, -4e-6, 2e-5}) {
      list.push_back(makeRectangle(first.maxX + 50, first.maxY + offset, first.maxX + 80,
                                   first.maxY + 40));
      list.push_back(makeRectangle(first.minX - 40, first.minY - 30, first.minX - 10,
                                   first.minY + offset));
    }
    scene.setParts(list);
    Nester& nester = scene.nester();
    for (std::size_t n = 0; n < list.size(); ++n) {
      for (int direction = 0; direction < 4; ++direction) {
        const double ux = direction == 0 ? -1 : direction == 1 ? 1 : 0;
        const double uy = direction == 2 ? -1 : direction == 3 ? 1 : 0;
        PlacedPart& part = scene.part(n);
        const PlacedPart start = part;
        switch (direction) {
          case 0: contactLeft(nester.layout(), part); break;
          case 1: contactRight(nester.layout(), part); break;
          case 2: contactDown(nester.layout(), part); break;
          default: contactUp(nester.layout(), part); break;
        }
        const PlacedPart slid = part;
        part = start;
        plainSlide(nester, part, ux, uy, true);
        ASSERT_TRUE(samePose(slid, part)) << "round " << round << " part " << n << " dir "
                                          << direction;
        part = start;
      }
      // A copy slides as a candidate, meeting the part it was copied from too.
      PlacedPart candidate = scene.part(n);
      candidate.translate(3, 2);
      PlacedPart plain = candidate;
      contactLeftCandidate(nester.layout(), candidate);
      plainSlide(nester, plain, -1, 0, false);
      ASSERT_TRUE(samePose(candidate, plain)) << "round " << round << " part " << n;
      contactDownCandidate(nester.layout(), candidate);
      plainSlide(nester, plain, 0, -1, false);
      ASSERT_TRUE(samePose(candidate, plain)) << "round " << round << " part " << n;
    }
  }
}

// A part placed by the search slides left and down among the parts the search gathered (those
// that may meet a part on the plate); parts just beyond the plate's edges are left out of that
// list and must make no difference.
TEST(ContactTest, SlidesAmongTheGatheredPartsEndAsTheSlidesOverEveryPart) {
  std::mt19937 random(7);
  for (int round = 0; round < 4; ++round) {
    Scene scene(1000, 500, 9 + round);
    std::vector<PlacedPart> list = randomParts(random, 20, 1000, 500, 30, 11);
    // Beyond the left and bottom edges by a hair, and parked right of the plate.
    list.push_back(makeRectangle(-50, 100, 2e-6 - 1e-6, 300));
    list.push_back(makeRectangle(200, -40, 400, -1e-7));
    list.push_back(makeRectangle(1100, 0, 1200, 100));
    scene.setParts(list);
    Nester& nester = scene.nester();
    std::vector<const PlacedPart*> gathered;
    std::vector<BoundingBox> boxes;
    for (const PlacedPart& part : nester.parts) {
      if (!mayMeetCandidates(part, nester.plateRect())) continue;
      gathered.push_back(&part);
      boxes.push_back(part.outer.box());
    }
    ASSERT_LT(gathered.size(), list.size());
    for (std::size_t n = 0; n < list.size(); ++n) {
      PlacedPart& part = scene.part(n);
      const PlacedPart start = part;
      contactLeftAndDownAmong(nester.layout(), part, gathered, boxes);
      const PlacedPart slid = part;
      part = start;
      contactLeft(nester.layout(), part);
      contactDown(nester.layout(), part);
      ASSERT_TRUE(samePose(slid, part)) << "round " << round << " part " << n;
      part = start;
    }
  }
}

struct SlideToCase {
  const char* name;
  BoundingBox start;  // of the sliding 100 x 50 part
  int direction;      // 0 left, 1 up, 2 down
  bool meets;
};

// The slides towards one part ignore the plate; the other part (100 x 100 at (500, 500))
// stops them, or, when they are not level with it, they end once past it.
TEST(SlideToTest, SlidesEndAtTheOtherPartOrOncePastIt) {
  const SlideToCase cases[] = {
      {"left, level", {900, 1000, 520, 570}, 0, true},
      {"left, above it", {900, 1000, 700, 750}, 0, false},
      {"left, already past", {100, 200, 520, 570}, 0, false},
      {"up, level", {520, 620, 100, 150}, 1, true},
      {"up, beside it", {700, 800, 100, 150}, 1, false},
      {"down, level", {520, 620, 900, 950}, 2, true},
      {"down, beside it", {300, 400, 900, 950}, 2, false},
  };
  for (const SlideToCase& c : cases) {
    Scene scene(6000, 4000, 30);
    const PlacedPart other = makeRectangle(500, 500, 600, 600);
    PlacedPart part = makeRectangle(c.start.minX, c.start.minY, c.start.maxX, c.start.maxY);
    Nester& nester = scene.nester();
    if (c.direction == 0) slideLeftTo(nester.layout(), part, other);
    if (c.direction == 1) slideUpTo(nester.layout(), part, other);
    if (c.direction == 2) slideDownTo(nester.layout(), part, other);
    EXPECT_TRUE(part.isClearOf(other)) << c.name;
    const double gap = c.direction == 0   ? part.box().minX - other.box().maxX
                       : c.direction == 1 ? other.box().minY - part.box().maxY
                                          : part.box().minY - other.box().maxY;
    if (c.meets) {
      EXPECT_LT(gap, 0.01) << c.name;
      EXPECT_GT(gap, -1e-5) << c.name;
    } else {
      // Past the other part's box, having gone no further than needed to pass it plus one
      // first step (12.5 mm).
      const double past = c.direction == 0   ? other.box().minX - part.box().maxX
                          : c.direction == 1 ? part.box().minY - other.box().maxY
                                             : other.box().minY - part.box().maxY;
      const double needed = c.direction == 0   ? c.start.maxX - other.box().minX
                            : c.direction == 1 ? other.box().maxY - c.start.minY
                                               : c.start.maxY - other.box().minY;
      const double travelled = c.direction == 0   ? c.start.minX - part.box().minX
                               : c.direction == 1 ? part.box().minY - c.start.minY
                                                  : c.start.minY - part.box().minY;
      EXPECT_GE(past, 0) << c.name;
      EXPECT_GT(travelled, 0) << c.name;
      EXPECT_LE(travelled, std::max(needed, 0.0) + 12.5 + 1e-9) << c.name;
    }
  }
}

TEST(MoveSelectedTestedTest, HorizontalAndVerticalSharesAreJudgedApart) {
  Scene scene(1000, 500, 30);
  PlacedPart part = makeRectangle(100, 400, 200, 450);
  part.selected = true;
  scene.setParts({part});
  scene.nester().moveSelectedTested(100, 100);
  EXPECT_EQ(scene.part(0).box().minX, 200);
  EXPECT_EQ(scene.part(0).box().minY, 400);
  scene.nester().moveSelectedTested(-50, -300);
  EXPECT_EQ(scene.part(0).box().minX, 150);
  EXPECT_EQ(scene.part(0).box().minY, 100);
}

TEST(MoveSelectedTestedTest, RefusedMoveRestoresThePartBitForBit) {
  Scene scene(1000, 500, 30);
  // Two holes, so that a restore through a single copy would show them reversed.
  PlacedPart framed =
      makePart(rectangleOutline(100.1, 100.3, 300.7, 200.9),
               {rectangleOutline(110, 110, 150, 150), rectangleOutline(200, 110, 250, 150)});
  framed.selected = true;
  framed.rotateAbout(Point(123.4, 156.7), 0.3);
  scene.setParts({framed, makeRectangle(400, 0, 500, 500)});
  PlacedPart& part = scene.part(0);
  const PlacedPart once = part;
  const PlacedPart before = once;               // copied twice: holes in their order
  scene.nester().moveSelectedTested(200, 400);  // into the wall, and off the plate
  EXPECT_TRUE(samePose(part, before));
  EXPECT_EQ(part.holes[0].vertex(0).x, before.holes[0].vertex(0).x);
}

TEST(MoveSelectedTestedTest, PartOffThePlateMovesOnlyWhenTheMovePutsItWhollyOnIt) {
  Scene scene(1000, 500, 30);
  PlacedPart part = makeRectangle(1050, 100, 1150, 150);
  part.selected = true;
  scene.setParts({part});
  scene.nester().moveSelectedTested(-100, 0);  // would still cross the edge
  EXPECT_EQ(scene.part(0).box().minX, 1050);
  scene.nester().moveSelectedTested(-200, 0);
  EXPECT_EQ(scene.part(0).box().minX, 850);
}

}  // namespace
}  // namespace platenest
