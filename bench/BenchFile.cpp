// CSimulatedBench::Load and CSimulatedBench::Save: the bench file through the
// file doors, read whole within a bound and written whole or not at all.
#include "SimulatedBench.h"

#include "BenchText.h"
#include "FileDoor.h"
#include "Lock.h"

namespace {

// No bench file comes near: a larger one is no bench file.
const size_t kMaxBenchBytes = 16u << 20;

}  // namespace

int CSimulatedBench::Load(const std::string& path, std::string* error)
{
    std::string bytes, why;
    BenchContents contents;
    if (!ReadRegularFile(path, kMaxBenchBytes, &bytes, &why) || !ParseBenchText(bytes, path, &contents, &why)) {
        if (error)
            *error = why;
        return 0;
    }
    int connected = -1;
    for (size_t i = 0; i < contents.units.size(); ++i) {
        if (contents.units[i].strName == contents.strConnected)
            connected = static_cast<int>(i);
    }
    CLock lock(m_lock);
    m_units = contents.units;
    m_nConnected = connected;
    m_nLineBaud = 0;
    m_nLineParity = 0;
    return 1;
}

int CSimulatedBench::Save(const std::string& path, std::string* error) const
{
    BenchContents contents;
    {
        CLock lock(m_lock);
        contents.units = m_units;
        if (m_nConnected >= 0)
            contents.strConnected = m_units[m_nConnected].strName;
    }
    std::string why;
    if (!WriteWholeFile(path, BenchText(contents), &why)) {
        if (error)
            *error = why;
        return 0;
    }
    return 1;
}
