// The status icon and text for every combination of the four flags, on both icon sets, and the
// service-state rules that change the flags.
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "service/ServiceModel.h"
#include "client/ServiceStateRules.h"
#include "client/StatusPresentation.h"

namespace {

using client::StatusFlags;

struct StatusRow {
  bool recording, connected, authorized, monitored;
  int flatIcon, legacyIcon;
  const char* text;
};

// Recording wins over everything; "not connected" over the authorisation and monitored flags;
// the monitored flag counts only when connected and authorised.
const StatusRow kRows[] = {
    {true, false, false, false, IDI_STATUS_RECORDING, IDI_STATUS_RECORDING_LEGACY, "Recording"},
    {true, true, true, true, IDI_STATUS_RECORDING, IDI_STATUS_RECORDING_LEGACY, "Recording"},
    {false, false, false, false, IDI_STATUS_NOT_CONNECTED, IDI_STATUS_NOT_CONNECTED_LEGACY, "Not Connected"},
    {false, false, true, true, IDI_STATUS_NOT_CONNECTED, IDI_STATUS_NOT_CONNECTED_LEGACY, "Not Connected"},
    {false, true, false, false, IDI_STATUS_NOT_AUTHORIZED, IDI_STATUS_NOT_AUTHORIZED_LEGACY, "Connected - Not Authorized"},
    {false, true, false, true, IDI_STATUS_NOT_AUTHORIZED, IDI_STATUS_NOT_AUTHORIZED_LEGACY, "Connected - Not Authorized"},
    {false, true, true, true, IDI_STATUS_MONITORED, IDI_STATUS_MONITORED_LEGACY, "Connected - Monitored"},
    {false, true, true, false, IDI_STATUS_CONNECTED, IDI_STATUS_CONNECTED_LEGACY, "Connected"},
};

TEST(StatusPresentation, IconAndTextFollowTheFirstMatchingRow) {
  for (const StatusRow& row : kRows) {
    StatusFlags flags;
    flags.recording = row.recording;
    flags.connected = row.connected;
    flags.authorized = row.authorized;
    flags.monitored = row.monitored;
    SCOPED_TRACE(std::string(row.text) + (row.recording ? " rec" : "") +
                 (row.connected ? " conn" : "") + (row.authorized ? " auth" : "") +
                 (row.monitored ? " mon" : ""));
    EXPECT_EQ(client::StatusIconId(flags, true), row.flatIcon);
    EXPECT_EQ(client::StatusIconId(flags, false), row.legacyIcon);
    EXPECT_STREQ(client::StatusText(flags), row.text);
  }
  EXPECT_EQ(client::NotConnectedIconId(true), IDI_STATUS_NOT_CONNECTED);
  EXPECT_EQ(client::NotConnectedIconId(false), IDI_STATUS_NOT_CONNECTED_LEGACY);
}

TEST(StatusPresentation, EveryTooltipFitsTheTooltipField) {
  for (const StatusRow& row : kRows) EXPECT_LT(std::string(row.text).size(), 128u);
  EXPECT_LT(std::string(client::kAppTitle).size(), 128u);
  EXPECT_LE(std::string(client::kUpdateBalloonText).size(), 255u);
  EXPECT_LE(std::string(client::kUpdateBalloonTitle).size(), 63u);
}

TEST(ServiceStateRules, RecordingKindsAreComparedUnsigned) {
  using client::RecordingKindEffect;
  const RecordingKindEffect expected[] = {
      RecordingKindEffect::NotRunning, RecordingKindEffect::Running, RecordingKindEffect::Running,
      RecordingKindEffect::Paused,     RecordingKindEffect::Resumed, RecordingKindEffect::NotRunning,
      RecordingKindEffect::NotRunning, RecordingKindEffect::NotRunning};
  for (std::uint32_t kind = 0; kind < 8; ++kind) {
    EXPECT_EQ(client::ClassifyRecordingKind(kind), expected[kind]) << kind;
  }
  EXPECT_EQ(client::ClassifyRecordingKind(8), RecordingKindEffect::Ignored);
  // -1 as the service's signed code is above 7 when compared unsigned.
  EXPECT_EQ(client::ClassifyRecordingKind(static_cast<std::uint32_t>(-1)), RecordingKindEffect::Ignored);
  EXPECT_EQ(client::ClassifyRecordingKind(0x80000001u), RecordingKindEffect::Ignored);
}

}  // namespace
