// How a part list's settings reach the nester.
#include <gtest/gtest.h>

#include "loading/load.h"

namespace platenest {
namespace {

TEST(ConfigSectionTest, ApplyCopiesTheSettingsIntoTheNester) {
  Nester nester;

  NestConfig config;
  config.staPlate_0 = 3000;
  config.staPlate_1 = 1500;
  config.partToPartGap = 0.1f;
  config.partToMplateGap = 2;
  config.bPartTurnover = false;
  config.bHolePart = true;
  config.minPlate_0 = 1000.5f;
  config.minPlate_1 = 800;
  config.maxPlate_0 = 8000;
  config.maxPlate_1 = 2500;
  config.feetLength_0 = 50;
  config.feetLength_1 = 150;
  config.minPartGap = 3;
  config.maxPartGap = 4;
  config.nestType = 9;
  applyConfig(nester, config);

  // Single precision all the way: 0.1 arrives as the float nearest 0.1, widened.
  EXPECT_EQ(nester.partGap, 0.100000001490116119384765625);
  EXPECT_NE(nester.partGap, 0.1);
  EXPECT_EQ(nester.settings.partToPartGap, nester.partGap);
  EXPECT_EQ(nester.plateLength(), 3000);
  EXPECT_EQ(nester.plateWidth(), 1500);
  EXPECT_EQ(nester.settings.staPlate_0, 3000);
  EXPECT_EQ(nester.settings.staPlate_1, 1500);
  EXPECT_FALSE(nester.bPartTurnover);
  EXPECT_TRUE(nester.settings.bHolePart);
  EXPECT_EQ(nester.settings.partToMplateGap, 2);
  EXPECT_EQ(nester.settings.minPlate_0, 1000.5);
  EXPECT_EQ(nester.settings.minPlate_1, 800);
  EXPECT_EQ(nester.settings.maxPlate_0, 8000);
  EXPECT_EQ(nester.settings.maxPlate_1, 2500);
  EXPECT_EQ(nester.settings.feetLength_0, 50);
  EXPECT_EQ(nester.settings.feetLength_1, 150);
  EXPECT_EQ(nester.settings.minPartGap, 3);
  EXPECT_EQ(nester.settings.maxPartGap, 4);
}

}  // namespace
}  // namespace platenest
