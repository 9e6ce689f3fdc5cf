// The status icon and text for every combination of the four flags, on both icon sets, and the
// service-state rules that change the flags.
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "service/ServiceModel.h"
#include "tray/ServiceStateRules.h"
#include "tray/StatusPresentation.h"

namespace {

using tray::StatusFlags;

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
    EXPECT_EQ(tray::StatusIconId(flags, true), row.flatIcon);
    EXPECT_EQ(tray::StatusIconId(flags, false), row.legacyIcon);
    EXPECT_STREQ(tray::StatusText(flags), row.text);
  }
  EXPECT_EQ(tray::NotConnectedIconId(true), IDI_STATUS_NOT_CONNECTED);
  EXPECT_EQ(tray::NotConnectedIconId(false), IDI_STATUS_NOT_CONNECTED_LEGACY);
}

TEST(StatusPresentation, EveryTooltipFitsTheTooltipField) {
  for (const StatusRow& row : kRows) EXPECT_LT(std::string(row.text).size(), 128u);
  EXPECT_LT(std::string(tray::kAppTitle).size(), 128u);
  EXPECT_LE(std::string(tray::kUpdateBalloonText).size(), 255u);
  EXPECT_LE(std::string(tray::kUpdateBalloonTitle).size(), 63u);
}

struct ConnectionRow {
  const char* name;
  bool connectedBefore, authorizedBefore;
  std::uint32_t state;
  bool connectedAfter, authorizedAfter;
  const char* tooltip;  // null: the status text of the new flags
  bool updateBalloon;
};

const ConnectionRow kConnectionRows[] = {
    {"Disconnected keeps authorisation", true, true, vesk::model::connection::Disconnected, false, true, "Not Connected", false},
    {"Connected clears authorisation", false, true, vesk::model::connection::Connected, true, false, "Connected - Not Authorized", false},
    {"NotAuthorized while disconnected stays disconnected", false, true, vesk::model::connection::NotAuthorized, false, false, "Connected - Not Authorized", false},
    {"NotAuthorized while connected", true, true, vesk::model::connection::NotAuthorized, true, false, "Connected - Not Authorized", false},
    {"Authorized while disconnected", false, false, vesk::model::connection::Authorized, false, true, "Connected", false},
    {"Authorized", true, false, vesk::model::connection::Authorized, true, true, "Connected", false},
    {"Updated changes nothing but shows the notice", true, true, vesk::model::connection::Updated, true, true, nullptr, true},
    {"unknown value 5", true, false, 5, true, false, nullptr, false},
    {"unknown value 0xffffffff", false, true, 0xffffffffu, false, true, nullptr, false},
};

TEST(ServiceStateRules, ConnectionStatesChangeTheFlagsAsTabled) {
  for (const ConnectionRow& row : kConnectionRows) {
    SCOPED_TRACE(row.name);
    bool connected = row.connectedBefore;
    bool authorized = row.authorizedBefore;
    const tray::ConnectionStateEffect effect =
        tray::ApplyConnectionState(row.state, connected, authorized);
    EXPECT_EQ(connected, row.connectedAfter);
    EXPECT_EQ(authorized, row.authorizedAfter);
    if (row.tooltip) {
      ASSERT_NE(effect.tooltip, nullptr);
      EXPECT_STREQ(effect.tooltip, row.tooltip);
    } else {
      EXPECT_EQ(effect.tooltip, nullptr);
    }
    EXPECT_EQ(effect.showUpdateBalloon, row.updateBalloon);
  }
}

TEST(ServiceStateRules, RecordingKindsAreComparedUnsigned) {
  using tray::RecordingKindEffect;
  const RecordingKindEffect expected[] = {
      RecordingKindEffect::NotRunning, RecordingKindEffect::Running, RecordingKindEffect::Running,
      RecordingKindEffect::Paused,     RecordingKindEffect::Resumed, RecordingKindEffect::NotRunning,
      RecordingKindEffect::NotRunning, RecordingKindEffect::NotRunning};
  for (std::uint32_t kind = 0; kind < 8; ++kind) {
    EXPECT_EQ(tray::ClassifyRecordingKind(kind), expected[kind]) << kind;
  }
  EXPECT_EQ(tray::ClassifyRecordingKind(8), RecordingKindEffect::Ignored);
  // -1 as the service's signed code is above 7 when compared unsigned.
  EXPECT_EQ(tray::ClassifyRecordingKind(static_cast<std::uint32_t>(-1)), RecordingKindEffect::Ignored);
  EXPECT_EQ(tray::ClassifyRecordingKind(0x80000001u), RecordingKindEffect::Ignored);
}

}  // namespace
