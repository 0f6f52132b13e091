// Work shared by the calling thread and one more.
#pragma once

#include <system_error>
#include <thread>

// Runs work(false) on this thread and work(true) on one more when `parallel` and a thread can be
// started, and returns when both have. The two take their shares through atomic counters, so
// that one call alone does all of it.
template <class Work>
void OnTwoThreads(bool parallel, const Work& work) {
  std::thread helper;
  if (parallel) {
    try {
      helper = std::thread([&work] { work(true); });
    } catch (const std::system_error&) {
    }
  }
  work(false);
  if (helper.joinable()) helper.join();
}
