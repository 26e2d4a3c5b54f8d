#pragma once

// Counts the calls of operator new made by the current thread, so tests can
// prove that a path does not allocate.

#include <cstdint>

namespace bm::test {

int64_t AllocationsOnThisThread();

} // namespace bm::test
