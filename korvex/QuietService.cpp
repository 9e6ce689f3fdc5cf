// The first stand-in recorder service: accepts every operation and does nothing with it.
#include "service/GetService.h"

namespace {

class QuietService final : public vesk::IServiceControl {
 public:
  QuietService() {
    settings_.allowRecordingControl = true;
    settings_.allowComments = true;
    settings_.showTrayIcon = true;
  }
  const char* GetVersion() override { return "5.4.0"; }
  const char* GetTextFilePath() override { return ""; }
  void Start() override {}
  void Stop() override {}
  void StartRecording(const std::string&) override {}
  void StopRecording(const std::string&) override {}
  void PauseRecording() override {}
  void ResumeRecording() override {}
  void AddComment(const std::string&) override {}
  void SubscribeConnectionState(std::function<void(const vesk::model::connection::State&)>) override {}
  void SubscribeRecordingState(std::function<void(const vesk::model::media::RecordingState&)>) override {}
  void SubscribeUploadProgress(std::function<void(unsigned char)>) override {}
  void SubscribeMonitored(std::function<void(bool)>) override {}
  void SubscribeSettingsChanged(std::function<void()>) override {}
  void SubscribeShutdown(std::function<void()>) override {}
  void SubscribeUpdated(std::function<void()>) override {}
  void SubscribeNotification(std::function<void(const std::string&)>) override {}
  void Release() override { delete this; }
  const vesk::ServiceSettings* GetSettings() override { return &settings_; }

 private:
  ~QuietService() = default;
  vesk::ServiceSettings settings_;
};

}  // namespace

extern "C" KORVEX_API vesk::IServiceControl* KORVEX_CALL GetService() { return new QuietService(); }
