// What MinGW's libraries lack under Microsoft's names, for code built in
// Microsoft's C++ ABI against them: the no-throw allocation, which answers
// null when it fails, the deallocation that deleting destructors call, the
// marker that code using floating point refers to, and the virtual table of
// type_info that every RTTI type descriptor points to.
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

namespace {

// The one virtual operation of type_info. Type descriptors are static data
// that nobody deletes; a host's C runtime reads their names, never calls this.
void* __thiscall DestroyTypeInfo(void* typeInfo, unsigned int /*flags*/)
{
    return typeInfo;
}

}  // namespace

// Microsoft's C runtime exports this table; MinGW's import libraries do not,
// and a type descriptor needs only its address. A host that asks for an
// object's type gets the descriptor and reads its decorated name.
extern "C" const void* const TypeInfoTable[1] __asm__("??_7type_info@@6B@");
extern "C" const void* const TypeInfoTable[1] = {reinterpret_cast<const void*>(&DestroyTypeInfo)};
