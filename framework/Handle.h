#pragma once
// One owning wrapper for every kind of handle: GDI objects, device contexts, regions, kernel
// handles, COM pictures. The traits type says what "no handle" is and how one is freed.
// Copying is deleted (two owners would free twice); moving hands the handle over.
//
//   struct Traits { using pointer = ...; static pointer invalid() noexcept; static void close(pointer) noexcept; };
#include <utility>

template <class Traits>
class UniqueHandle {
 public:
  using pointer = typename Traits::pointer;

  UniqueHandle() noexcept : m_h(Traits::invalid()) {}
  explicit UniqueHandle(pointer h) noexcept : m_h(h) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  pointer get() const noexcept { return m_h; }
  explicit operator bool() const noexcept { return m_h != Traits::invalid(); }

  // Gives up ownership without freeing.
  pointer release() noexcept { return std::exchange(m_h, Traits::invalid()); }

  // Takes `h` and frees the old handle, unless it is the same one (assigning a handle to
  // itself must not free it).
  void reset(pointer h = Traits::invalid()) noexcept {
    if (h == m_h) return;
    pointer old = std::exchange(m_h, h);
    if (old != Traits::invalid()) Traits::close(old);
  }

 private:
  pointer m_h;
};
