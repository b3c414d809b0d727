// Zeroed counters for a binning grid, on huge pages when they are large.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tess::raster {

/// A zero-filled array of counters (8, 16 or 32 bits) that owns its memory. Scattered increments over tens of
/// megabytes spend much of their time in page faults and TLB misses; arrays of a few
/// megabytes and more are therefore mapped on 2 MiB pages where the system offers them
/// (Linux transparent huge pages), and come from calloc otherwise.
template <class T>
class Counters {
 public:
  Counters() = default;
  /// n zeroed counters; throws std::bad_alloc when memory runs out.
  explicit Counters(std::size_t n);
  Counters(Counters&& other) noexcept;
  Counters& operator=(Counters&& other) noexcept;
  Counters(const Counters&) = delete;
  Counters& operator=(const Counters&) = delete;
  ~Counters();

  T* data() { return data_; }
  const T* data() const { return data_; }
  std::size_t size() const { return size_; }
  T& operator[](std::size_t i) { return data_[i]; }
  T operator[](std::size_t i) const { return data_[i]; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }

 private:
  void release() noexcept;

  T* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t mapped_ = 0;  // bytes mapped with mmap; 0 when the memory came from calloc
};

using Counts = Counters<std::uint32_t>;

}  // namespace tess::raster
