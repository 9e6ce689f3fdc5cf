// What a pass over the event queue tells the notification area.
#include <gtest/gtest.h>

#include "tray/TrayUpdateBatch.h"

namespace {

TEST(TrayUpdateBatch, OnlyTheLastOfEachKindRemainsInTheOrderTheyWereLastAskedFor) {
  tray::TrayUpdateBatch batch;
  EXPECT_FALSE(batch.Open());
  batch.Begin();
  EXPECT_TRUE(batch.Open());
  batch.SetIconAndTip(254, "Connected - Not Authorized");
  batch.SetIconAndTip(210, "Connected");
  batch.ShowBalloon("first", "Calyra");
  batch.ShowBalloon("second", "Calyra");
  auto updates = batch.Take();
  EXPECT_TRUE(updates.hasIconAndTip);
  EXPECT_EQ(updates.iconId, 210u);
  EXPECT_EQ(updates.tip, "Connected");
  EXPECT_TRUE(updates.hasBalloon);
  EXPECT_EQ(updates.text, "second");
  EXPECT_FALSE(updates.balloonFirst);
  EXPECT_EQ(batch.Replaced(), 2u);

  // The update notice: balloon first, then icon and tooltip, as one event asks for them.
  batch.ShowBalloon("updated", "Application Update");
  batch.SetIconAndTip(254, "Connected - Not Authorized");
  updates = batch.Take();
  EXPECT_TRUE(updates.balloonFirst);
  // A later balloon comes after the icon again.
  batch.ShowBalloon("a", "t");
  batch.SetIconAndTip(1, "x");
  batch.ShowBalloon("b", "t");
  updates = batch.Take();
  EXPECT_FALSE(updates.balloonFirst);
  EXPECT_EQ(updates.text, "b");

  // Taken means empty.
  updates = batch.Take();
  EXPECT_FALSE(updates.hasIconAndTip);
  EXPECT_FALSE(updates.hasBalloon);
}

TEST(TrayUpdateBatch, NestedPassesKeepTheBatchOpenUntilTheOutermostEnds) {
  tray::TrayUpdateBatch batch;
  batch.Begin();
  batch.Begin();
  batch.End();
  EXPECT_TRUE(batch.Open());
  batch.End();
  EXPECT_FALSE(batch.Open());
  batch.End();  // unbalanced: harmless
  EXPECT_FALSE(batch.Open());
}

}  // namespace
