// Linked into the tests that run the program out of memory. AddressSanitizer's
// own operator new ends the process when memory runs out, whatever
// allocator_may_return_null says, where the standard library's throws
// std::bad_alloc: the program is written for the latter, and that is what it
// must meet under the sanitizer too. These replacements allocate through the
// sanitizer's malloc, which does return null, so its checks stay on the
// memory; only new/delete mismatches go unseen in these tests.
//
// The tests that make memory run short at one chosen moment build it with
// GRAVELIN_FAILING_NEW, in every build: a FailAllocations then refuses
// every allocation of its thread.
#if defined(__SANITIZE_ADDRESS__) || defined(GRAVELIN_FAILING_NEW)
#include <cstdlib>
#include <new>

#include "FailAllocations.h"

namespace {
thread_local bool failing = false;
thread_local int refused = 0;

// `align` 0 is the default alignment.
void* Allocate(std::size_t size, std::size_t align = 0) {
  if (failing) {
    ++refused;
    throw std::bad_alloc();
  }
  // aligned_alloc wants a size that is a multiple of the alignment.
  if (align != 0) size = (size + align - 1) / align * align;
  if (size == 0) size = align != 0 ? align : 1;
  for (;;) {
    if (void* p = align != 0 ? std::aligned_alloc(align, size) : std::malloc(size)) return p;
    std::new_handler handler = std::get_new_handler();
    if (!handler) throw std::bad_alloc();
    handler();
  }
}
void* AllocateAligned(std::size_t size, std::align_val_t align) {
  return Allocate(size, static_cast<std::size_t>(align));
}

template <class F>
void* NoThrow(F f) noexcept {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
}  // namespace

namespace testutil {
FailAllocations::FailAllocations() : before_(failing) { failing = true; }
FailAllocations::~FailAllocations() { failing = before_; }
int FailAllocations::Refused() { return refused; }
}  // namespace testutil

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, std::align_val_t a) { return AllocateAligned(size, a); }
void* operator new[](std::size_t size, std::align_val_t a) { return AllocateAligned(size, a); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return NoThrow([&] { return Allocate(size); });
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return NoThrow([&] { return Allocate(size); });
}
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return NoThrow([&] { return AllocateAligned(size, a); });
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return NoThrow([&] { return AllocateAligned(size, a); });
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
#endif
