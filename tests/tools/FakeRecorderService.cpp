#include "tools/FakeRecorderService.h"

#include <chrono>
#include <future>
#include <memory>

namespace sivrel_test {

namespace {
vesk::IServiceControl* HandOut(void* context) { return static_cast<vesk::IServiceControl*>(context); }
}  // namespace

FakeRecorderService::FakeRecorderService() {
  SetProfile(true, true, true);
  thread_ = std::thread([this] { EventThread(); });
}

FakeRecorderService::~FakeRecorderService() {
  StopStorm();
  {
    std::lock_guard<std::mutex> guard(taskMutex_);
    stopThread_ = true;
  }
  taskReady_.notify_one();
  thread_.join();
}

vesk::ServiceEdge FakeRecorderService::Edge() {
  vesk::ServiceEdge edge;
  edge.getService = &HandOut;
  edge.context = static_cast<vesk::IServiceControl*>(this);
  return edge;
}

void FakeRecorderService::SetProfile(bool allowRecordingControl, bool allowComments,
                                     bool showTrayIcon) {
  settings.allowRecordingControl = allowRecordingControl;
  settings.allowComments = allowComments;
  settings.showTrayIcon = showTrayIcon;
}

// ----------------------------------------------------------------- what the client asked

void FakeRecorderService::Record(const std::string& name, const std::string& argument) {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    calls_.push_back(Call{name, argument, std::this_thread::get_id()});
  }
  changed_.notify_all();
  if (duringCall) duringCall(name);
}

std::vector<FakeRecorderService::Call> FakeRecorderService::Calls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return calls_;
}

std::vector<std::string> FakeRecorderService::CallNames() const {
  std::vector<std::string> names;
  for (const Call& call : Calls()) names.push_back(call.name);
  return names;
}

std::vector<std::string> FakeRecorderService::Operations() const {
  std::vector<std::string> names;
  for (const Call& call : Calls()) {
    if (call.name != "GetSettings" && call.name.rfind("Subscribe", 0) != 0) names.push_back(call.name);
  }
  return names;
}

std::vector<std::string> FakeRecorderService::ArgumentsOf(const std::string& name) const {
  std::vector<std::string> arguments;
  for (const Call& call : Calls())
    if (call.name == name) arguments.push_back(call.argument);
  return arguments;
}

int FakeRecorderService::CountOf(const std::string& name) const {
  return static_cast<int>(ArgumentsOf(name).size());
}

std::thread::id FakeRecorderService::ThreadOfLast(const std::string& name) const {
  const std::vector<Call> calls = Calls();
  for (auto it = calls.rbegin(); it != calls.rend(); ++it)
    if (it->name == name) return it->thread;
  return std::thread::id();
}

void FakeRecorderService::Note(const std::string& marker) {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    calls_.push_back(Call{marker, std::string(), std::this_thread::get_id()});
  }
  changed_.notify_all();
}

bool FakeRecorderService::WaitForCount(const std::string& name, int count) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::seconds(10), [&] {
    int seen = 0;
    for (const Call& call : calls_) seen += call.name == name;
    return seen >= count;
  });
}

// ----------------------------------------------------------------- raising

template <class F, class... Args>
void FakeRecorderService::Deliver(const F& slot, const Args&... args) {
  F handler;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    // While Stop waits for the running callbacks, new ones wait for Stop (a service's event
    // threads queue behind its stop); afterwards they are delivered again, as a service may
    // until its Release.
    changed_.wait(lock, [&] { return !stopping_ || released_; });
    if (released_ || !slot) return;
    handler = slot;
    ++running_;
  }
  handler(args...);
  {
    std::lock_guard<std::mutex> guard(mutex_);
    --running_;
  }
  changed_.notify_all();
}

void FakeRecorderService::WaitForNoCallback() {
  std::unique_lock<std::mutex> lock(mutex_);
  stopping_ = true;
  changed_.wait(lock, [&] { return running_ == 0; });
  stopping_ = false;
  lock.unlock();
  changed_.notify_all();
}

void FakeRecorderService::RaiseConnection(std::uint32_t state) {
  const auto value = static_cast<vesk::model::connection::State>(state);
  lastConnectionState = &value;
  Deliver(connection_, value);
}

void FakeRecorderService::RaiseRecording(std::uint32_t kind) {
  vesk::model::media::RecordingState record;
  record.sequence = 7;
  record.kind = kind;
  lastRecordingState = &record;
  Deliver(recording_, record);
}

void FakeRecorderService::RaiseUpload(unsigned char percent) { Deliver(upload_, percent); }
void FakeRecorderService::RaiseMonitored(bool monitored) { Deliver(monitored_, monitored); }
void FakeRecorderService::RaiseSettingsChanged() { Deliver(settingsChanged_); }
void FakeRecorderService::RaiseShutdown() { Deliver(shutdown_); }
void FakeRecorderService::RaiseUpdated() { Deliver(updated_); }

void FakeRecorderService::RaiseNotification(const std::string& text) {
  lastNotification = &text;
  Deliver(notification_, text);
}

void FakeRecorderService::EventThread() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock<std::mutex> lock(taskMutex_);
      taskReady_.wait(lock, [&] { return stopThread_ || !tasks_.empty(); });
      if (tasks_.empty()) return;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
}

std::thread::id FakeRecorderService::OnEventThread(const std::function<void()>& raise) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  {
    std::lock_guard<std::mutex> guard(taskMutex_);
    tasks_.push_back([&raise, done] {
      raise();
      done->set_value();
    });
  }
  taskReady_.notify_one();
  finished.wait();
  return thread_.get_id();
}

void FakeRecorderService::StartStorm(int threads) {
  storming_ = true;
  for (int i = 0; i < threads; ++i) {
    storm_.emplace_back([this, i] {
      unsigned n = static_cast<unsigned>(i);
      while (storming_) {
        switch (n++ % 8) {
          case 0: RaiseConnection(n % 5); break;
          case 1: RaiseRecording(n % 9); break;
          case 2: RaiseUpload(static_cast<unsigned char>(n % 101)); break;
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

void FakeRecorderService::StopStorm() {
  storming_ = false;
  for (std::thread& thread : storm_) thread.join();
  storm_.clear();
}

// ----------------------------------------------------------------- vesk::IServiceControl

const char* FakeRecorderService::GetVersion() {
  Record("GetVersion");
  return version;
}
const char* FakeRecorderService::GetTextFilePath() {
  Record("GetTextFilePath");
  return textFilePath;
}
void FakeRecorderService::Start() { Record("Start"); }
void FakeRecorderService::Stop() {
  Record("Stop");
  // A stopped service delivers nothing more: it waits for the callbacks still running.
  WaitForNoCallback();
}
void FakeRecorderService::StartRecording(const std::string& id) { Record("StartRecording", id); }
void FakeRecorderService::StopRecording(const std::string& id) { Record("StopRecording", id); }
void FakeRecorderService::PauseRecording() { Record("PauseRecording"); }
void FakeRecorderService::ResumeRecording() { Record("ResumeRecording"); }
void FakeRecorderService::AddComment(const std::string& text) { Record("AddComment", text); }

template <class F>
void FakeRecorderService::Subscribe(const char* name, F& slot, F handler) {
  Record(name);
  std::lock_guard<std::mutex> guard(mutex_);
  slot = std::move(handler);
}

void FakeRecorderService::SubscribeConnectionState(
    std::function<void(const vesk::model::connection::State&)> handler) {
  Subscribe("SubscribeConnectionState", connection_, std::move(handler));
}
void FakeRecorderService::SubscribeRecordingState(
    std::function<void(const vesk::model::media::RecordingState&)> handler) {
  Subscribe("SubscribeRecordingState", recording_, std::move(handler));
}
void FakeRecorderService::SubscribeUploadProgress(std::function<void(unsigned char)> handler) {
  Subscribe("SubscribeUploadProgress", upload_, std::move(handler));
}
void FakeRecorderService::SubscribeMonitored(std::function<void(bool)> handler) {
  Subscribe("SubscribeMonitored", monitored_, std::move(handler));
}
void FakeRecorderService::SubscribeSettingsChanged(std::function<void()> handler) {
  Subscribe("SubscribeSettingsChanged", settingsChanged_, std::move(handler));
}
void FakeRecorderService::SubscribeShutdown(std::function<void()> handler) {
  Subscribe("SubscribeShutdown", shutdown_, std::move(handler));
}
void FakeRecorderService::SubscribeUpdated(std::function<void()> handler) {
  Subscribe("SubscribeUpdated", updated_, std::move(handler));
}
void FakeRecorderService::SubscribeNotification(std::function<void(const std::string&)> handler) {
  Subscribe("SubscribeNotification", notification_, std::move(handler));
}

void FakeRecorderService::Release() {
  StopStorm();
  // The hook may still raise: a service may deliver while it is being released.
  Record("Release");
  {
    std::lock_guard<std::mutex> guard(mutex_);
    released_ = true;
  }
  changed_.notify_all();
  // As the real service promises: once Release returns, no callback runs.
  WaitForNoCallback();
  std::lock_guard<std::mutex> guard(mutex_);
  connection_ = nullptr;
  recording_ = nullptr;
  upload_ = nullptr;
  monitored_ = nullptr;
  settingsChanged_ = nullptr;
  shutdown_ = nullptr;
  updated_ = nullptr;
  notification_ = nullptr;
}

const vesk::ServiceSettings* FakeRecorderService::GetSettings() {
  Record("GetSettings");
  return &settings;
}

}  // namespace sivrel_test
