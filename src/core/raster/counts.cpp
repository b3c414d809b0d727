// Counter arrays: anonymous huge-page mappings for large ones, calloc for the rest.
#include "raster/counts.hpp"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tess::raster {

namespace {

#if defined(__linux__) && defined(MADV_HUGEPAGE)
constexpr std::size_t HUGE_PAGE = std::size_t{2} << 20;

// An anonymous mapping (zeroed by the kernel) of whole huge pages, aligned to one, with
// huge pages requested; nullptr when the system refuses the mapping.
void* mapHuge(std::size_t bytes, std::size_t& mapped) {
  mapped = (bytes + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE;
  std::size_t padded = mapped + HUGE_PAGE;
  void* raw = mmap(nullptr, padded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  auto start = reinterpret_cast<std::uintptr_t>(raw);
  std::uintptr_t aligned = (start + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
  // Give back the slack on either side of the aligned range.
  if (aligned > start) munmap(raw, aligned - start);
  std::size_t tail = start + padded - (aligned + mapped);
  if (tail > 0) munmap(reinterpret_cast<void*>(aligned + mapped), tail);
  madvise(reinterpret_cast<void*>(aligned), mapped, MADV_HUGEPAGE);  // a hint; failure is harmless
  return reinterpret_cast<void*>(aligned);
}
#endif

}  // namespace

template <class T>
Counters<T>::Counters(std::size_t n) : size_(n) {
  if (n == 0) return;
  if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
  std::size_t bytes = n * sizeof(T);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (bytes >= HUGE_PAGE) data_ = static_cast<T*>(mapHuge(bytes, mapped_));
  if (data_ == nullptr) mapped_ = 0;
#endif
  if (data_ == nullptr) data_ = static_cast<T*>(std::calloc(n, sizeof(T)));
  if (data_ == nullptr) throw std::bad_alloc();
}

template <class T>
Counters<T>::Counters(Counters&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

template <class T>
Counters<T>& Counters<T>::operator=(Counters&& other) noexcept {
  if (this != &other) {
    release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mapped_ = std::exchange(other.mapped_, 0);
  }
  return *this;
}

template <class T>
Counters<T>::~Counters() {
  release();
}

template <class T>
void Counters<T>::release() noexcept {
#if defined(__linux__)
  if (mapped_ > 0) {
    munmap(data_, mapped_);
    data_ = nullptr;
  }
#endif
  std::free(data_);
  data_ = nullptr;
}

template class Counters<std::uint8_t>;
template class Counters<std::uint16_t>;
template class Counters<std::uint32_t>;

}  // namespace tess::raster
