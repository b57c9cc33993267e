#pragma once
// Checks of what only a fault of the code can break: an index the window
// has no control or table row for, a frame position outside 1 to 5, an
// operation code no handler sets. They abort the test build at the fault;
// a Release build (NDEBUG) compiles them out.
#include <cstdio>
#include <cstdlib>

namespace quelm {

[[noreturn]] inline void CheckFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

} // namespace quelm

#ifdef NDEBUG
#define QUELM_CHECK(condition) static_cast<void>(0)
#else
#define QUELM_CHECK(condition)                                                                                         \
    ((condition) ? static_cast<void>(0) : ::quelm::CheckFailed(#condition, __FILE__, __LINE__))
#endif
