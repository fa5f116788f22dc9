// Classes in this file: CConfigList, the units configured during one series
// (serial number -> bus address), and its element ConfigListNode.
#pragma once

#include "MyObject.h"

struct ConfigListNode
{
    int nSerialNumber;
    unsigned char byBusAddress;
    ConfigListNode* pNext;
};

// A singly linked list that owns its elements. The head node is part of the
// object and is never compared: every walk starts at its pNext, so appending
// to an empty list links into the head node like into any tail.
class CConfigList : public CMyObject
{
public:
    CConfigList();
    ~CConfigList() override;
    CConfigList(const CConfigList&) = delete;
    CConfigList& operator=(const CConfigList&) = delete;

    // 1 and the element made current when serialNumber is listed, else 0.
    int Find(int serialNumber);
    // Updates the address of a listed serial number or appends a new element;
    // 0 when no element could be allocated (the list is then unchanged).
    int Set(int serialNumber, unsigned char address);
    // Frees every element; always 1.
    int Clear();

    const ConfigListNode* GetFirst() const { return m_Head.pNext; }
    const ConfigListNode* GetCurrent() const { return m_pCurrent; }

private:
    ConfigListNode m_Head;
    ConfigListNode* m_pCurrent;
};
