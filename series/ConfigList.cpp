// CConfigList: the units configured during one series.
#include "ConfigList.h"

#include <new>

#include "HostNumbers.h"
#include "Invariant.h"

namespace {
const char kSource[] = "ConfigList";
}

CConfigList::CConfigList() : m_Head{0, 0, nullptr}, m_pCurrent(nullptr) {}

CConfigList::~CConfigList()
{
    Clear();
}

int CConfigList::Find(int serialNumber)
{
    for (ConfigListNode* node = m_Head.pNext; node; node = node->pNext) {
        if (node->nSerialNumber == serialNumber) {
            m_pCurrent = node;
            return 1;
        }
    }
    return 0;
}

int CConfigList::Set(int serialNumber, unsigned char address)
{
    ConfigListNode* linkHolder = &m_Head;
    for (ConfigListNode* node = m_Head.pNext; node; node = node->pNext) {
        if (node->nSerialNumber == serialNumber) {
            node->byBusAddress = address;
            return 1;
        }
        linkHolder = node;
    }
    // The walk ends on the tail, so neither can fail; linking behind anything
    // else would lose elements, so a broken list is reported and left alone.
    if (!linkHolder) {
        ReportInvariant(kInvariantCondition, kSource, kConfigListNoTailLine);
        return 0;
    }
    if (linkHolder->pNext) {
        ReportInvariant(kInvariantCondition, kSource, kConfigListTailNotLastLine);
        return 0;
    }

    ConfigListNode* node = new (std::nothrow) ConfigListNode;
    if (!node) {
        ReportInvariant(kInvariantCondition, kSource, kConfigListNoMemoryLine);
        return 0;
    }
    linkHolder->pNext = node;
    node->nSerialNumber = serialNumber;
    node->byBusAddress = address;
    node->pNext = nullptr;
    return 1;
}

int CConfigList::Clear()
{
    ConfigListNode* node = m_Head.pNext;
    while (node) {
        ConfigListNode* next = node->pNext;
        delete node;
        node = next;
    }
    m_Head = {0, 0, nullptr};
    m_pCurrent = nullptr;
    return 1;
}
