#pragma once
// Subscribes to every event of a recorder service and keeps what arrives, with the thread it
// arrived on, so that tests can wait for an event with a deadline instead of sleeping.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "service/IServiceControl.h"

namespace sivrel_test {

class EventRecorder {
 public:
  struct Event {
    std::string text;  // "connection 3", "recording 1", "upload 40", "monitored 1", "settings",
                       // "shutdown", "updated", "notification TEXT"
    std::thread::id thread;
  };

  void SubscribeTo(vesk::IServiceControl& service) {
    service.SubscribeConnectionState([this](const vesk::model::connection::State& s) {
      Add("connection " + std::to_string(static_cast<unsigned>(s)));
    });
    service.SubscribeRecordingState([this](const vesk::model::media::RecordingState& s) {
      Add("recording " + std::to_string(s.kind));
    });
    service.SubscribeUploadProgress([this](unsigned char p) { Add("upload " + std::to_string(p)); });
    service.SubscribeMonitored([this](bool m) { Add(std::string("monitored ") + (m ? "1" : "0")); });
    service.SubscribeSettingsChanged([this] { Add("settings"); });
    service.SubscribeShutdown([this] { Add("shutdown"); });
    service.SubscribeUpdated([this] { Add("updated"); });
    service.SubscribeNotification([this](const std::string& t) { Add("notification " + t); });
  }

  void Add(const std::string& text) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      events_.push_back(Event{text, std::this_thread::get_id()});
    }
    changed_.notify_all();
  }

  std::vector<Event> Events() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return events_;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Event& e : Events()) texts.push_back(e.text);
    return texts;
  }
  std::size_t Count() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return events_.size();
  }
  // Waits until `text` has arrived; false after `seconds`.
  bool WaitFor(const std::string& text, int seconds = 10) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(seconds), [&] {
      for (const Event& e : events_)
        if (e.text == text) return true;
      return false;
    });
  }
  void Clear() {
    std::lock_guard<std::mutex> guard(mutex_);
    events_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Event> events_;
};

}  // namespace sivrel_test
