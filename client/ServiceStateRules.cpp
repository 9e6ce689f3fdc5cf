#include "client/ServiceStateRules.h"

#include "service/ServiceModel.h"

namespace client {
namespace {

namespace connection = vesk::model::connection;
constexpr FlagChange K = FlagChange::Keep, S = FlagChange::Set, C = FlagChange::Clear;

constexpr ConnectionRule kConnectionRules[] = {
    {connection::Disconnected, C, K, "Not Connected", false},
    {connection::Connected, S, C, "Connected - Not Authorized", false},
    // Refused or withdrawn: says nothing about the connection, which keeps its flag.
    {connection::NotAuthorized, K, C, "Connected - Not Authorized", false},
    {connection::Authorized, K, S, "Connected", false},
    {connection::Updated, K, K, nullptr, true},
};
constexpr ConnectionRule kUnnamedState = {0, K, K, nullptr, false};

constexpr RecordingKindEffect kRecordingKinds[] = {
    RecordingKindEffect::NotRunning,  // 0
    RecordingKindEffect::Running,     // 1
    RecordingKindEffect::Running,     // 2
    RecordingKindEffect::Paused,      // 3
    RecordingKindEffect::Resumed,     // 4
    RecordingKindEffect::NotRunning,  // 5
    RecordingKindEffect::NotRunning,  // 6
    RecordingKindEffect::NotRunning,  // 7
};

}  // namespace

const ConnectionRule& ConnectionRuleFor(std::uint32_t state) {
  for (const ConnectionRule& rule : kConnectionRules) {
    if (rule.state == state) return rule;
  }
  return kUnnamedState;
}

RecordingKindEffect ClassifyRecordingKind(std::uint32_t kind) {
  constexpr std::uint32_t kKinds = sizeof kRecordingKinds / sizeof kRecordingKinds[0];
  return kind < kKinds ? kRecordingKinds[kind] : RecordingKindEffect::Ignored;
}

}  // namespace client
