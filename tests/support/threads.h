#pragma once

#include <thread>
#include <vector>

// Runs `body` on `count` threads at once and waits for all of them.
template <class F>
void onThreads(int count, F body) {
  std::vector<std::thread> threads;
  for (int i = 0; i < count; ++i) threads.emplace_back(body);
  for (auto& thread : threads) thread.join();
}
