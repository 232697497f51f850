// Linked into the tests that run the program out of memory. AddressSanitizer's
// own operator new ends the process when memory runs out, whatever
// allocator_may_return_null says, where the standard library's throws
// std::bad_alloc: the program is written for the latter, and that is what it
// must meet under the sanitizer too. These replacements allocate through the
// sanitizer's malloc, which does return null, so its checks stay on the
// memory; only new/delete mismatches go unseen in these tests.
#if defined(__SANITIZE_ADDRESS__)
#include <cstdlib>
#include <new>

namespace {
// `align` 0 is the default alignment.
void* Allocate(std::size_t size, std::size_t align = 0) {
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
