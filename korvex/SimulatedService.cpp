#include "korvex/SimulatedService.h"

#include <chrono>
#include <ctime>

namespace korvex {

namespace {

// How many callbacks of this thread are running: a callback that stops the service must not
// wait for itself.
thread_local int callbacksOnThisThread = 0;

const char kStopped[] =
    "the service is stopped (it raises events only between Start and Stop; the client starts it "
    "once its window exists)";

std::int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

SimulatedService::SimulatedService(SimulatorOptions options)
    : options_(std::move(options)), calls_(options_.callLogPath), commentLog_(options_.commentLogPath) {
  settings_.allowRecordingControl = true;
  settings_.allowComments = true;
  settings_.showTrayIcon = true;
  if (!commentLog_.Path().empty()) commentLog_.Prepare();
}

SimulatedService::~SimulatedService() { StopService(); }

template <class Slot, class... Args>
bool SimulatedService::Deliver(const Slot& slot, const Args&... args) {
  Slot handler;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!running_) return false;
    handler = slot;
    ++inFlight_;
  }
  if (handler) {
    ++callbacksOnThisThread;
    handler(args...);
    --callbacksOnThisThread;
  }
  {
    std::lock_guard<std::mutex> guard(mutex_);
    --inFlight_;
  }
  idle_.notify_all();
  return true;
}

bool SimulatedService::Running() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return running_;
}

bool SimulatedService::RaiseConnection(std::uint32_t state) {
  const auto value = static_cast<vesk::model::connection::State>(state);
  return Deliver(connectionState_, value);
}

bool SimulatedService::RaiseRecording(std::uint32_t kind) {
  vesk::model::media::RecordingState state;
  state.sequence = ++sequence_;
  state.timestamp = NowMs();
  state.kind = kind;
  return Deliver(recordingState_, state);
}

bool SimulatedService::RaiseUpload(unsigned char percent) { return Deliver(uploadProgress_, percent); }

void SimulatedService::ScheduleStartSequence() {
  const std::uint32_t step = options_.connectStepMs;
  scheduler_.Post(0, [this] { RaiseConnection(vesk::model::connection::Disconnected); });
  scheduler_.Post(step, [this] { RaiseConnection(vesk::model::connection::Connected); });
  scheduler_.Post(2 * step, [this] { RaiseConnection(vesk::model::connection::Authorized); });
  scheduler_.Post(3 * step, [this] { Deliver(monitored_, true); });
  for (const ScenarioStep& s : options_.scenario.steps) {
    const ControlCommand command = s.command;
    scheduler_.Post(s.atMs, [this, command] { Execute(command); });
  }
}

void SimulatedService::ScheduleUpload() {
  for (int i = 0; i <= 10; ++i) {
    const auto percent = static_cast<unsigned char>(10 * i);
    scheduler_.Post(options_.uploadStepMs * static_cast<std::uint32_t>(i + 1),
                    [this, percent] { RaiseUpload(percent); });
  }
}

Answer SimulatedService::ExecuteLine(const std::string& line) {
  const ParsedCommand parsed = ParseControlCommand(line);
  if (!parsed.ok) return Answer{false, parsed.error};
  return Execute(parsed.command);
}

Answer SimulatedService::Execute(const ControlCommand& command) {
  const std::string value = std::to_string(command.value);
  switch (command.kind) {
    case CommandKind::Help:
      return Answer{true, ControlHelpText()};
    case CommandKind::Calls:
      return Answer{true, calls_.Text()};
    case CommandKind::Connection:
      if (!RaiseConnection(command.value)) break;
      return Answer{true, "raised connection state " + value};
    case CommandKind::Recording: {
      {
        std::lock_guard<std::mutex> guard(mutex_);
        if (!running_) break;
        // Keep the simulated recording in step, so that a later stop uploads as it should.
        recording_ = command.value >= 1 && command.value <= 4;
        paused_ = command.value == 3;
      }
      if (!RaiseRecording(command.value)) break;
      return Answer{true, "raised recording state " + value};
    }
    case CommandKind::Upload:
      if (!RaiseUpload(static_cast<unsigned char>(command.value))) break;
      return Answer{true, "raised upload progress " + value};
    case CommandKind::Monitored:
      if (!Deliver(monitored_, command.value != 0)) break;
      return Answer{true, std::string("raised monitored ") + (command.value ? "true" : "false")};
    case CommandKind::Profile:
      if (!Running()) break;
      settings_.allowRecordingControl = command.allowRecordingControl;
      settings_.allowComments = command.allowComments;
      settings_.showTrayIcon = command.showTrayIcon;
      if (!Deliver(settingsChanged_)) break;
      return Answer{true, "profile set, raised settings changed"};
    case CommandKind::Updated:
      if (!Deliver(updated_)) break;
      return Answer{true, "raised updated"};
    case CommandKind::Notify:
      if (!Deliver(notification_, command.text)) break;
      return Answer{true, "raised notification"};
    case CommandKind::Shutdown:
      if (!Deliver(shutdown_)) break;
      return Answer{true, "raised shutdown"};
  }
  return Answer{false, kStopped};
}

const char* SimulatedService::GetVersion() {
  calls_.Add("GetVersion");
  return kVersion;
}

const char* SimulatedService::GetTextFilePath() {
  calls_.Add("GetTextFilePath");
  return commentLog_.Path().c_str();
}

void SimulatedService::Start() {
  calls_.Add("Start");
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (running_) return;
    running_ = true;
  }
  scheduler_.Start();
  ScheduleStartSequence();
}

void SimulatedService::Stop() {
  calls_.Add("Stop");
  StopService();
}

void SimulatedService::StopService() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    running_ = false;
    recording_ = false;
    paused_ = false;
  }
  scheduler_.Stop();  // drops what is pending; joins the thread after its running callback
  std::unique_lock<std::mutex> lock(mutex_);
  idle_.wait(lock, [&] { return inFlight_ <= callbacksOnThisThread; });
}

void SimulatedService::StartRecording(const std::string& id) {
  calls_.Add("StartRecording", id);
  {
    std::lock_guard<std::mutex> guard(mutex_);
    recordingId_ = id;
    if (!running_) return;
    recording_ = true;
    paused_ = false;
  }
  scheduler_.Post(0, [this] { RaiseRecording(1); });
}

void SimulatedService::StopRecording(const std::string& id) {
  calls_.Add("StopRecording", id);
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!running_ || !recording_) return;
    recording_ = false;
    paused_ = false;
  }
  scheduler_.Post(0, [this] { RaiseRecording(0); });
  ScheduleUpload();
}

void SimulatedService::PauseRecording() {
  calls_.Add("PauseRecording");
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!running_ || !recording_ || paused_) return;
    paused_ = true;
  }
  scheduler_.Post(0, [this] { RaiseRecording(3); });
}

void SimulatedService::ResumeRecording() {
  calls_.Add("ResumeRecording");
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!running_ || !recording_ || !paused_) return;
    paused_ = false;
  }
  scheduler_.Post(0, [this] { RaiseRecording(4); });
}

void SimulatedService::AddComment(const std::string& text) {
  std::string id;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    id = recordingId_;
  }
  if (!commentLog_.Path().empty()) commentLog_.Append(id, text, std::time(nullptr));
  // Recorded only once it is in the log: whoever sees the call (korvexctl calls, a test) may
  // read the log at once.
  calls_.Add("AddComment", text);
}

void SimulatedService::SubscribeConnectionState(
    std::function<void(const vesk::model::connection::State&)> handler) {
  calls_.Add("SubscribeConnectionState");
  std::lock_guard<std::mutex> guard(mutex_);
  connectionState_ = std::move(handler);
}
void SimulatedService::SubscribeRecordingState(
    std::function<void(const vesk::model::media::RecordingState&)> handler) {
  calls_.Add("SubscribeRecordingState");
  std::lock_guard<std::mutex> guard(mutex_);
  recordingState_ = std::move(handler);
}
void SimulatedService::SubscribeUploadProgress(std::function<void(unsigned char)> handler) {
  calls_.Add("SubscribeUploadProgress");
  std::lock_guard<std::mutex> guard(mutex_);
  uploadProgress_ = std::move(handler);
}
void SimulatedService::SubscribeMonitored(std::function<void(bool)> handler) {
  calls_.Add("SubscribeMonitored");
  std::lock_guard<std::mutex> guard(mutex_);
  monitored_ = std::move(handler);
}
void SimulatedService::SubscribeSettingsChanged(std::function<void()> handler) {
  calls_.Add("SubscribeSettingsChanged");
  std::lock_guard<std::mutex> guard(mutex_);
  settingsChanged_ = std::move(handler);
}
void SimulatedService::SubscribeShutdown(std::function<void()> handler) {
  calls_.Add("SubscribeShutdown");
  std::lock_guard<std::mutex> guard(mutex_);
  shutdown_ = std::move(handler);
}
void SimulatedService::SubscribeUpdated(std::function<void()> handler) {
  calls_.Add("SubscribeUpdated");
  std::lock_guard<std::mutex> guard(mutex_);
  updated_ = std::move(handler);
}
void SimulatedService::SubscribeNotification(std::function<void(const std::string&)> handler) {
  calls_.Add("SubscribeNotification");
  std::lock_guard<std::mutex> guard(mutex_);
  notification_ = std::move(handler);
}

void SimulatedService::Release() {
  calls_.Add("Release");
  StopService();
  delete this;
}

const vesk::ServiceSettings* SimulatedService::GetSettings() {
  calls_.Add("GetSettings");
  return &settings_;
}

}  // namespace korvex
