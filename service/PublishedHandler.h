#pragma once
// One event handler, installed on the user-interface thread and called on the service's threads.
// The handler is published as a whole through an atomically replaced shared pointer, so a caller
// sees either no handler or a complete one, never a std::function half way through assignment;
// the caller's copy of the pointer keeps the handler alive while it runs, even if it is replaced
// meanwhile.
#include <functional>
#include <memory>
#include <utility>

namespace vesk {

template <class Signature>
class PublishedHandler {
 public:
  using Function = std::function<Signature>;
  using Pointer = std::shared_ptr<const Function>;

  // Replaces the handler; an empty function removes it. The previous handler is destroyed as
  // soon as no call of it is running any more.
  void Set(Function handler) {
    Pointer next;
    if (handler) next = std::make_shared<const Function>(std::move(handler));
    std::atomic_store(&handler_, std::move(next));
  }

  // The current handler, or null when none is installed.
  Pointer Get() const { return std::atomic_load(&handler_); }

 private:
  Pointer handler_;
};

}  // namespace vesk
