// Work posted to a window: run in order on the window's thread, and destroyed unrun when the
// window goes, so that whoever waits on it is let go.
#include "ui/post_queue.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace zor::ui {
namespace {

// Counts how often the closures holding it were destroyed without running.
struct Witness {
  explicit Witness(int& dropped) : m_dropped(dropped) {}
  ~Witness() {
    if (!ran) ++m_dropped;
  }
  bool ran = false;
  int& m_dropped;
};

TEST(PostQueueTest, RunsInOrderAndDropsWhatWaitsWhenClosed) {
  int rings = 0;
  PostQueue queue([&rings] { return ++rings > 0; });
  std::vector<int> ran;
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) EXPECT_TRUE(queue.Post([&ran, i] { ran.push_back(i); }));
  });
  worker.join();
  EXPECT_EQ(rings, 100);
  while (queue.RunOne()) {
  }
  ASSERT_EQ(ran.size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(ran[i], i);

  int dropped = 0;
  auto waiting = std::make_shared<Witness>(dropped);
  EXPECT_TRUE(queue.Post([waiting] { waiting->ran = true; }));
  waiting.reset();
  queue.Close();
  EXPECT_EQ(dropped, 1);  // destroyed unrun at the close
  auto late = std::make_shared<Witness>(dropped);
  EXPECT_FALSE(queue.Post([late] { late->ran = true; }));
  late.reset();
  EXPECT_EQ(dropped, 2);  // refused and destroyed at once
  EXPECT_FALSE(queue.RunOne());
}

TEST(PostQueueTest, APostWhoseDoorbellFailsIsDestroyedUnrun) {
  PostQueue queue([] { return false; });
  int dropped = 0;
  auto witness = std::make_shared<Witness>(dropped);
  EXPECT_FALSE(queue.Post([witness] { witness->ran = true; }));
  witness.reset();
  EXPECT_EQ(dropped, 1);
  EXPECT_FALSE(queue.RunOne());
}

}  // namespace
}  // namespace zor::ui
