// Independent jobs spread over the machine's cores.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace tess {

/// Calls job(i) for every i in [0, n), on up to `threads` threads (the caller's among them;
/// 0 means one per core). Jobs must not share mutable state. Once all have run, the
/// exception of the lowest failing index is rethrown, so failures do not depend on timing.
template <class Job>
void parallelFor(std::size_t n, Job&& job, std::size_t threads = 0) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = std::min(threads, n);
  std::vector<std::exception_ptr> failures(n);
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i = next++; i < n; i = next++) {
      try {
        job(i);
      } catch (...) {
        failures[i] = std::current_exception();
      }
    }
  };
  {
    std::vector<std::jthread> helpers;
    for (std::size_t t = 1; t < threads; ++t) {
      try {
        helpers.emplace_back(work);
      } catch (const std::system_error&) {
        break;  // no more threads to be had: the ones running finish the work
      }
    }
    work();
  }
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
}

}  // namespace tess
