#include "service/FakeService.h"

#include <chrono>

namespace sivrel_test {

FakeService::FakeService() {
  settings.allowRecordingControl = true;
  settings.allowComments = false;
  settings.showTrayIcon = true;
}

FakeService::~FakeService() { StopStorm(); }

void FakeService::Record(const std::string& name, const std::string& argument) {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    calls_.push_back(Call{name, argument, std::this_thread::get_id()});
  }
  changed_.notify_all();
}

std::vector<FakeService::Call> FakeService::Calls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return calls_;
}

std::vector<std::string> FakeService::CallNames() const {
  std::vector<std::string> names;
  for (const Call& call : Calls()) names.push_back(call.name);
  return names;
}

std::vector<std::string> FakeService::ArgumentsOf(const std::string& name) const {
  std::vector<std::string> arguments;
  for (const Call& call : Calls())
    if (call.name == name) arguments.push_back(call.argument);
  return arguments;
}

int FakeService::CountOf(const std::string& name) const {
  return static_cast<int>(ArgumentsOf(name).size());
}

void FakeService::Note(const std::string& marker) { Record(marker); }

bool FakeService::WaitForCount(const std::string& name, int count) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::seconds(10), [&] {
    int seen = 0;
    for (const Call& call : calls_) seen += call.name == name;
    return seen >= count;
  });
}

void FakeService::RaiseConnectionState(vesk::model::connection::State state) {
  if (auto handler = Subscription(connectionState_)) {
    lastConnectionState = &state;
    handler(state);
  }
}

void FakeService::RaiseRecordingState(std::uint32_t kind) {
  vesk::model::media::RecordingState state;
  state.kind = kind;
  if (auto handler = Subscription(recordingState_)) {
    lastRecordingState = &state;
    handler(state);
  }
}

void FakeService::RaiseUploadProgress(unsigned char percent) {
  if (auto handler = Subscription(uploadProgress_)) handler(percent);
}
void FakeService::RaiseMonitored(bool monitored) {
  if (auto handler = Subscription(monitored_)) handler(monitored);
}
void FakeService::RaiseSettingsChanged() {
  if (auto handler = Subscription(settingsChanged_)) handler();
}
void FakeService::RaiseShutdown() {
  if (auto handler = Subscription(shutdown_)) handler();
}
void FakeService::RaiseUpdated() {
  if (auto handler = Subscription(updated_)) handler();
}
void FakeService::RaiseNotification(const std::string& text) {
  if (auto handler = Subscription(notification_)) {
    lastNotification = &text;
    handler(text);
  }
}

std::thread::id FakeService::RaiseOnOwnThread(const std::function<void(FakeService&)>& raise) {
  std::thread thread([this, &raise] { raise(*this); });
  const std::thread::id id = thread.get_id();
  thread.join();
  return id;
}

void FakeService::StartStorm(int threads) {
  storming_ = true;
  for (int i = 0; i < threads; ++i) {
    storm_.emplace_back([this, i] {
      unsigned n = static_cast<unsigned>(i);
      while (storming_) {
        switch (n++ % 8) {
          case 0: RaiseConnectionState(static_cast<vesk::model::connection::State>(n % 5)); break;
          case 1: RaiseRecordingState(n % 9); break;
          case 2: RaiseUploadProgress(static_cast<unsigned char>(n % 101)); break;
          case 3: RaiseMonitored(n % 2 == 0); break;
          case 4: RaiseSettingsChanged(); break;
          case 5: RaiseShutdown(); break;
          case 6: RaiseUpdated(); break;
          default: RaiseNotification("storm " + std::to_string(n)); break;
        }
        ++stormEvents_;
      }
    });
  }
}

void FakeService::StopStorm() {
  storming_ = false;
  for (std::thread& thread : storm_) thread.join();
  storm_.clear();
}

const char* FakeService::GetVersion() { Record("GetVersion"); return version; }
const char* FakeService::GetTextFilePath() { Record("GetTextFilePath"); return textFilePath; }
void FakeService::Start() { Record("Start"); }
void FakeService::Stop() { Record("Stop"); }
void FakeService::StartRecording(const std::string& id) { Record("StartRecording", id); }
void FakeService::StopRecording(const std::string& id) { Record("StopRecording", id); }
void FakeService::PauseRecording() { Record("PauseRecording"); }
void FakeService::ResumeRecording() { Record("ResumeRecording"); }
void FakeService::AddComment(const std::string& text) { Record("AddComment", text); }

void FakeService::SubscribeConnectionState(
    std::function<void(const vesk::model::connection::State&)> handler) {
  Record("SubscribeConnectionState");
  std::lock_guard<std::mutex> guard(mutex_);
  connectionState_ = std::move(handler);
}
void FakeService::SubscribeRecordingState(
    std::function<void(const vesk::model::media::RecordingState&)> handler) {
  Record("SubscribeRecordingState");
  std::lock_guard<std::mutex> guard(mutex_);
  recordingState_ = std::move(handler);
}
void FakeService::SubscribeUploadProgress(std::function<void(unsigned char)> handler) {
  Record("SubscribeUploadProgress");
  std::lock_guard<std::mutex> guard(mutex_);
  uploadProgress_ = std::move(handler);
}
void FakeService::SubscribeMonitored(std::function<void(bool)> handler) {
  Record("SubscribeMonitored");
  std::lock_guard<std::mutex> guard(mutex_);
  monitored_ = std::move(handler);
}
void FakeService::SubscribeSettingsChanged(std::function<void()> handler) {
  Record("SubscribeSettingsChanged");
  std::lock_guard<std::mutex> guard(mutex_);
  settingsChanged_ = std::move(handler);
}
void FakeService::SubscribeShutdown(std::function<void()> handler) {
  Record("SubscribeShutdown");
  std::lock_guard<std::mutex> guard(mutex_);
  shutdown_ = std::move(handler);
}
void FakeService::SubscribeUpdated(std::function<void()> handler) {
  Record("SubscribeUpdated");
  std::lock_guard<std::mutex> guard(mutex_);
  updated_ = std::move(handler);
}
void FakeService::SubscribeNotification(std::function<void(const std::string&)> handler) {
  Record("SubscribeNotification");
  std::lock_guard<std::mutex> guard(mutex_);
  notification_ = std::move(handler);
}

void FakeService::Release() {
  // As the real service promises: once Release returns, no callback runs.
  StopStorm();
  if (onRelease) onRelease();
  Record("Release");
  std::lock_guard<std::mutex> guard(mutex_);
  connectionState_ = nullptr;
  recordingState_ = nullptr;
  uploadProgress_ = nullptr;
  monitored_ = nullptr;
  settingsChanged_ = nullptr;
  shutdown_ = nullptr;
  updated_ = nullptr;
  notification_ = nullptr;
  released_ = true;
}

const vesk::ServiceSettings* FakeService::GetSettings() {
  Record("GetSettings");
  return &settings;
}

}  // namespace sivrel_test
