// Memory running short at one chosen moment: while a FailAllocations lives,
// every allocation that its thread makes through operator new throws
// std::bad_alloc, as when the address space is used up. Only in the tests
// built with standard_new.cpp and GRAVELIN_FAILING_NEW.
#pragma once

namespace testutil {

class FailAllocations {
 public:
  FailAllocations();
  ~FailAllocations();
  FailAllocations(const FailAllocations&) = delete;
  FailAllocations& operator=(const FailAllocations&) = delete;

  // Allocations refused so far on this thread.
  static int Refused();

 private:
  bool before_;
};

}  // namespace testutil
