#pragma once
// The recorder service as the client consumes it: one object handed out by Korvex.dll's
// GetService. The order of the virtual operations is the binary contract with the library.
#include <functional>
#include <string>

#include "service/ServiceModel.h"

namespace vesk {

class IServiceControl {
 public:
  virtual const char* GetVersion() = 0;                                    // 0
  virtual const char* GetTextFilePath() = 0;                               // 1
  virtual void Start() = 0;                                                // 2
  virtual void Stop() = 0;                                                 // 3
  virtual void StartRecording(const std::string& id) = 0;                  // 4
  virtual void StopRecording(const std::string& id) = 0;                   // 5
  virtual void PauseRecording() = 0;                                       // 6
  virtual void ResumeRecording() = 0;                                      // 7
  virtual void AddComment(const std::string& text) = 0;                    // 8
  virtual void SubscribeConnectionState(
      std::function<void(const model::connection::State&)> handler) = 0;   // 9
  virtual void SubscribeRecordingState(
      std::function<void(const model::media::RecordingState&)> handler) = 0;  // 10
  virtual void SubscribeUploadProgress(std::function<void(unsigned char)> handler) = 0;  // 11
  virtual void SubscribeMonitored(std::function<void(bool)> handler) = 0;  // 12
  virtual void SubscribeSettingsChanged(std::function<void()> handler) = 0;  // 13
  virtual void SubscribeShutdown(std::function<void()> handler) = 0;       // 14
  virtual void SubscribeUpdated(std::function<void()> handler) = 0;        // 15
  virtual void SubscribeNotification(
      std::function<void(const std::string&)> handler) = 0;                // 16
  virtual void Release() = 0;                                              // 17
  virtual const ServiceSettings* GetSettings() = 0;                        // 18

 protected:
  // Freed only through Release; the client never deletes the object.
  ~IServiceControl() = default;
};

}  // namespace vesk
