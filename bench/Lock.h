// CLock: a critical section held for the lock object's life.
#pragma once

#include <windows.h>

class CLock
{
public:
    explicit CLock(CRITICAL_SECTION& lock) : m_lock(lock) { ::EnterCriticalSection(&m_lock); }
    ~CLock() { ::LeaveCriticalSection(&m_lock); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

private:
    CRITICAL_SECTION& m_lock;
};
