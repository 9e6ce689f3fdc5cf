// The recorder interface is a binary contract with Korvex.dll: the slot of each virtual operation
// and the layout of the model types must not drift. Both of our compilers use the Itanium C++
// ABI, in which a pointer to a virtual member function holds 1 + the slot's byte offset in the
// vtable, so the slot order can be read without calling anything.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "service/IServiceControl.h"
#include "service/ServiceModel.h"

namespace {

using vesk::IServiceControl;

template <class Pmf>
std::ptrdiff_t SlotOf(Pmf pmf) {
  struct Raw {
    std::ptrdiff_t ptr;
    std::ptrdiff_t adj;
  } raw;
  static_assert(sizeof(Pmf) == sizeof(Raw), "Itanium ABI member function pointers");
  std::memcpy(&raw, &pmf, sizeof raw);
  EXPECT_EQ(raw.ptr & 1, 1) << "not a virtual function";
  return (raw.ptr - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

TEST(ServiceInterface, OperationsKeepTheirSlots) {
  EXPECT_EQ(SlotOf(&IServiceControl::GetVersion), 0);
  EXPECT_EQ(SlotOf(&IServiceControl::GetTextFilePath), 1);
  EXPECT_EQ(SlotOf(&IServiceControl::Start), 2);
  EXPECT_EQ(SlotOf(&IServiceControl::Stop), 3);
  EXPECT_EQ(SlotOf(&IServiceControl::StartRecording), 4);
  EXPECT_EQ(SlotOf(&IServiceControl::StopRecording), 5);
  EXPECT_EQ(SlotOf(&IServiceControl::PauseRecording), 6);
  EXPECT_EQ(SlotOf(&IServiceControl::ResumeRecording), 7);
  EXPECT_EQ(SlotOf(&IServiceControl::AddComment), 8);
  EXPECT_EQ(SlotOf(&IServiceControl::SubscribeConnectionState), 9);
  EXPECT_EQ(SlotOf(&IServiceControl::SubscribeRecordingState), 10);
  EXPECT_EQ(SlotOf(&IServiceControl::SubscribeUploadProgress), 11);
  EXPECT_EQ(SlotOf(&IServiceControl::SubscribeMonitored), 12);
  EXPECT_EQ(SlotOf(&IServiceControl::SubscribeSettingsChanged), 13);
  EXPECT_EQ(SlotOf(&IServiceControl::SubscribeShutdown), 14);
  EXPECT_EQ(SlotOf(&IServiceControl::SubscribeUpdated), 15);
  EXPECT_EQ(SlotOf(&IServiceControl::SubscribeNotification), 16);
  EXPECT_EQ(SlotOf(&IServiceControl::Release), 17);
  EXPECT_EQ(SlotOf(&IServiceControl::GetSettings), 18);
}

TEST(ServiceModel, TypesKeepTheirLayout) {
  using vesk::ScreenRecorderProfile;
  using vesk::model::connection::State;
  using vesk::model::media::RecordingState;
  static_assert(sizeof(State) == 4, "State is stored in 32 bits");
  static_assert(std::is_unsigned<std::underlying_type<State>::type>::value, "compared unsigned");
  static_assert(sizeof(ScreenRecorderProfile) == 3, "three one-byte flags");
  static_assert(offsetof(ScreenRecorderProfile, allowRecordingControl) == 0, "order");
  static_assert(offsetof(ScreenRecorderProfile, allowComments) == 1, "order");
  static_assert(offsetof(ScreenRecorderProfile, showTrayIcon) == 2, "order");
  static_assert(offsetof(RecordingState, kind) > 0, "members ahead of kind");
  static_assert(sizeof(RecordingState::kind) == 4, "a 32-bit code");
  EXPECT_EQ(vesk::model::connection::Disconnected, 0u);
  EXPECT_EQ(vesk::model::connection::Connected, 1u);
  EXPECT_EQ(vesk::model::connection::NotAuthorized, 2u);
  EXPECT_EQ(vesk::model::connection::Authorized, 3u);
  EXPECT_EQ(vesk::model::connection::Updated, 4u);
}

}  // namespace
