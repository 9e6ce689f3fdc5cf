// The owning handle wrapper, with traits that count what they free.
#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

#include "framework/Handle.h"

namespace {

std::vector<int> g_closed;  // handles freed by CountingTraits, in order

struct CountingTraits {
  using pointer = int;
  static pointer invalid() noexcept { return 0; }
  static void close(pointer h) noexcept { g_closed.push_back(h); }
};
using Counted = UniqueHandle<CountingTraits>;

class HandleTest : public ::testing::Test {
 protected:
  void SetUp() override { g_closed.clear(); }
};

static_assert(!std::is_copy_constructible<Counted>::value, "two owners would free twice");
static_assert(!std::is_copy_assignable<Counted>::value, "two owners would free twice");
static_assert(std::is_nothrow_move_constructible<Counted>::value, "moves hand the handle over");

TEST_F(HandleTest, FreesOnceAtDestructionAndNeverTheEmptyHandle) {
  { Counted empty; EXPECT_FALSE(empty); }
  EXPECT_TRUE(g_closed.empty());
  { Counted h(7); EXPECT_TRUE(h); EXPECT_EQ(h.get(), 7); }
  EXPECT_EQ(g_closed, std::vector<int>{7});
}

TEST_F(HandleTest, ResetFreesTheOldHandleUnlessItIsTheSame) {
  Counted h(1);
  h.reset(1);  // assigning a handle to itself must not free it
  EXPECT_TRUE(g_closed.empty());
  h.reset(2);
  EXPECT_EQ(g_closed, std::vector<int>{1});
  h.reset();
  EXPECT_EQ(g_closed, (std::vector<int>{1, 2}));
  EXPECT_FALSE(h);
}

TEST_F(HandleTest, MoveHandsOverAndReleaseGivesUp) {
  Counted a(3);
  Counted b(std::move(a));
  EXPECT_FALSE(a);
  EXPECT_EQ(b.get(), 3);

  Counted c(4);
  c = std::move(b);  // c's old handle is freed, b's moves in
  EXPECT_EQ(g_closed, std::vector<int>{4});
  EXPECT_EQ(c.get(), 3);

  Counted& self = c;
  c = std::move(self);  // self-move keeps the handle
  EXPECT_EQ(c.get(), 3);

  EXPECT_EQ(c.release(), 3);
  EXPECT_FALSE(c);
  EXPECT_EQ(g_closed, std::vector<int>{4}) << "a released handle is not freed";
}

}  // namespace
