// Zeroed 32-bit counters for a binning grid, on huge pages when they are large.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tess::raster {

/// A zero-filled array of counters that owns its memory. Scattered increments over tens of
/// megabytes spend much of their time in page faults and TLB misses; arrays of a few
/// megabytes and more are therefore mapped on 2 MiB pages where the system offers them
/// (Linux transparent huge pages), and come from calloc otherwise.
class Counts {
 public:
  Counts() = default;
  /// n zeroed counters; throws std::bad_alloc when memory runs out.
  explicit Counts(std::size_t n);
  Counts(Counts&& other) noexcept;
  Counts& operator=(Counts&& other) noexcept;
  Counts(const Counts&) = delete;
  Counts& operator=(const Counts&) = delete;
  ~Counts();

  std::uint32_t* data() { return data_; }
  const std::uint32_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::uint32_t& operator[](std::size_t i) { return data_[i]; }
  std::uint32_t operator[](std::size_t i) const { return data_[i]; }
  const std::uint32_t* begin() const { return data_; }
  const std::uint32_t* end() const { return data_ + size_; }

 private:
  void release() noexcept;

  std::uint32_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t mapped_ = 0;  // bytes mapped with mmap; 0 when the memory came from calloc
};

}  // namespace tess::raster
