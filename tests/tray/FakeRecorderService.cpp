#include "FakeRecorderService.h"

#include <algorithm>
#include <future>

namespace traytest {

namespace {
vesk::IServiceControl* HandOut(void* context) { return static_cast<vesk::IServiceControl*>(context); }
}  // namespace

FakeRecorderService::FakeRecorderService() {
  SetProfile(true, true, true);
  thread_ = std::thread([this] { EventThread(); });
}

FakeRecorderService::~FakeRecorderService() {
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
  edge.context = this;
  return edge;
}

void FakeRecorderService::SetProfile(bool allowRecordingControl, bool allowComments,
                                     bool showTrayIcon) {
  settings_.allowRecordingControl = allowRecordingControl;
  settings_.allowComments = allowComments;
  settings_.showTrayIcon = showTrayIcon;
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

void FakeRecorderService::OnEventThread(const std::function<void()>& raise) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  {
    std::lock_guard<std::mutex> guard(taskMutex_);
    tasks_.push_back([raise, done] {
      raise();
      done->set_value();
    });
  }
  taskReady_.notify_one();
  finished.wait();
}

void FakeRecorderService::Deliver(const std::function<void()>& deliver) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    // While Stop waits for the running callbacks, new ones wait for Stop (a service's event
    // threads queue behind its stop); afterwards they are delivered again, as a service may
    // until its Release.
    idle_.wait(lock, [&] { return !stopping_ || released_; });
    if (released_) return;
    ++running_;
  }
  deliver();
  {
    std::lock_guard<std::mutex> guard(mutex_);
    --running_;
  }
  idle_.notify_all();
}

void FakeRecorderService::WaitForNoCallback() {
  std::unique_lock<std::mutex> lock(mutex_);
  stopping_ = true;
  idle_.wait(lock, [&] { return running_ == 0; });
  stopping_ = false;
  lock.unlock();
  idle_.notify_all();
}

void FakeRecorderService::RaiseConnection(std::uint32_t state) {
  Deliver([&] {
    const auto value = static_cast<vesk::model::connection::State>(state);
    if (connection_) connection_(value);
  });
}
void FakeRecorderService::RaiseRecording(std::uint32_t kind) {
  Deliver([&] {
    vesk::model::media::RecordingState record;
    record.sequence = 7;
    record.kind = kind;
    if (recording_) recording_(record);
  });
}
void FakeRecorderService::RaiseUpload(unsigned char percent) {
  Deliver([&] {
    if (upload_) upload_(percent);
  });
}
void FakeRecorderService::RaiseNotification(const std::string& text) {
  Deliver([&] {
    if (notification_) notification_(text);
  });
}
void FakeRecorderService::RaiseMonitored(bool monitored) {
  Deliver([&] {
    if (monitored_) monitored_(monitored);
  });
}
void FakeRecorderService::RaiseShutdown() {
  Deliver([&] {
    if (shutdown_) shutdown_();
  });
}

void FakeRecorderService::Connection(std::uint32_t state) {
  OnEventThread([&] { RaiseConnection(state); });
}
void FakeRecorderService::Recording(std::uint32_t kind) {
  OnEventThread([&] { RaiseRecording(kind); });
}
void FakeRecorderService::Upload(unsigned char percent) {
  OnEventThread([&] { RaiseUpload(percent); });
}
void FakeRecorderService::Monitored(bool monitored) {
  OnEventThread([&] { RaiseMonitored(monitored); });
}
void FakeRecorderService::SettingsChanged() {
  OnEventThread([&] {
    Deliver([&] {
      if (settingsChanged_) settingsChanged_();
    });
  });
}
void FakeRecorderService::Shutdown() {
  OnEventThread([&] { RaiseShutdown(); });
}
void FakeRecorderService::Updated() {
  OnEventThread([&] {
    Deliver([&] {
      if (updated_) updated_();
    });
  });
}
void FakeRecorderService::Notify(const std::string& text) {
  OnEventThread([&] { RaiseNotification(text); });
}

void FakeRecorderService::Record(const std::string& text) {
  std::lock_guard<std::mutex> guard(mutex_);
  calls_.push_back(CallRecord{text, ::GetCurrentThreadId()});
}

std::vector<std::string> FakeRecorderService::Calls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  std::vector<std::string> out;
  for (const CallRecord& call : calls_) out.push_back(call.text);
  return out;
}

int FakeRecorderService::CountOf(const std::string& name) const {
  return static_cast<int>(ArgumentsOf(name).size());
}

std::vector<std::string> FakeRecorderService::ArgumentsOf(const std::string& name) const {
  std::lock_guard<std::mutex> guard(mutex_);
  std::vector<std::string> out;
  for (const CallRecord& call : calls_) {
    if (call.text == name) {
      out.push_back("");
    } else if (call.text.rfind(name + " ", 0) == 0) {
      out.push_back(call.text.substr(name.size() + 1));
    }
  }
  return out;
}

DWORD FakeRecorderService::ThreadOfLast(const std::string& name) const {
  std::lock_guard<std::mutex> guard(mutex_);
  for (auto it = calls_.rbegin(); it != calls_.rend(); ++it) {
    if (it->text == name || it->text.rfind(name + " ", 0) == 0) return it->thread;
  }
  return 0;
}

const char* FakeRecorderService::GetVersion() {
  Record("GetVersion");
  return version.c_str();
}
const char* FakeRecorderService::GetTextFilePath() {
  Record("GetTextFilePath");
  return textFilePath.c_str();
}
void FakeRecorderService::Start() { Record("Start"); }
void FakeRecorderService::Stop() {
  Record("Stop");
  if (duringStop) duringStop();
  // A stopped service delivers nothing more: it waits for callbacks still running.
  WaitForNoCallback();
}
void FakeRecorderService::StartRecording(const std::string& id) { Record("StartRecording " + id); }
void FakeRecorderService::StopRecording(const std::string& id) { Record("StopRecording " + id); }
void FakeRecorderService::PauseRecording() { Record("PauseRecording"); }
void FakeRecorderService::ResumeRecording() { Record("ResumeRecording"); }
void FakeRecorderService::AddComment(const std::string& text) { Record("AddComment " + text); }

void FakeRecorderService::SubscribeConnectionState(
    std::function<void(const vesk::model::connection::State&)> handler) {
  connection_ = std::move(handler);
}
void FakeRecorderService::SubscribeRecordingState(
    std::function<void(const vesk::model::media::RecordingState&)> handler) {
  recording_ = std::move(handler);
}
void FakeRecorderService::SubscribeUploadProgress(std::function<void(unsigned char)> handler) {
  upload_ = std::move(handler);
}
void FakeRecorderService::SubscribeMonitored(std::function<void(bool)> handler) {
  monitored_ = std::move(handler);
}
void FakeRecorderService::SubscribeSettingsChanged(std::function<void()> handler) {
  settingsChanged_ = std::move(handler);
}
void FakeRecorderService::SubscribeShutdown(std::function<void()> handler) {
  shutdown_ = std::move(handler);
}
void FakeRecorderService::SubscribeUpdated(std::function<void()> handler) {
  updated_ = std::move(handler);
}
void FakeRecorderService::SubscribeNotification(std::function<void(const std::string&)> handler) {
  notification_ = std::move(handler);
}

void FakeRecorderService::Release() {
  Record("Release");
  {
    std::lock_guard<std::mutex> guard(mutex_);
    released_ = true;
  }
  // No subscribed callable runs after Release returns.
  WaitForNoCallback();
}

const vesk::ServiceSettings* FakeRecorderService::GetSettings() { return &settings_; }

}  // namespace traytest
