// Classes in this file: ITest, a test module's object as the production host
// calls it: nothing but the published table of virtual operations.
#pragma once

#include "PublishedTable.h"

// The object comes from a module built with Microsoft's compiler, so the
// table is laid out as that compiler lays it out: one slot for the virtual
// destructor (the scalar deleting destructor, which takes the delete flags),
// then every operation in the published order, each called with the object
// as `this` (__thiscall on 32-bit x86, which this compiler uses for members
// there too). Declared from the published order alone (PublishedTable.h),
// never from the module's or the libraries' headers, so a slot out of place
// on either side shows as a wrong answer. No data members: a host reads none.
struct ITest
{
    // Slot 0. Destroys the object and frees it when flags bit 0 is set; the
    // host never calls it on a module's static object.
    virtual void* ScalarDeletingDestructor(unsigned int flags) = 0;
#define TAVO_DECLARE_SLOT(member, result, parameters, ...) virtual result member parameters = 0;
    TAVO_PUBLISHED_SLOTS(TAVO_DECLARE_SLOT)
#undef TAVO_DECLARE_SLOT

protected:
    ~ITest() = default;  // the module owns the object
};
