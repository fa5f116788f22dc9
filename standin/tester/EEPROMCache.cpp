// CEEPROMCache: the image of the connected unit's EEPROM.
#include "TAVOTester.h"

#include <algorithm>
#include <cstring>

CEEPROMCache::CEEPROMCache()
{
    Clear();
}

unsigned char* CEEPROMCache::GetEEPROMCacheFrom(unsigned char offset, int /*bank*/)
{
    return m_abyImage + offset;
}

void CEEPROMCache::Load(const unsigned char* image, int size)
{
    Clear();
    if (image && size > 0)
        memcpy(m_abyImage, image, std::min(size, static_cast<int>(IMAGE_SIZE)));
}

void CEEPROMCache::Clear()
{
    memset(m_abyImage, 0, sizeof(m_abyImage));
}
