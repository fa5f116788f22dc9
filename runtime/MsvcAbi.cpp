// What MinGW's libraries lack under Microsoft's names, for code built in
// Microsoft's C++ ABI against them: the no-throw allocation, which answers
// null when it fails, the deallocation that deleting destructors call, and
// the marker that code using floating point refers to.
// The throwing operator new is left out on purpose: the product is built
// without exceptions, so every allocation it makes is a no-throw one.
#include <stdlib.h>

#include <new>

namespace std {
const nothrow_t nothrow{};
}  // namespace std

extern "C" int _fltused = 0;

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    return malloc(size ? size : 1);
}

void operator delete(void* block) noexcept
{
    free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept
{
    free(block);
}
