#include "korvex/EventScheduler.h"

namespace korvex {

EventScheduler::~EventScheduler() {
  Stop();
  if (thread_.joinable() && std::this_thread::get_id() != thread_.get_id()) thread_.join();
}

void EventScheduler::Start() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (running_) return;
  if (std::this_thread::get_id() == threadId_) {
    // Started again from one of its own actions: the thread simply keeps serving.
    running_ = true;
    return;
  }
  if (thread_.joinable()) {
    // A thread that was stopped from one of its own actions ends once it sees running_ false.
    std::thread previous = std::move(thread_);
    lock.unlock();
    previous.join();
    lock.lock();
  }
  running_ = true;
  thread_ = std::thread(&EventScheduler::Run, this);
  threadId_ = thread_.get_id();
}

void EventScheduler::Stop() {
  std::thread finished;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    running_ = false;
    pending_.clear();
    // An action that stops the service from its own thread cannot join itself; the thread then
    // ends when that action returns, and the next Start or the destructor joins it.
    if (std::this_thread::get_id() == threadId_) return;
    finished = std::move(thread_);
    threadId_ = std::thread::id();
  }
  changed_.notify_all();
  if (finished.joinable()) finished.join();
}

void EventScheduler::Post(std::uint32_t delayMs, std::function<void()> action) {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!running_) return;
    // multimap keeps insertion order among equal keys.
    pending_.emplace(Clock::now() + std::chrono::milliseconds(delayMs), std::move(action));
  }
  changed_.notify_all();
}

bool EventScheduler::OnSchedulerThread() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return std::this_thread::get_id() == threadId_;
}

void EventScheduler::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (running_) {
    if (pending_.empty()) {
      changed_.wait(lock);
      continue;
    }
    const auto due = pending_.begin()->first;
    if (Clock::now() < due) {
      changed_.wait_until(lock, due);
      continue;
    }
    std::function<void()> action = std::move(pending_.begin()->second);
    pending_.erase(pending_.begin());
    lock.unlock();
    action();
    lock.lock();
  }
}

}  // namespace korvex
