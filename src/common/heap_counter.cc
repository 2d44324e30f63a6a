#include "common/heap_counter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace tarnik {
namespace {

std::atomic<std::int64_t> gHeapInUse{0};

void* Allocate(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) std::abort();  // running out of memory ends the program
  gHeapInUse.fetch_add(static_cast<std::int64_t>(::malloc_usable_size(p)),
                       std::memory_order_relaxed);
  return p;
}

void* AllocateAligned(std::size_t size, std::size_t alignment) {
  if (alignment < sizeof(void*)) alignment = sizeof(void*);
  void* p = nullptr;
  if (::posix_memalign(&p, alignment, size == 0 ? 1 : size) != 0) std::abort();
  gHeapInUse.fetch_add(static_cast<std::int64_t>(::malloc_usable_size(p)),
                       std::memory_order_relaxed);
  return p;
}

void Release(void* p) {
  if (p == nullptr) return;
  gHeapInUse.fetch_sub(static_cast<std::int64_t>(::malloc_usable_size(p)),
                       std::memory_order_relaxed);
  std::free(p);
}

}  // namespace

std::int64_t HeapInUse() { return gHeapInUse.load(std::memory_order_relaxed); }

}  // namespace tarnik

void* operator new(std::size_t size) { return tarnik::Allocate(size); }
void* operator new[](std::size_t size) { return tarnik::Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return tarnik::Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return tarnik::Allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return tarnik::AllocateAligned(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return tarnik::AllocateAligned(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* p) noexcept { tarnik::Release(p); }
void operator delete[](void* p) noexcept { tarnik::Release(p); }
void operator delete(void* p, std::size_t) noexcept { tarnik::Release(p); }
void operator delete[](void* p, std::size_t) noexcept { tarnik::Release(p); }
void operator delete(void* p, std::align_val_t) noexcept { tarnik::Release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { tarnik::Release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { tarnik::Release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { tarnik::Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { tarnik::Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { tarnik::Release(p); }
