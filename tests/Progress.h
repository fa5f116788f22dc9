// Functions and classes in this file: EnvCount, the count a long run sets
// through the environment, and CProgress, which says where such a run is.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>

// A count a long run sets through the environment, or fallback.
inline int EnvCount(const char* variable, int fallback)
{
    const char* value = getenv(variable);
    return value && atoi(value) > 0 ? atoi(value) : fallback;
}

// Says the count done and the time left at every twentieth of a run of 20
// steps or more; nothing is judged by the clock.
class CProgress
{
public:
    CProgress(const char* what, int total) : m_pszWhat(what), m_nTotal(total), m_qwStart(::GetTickCount64()) {}

    int Total() const { return m_nTotal; }

    // Called after step done (1..total).
    void Done(int done)
    {
        if (m_nTotal < 20 || done <= 0 || done >= m_nTotal || done * 20 / m_nTotal == (done - 1) * 20 / m_nTotal)
            return;
        const double elapsed = (::GetTickCount64() - m_qwStart) / 1000.0;
        printf("  %s: %d of %d (%d%%), about %.0f s left\n", m_pszWhat, done, m_nTotal, done * 100 / m_nTotal,
               elapsed * (m_nTotal - done) / done);
        fflush(stdout);
    }

private:
    const char* m_pszWhat;
    int m_nTotal;
    ULONGLONG m_qwStart;
};
