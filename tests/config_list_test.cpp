// CConfigList: serial number -> bus address of the units configured in one
// series. The list lives inside the module, where no host reaches it; these
// tests build its source into the test program, and count its elements'
// allocations and frees there.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

#include "ConfigList.h"
#include "DebugOutput.h"

namespace {

// Lets a test make the list's next element allocation fail.
bool g_failNextAllocation = false;
// The list's elements alive: allocated by the no-throw new, not yet freed.
void* g_liveElements[512];
int g_liveCount = 0;

void Forget(void* block)
{
    void** end = g_liveElements + g_liveCount;
    void** found = std::find(g_liveElements, end, block);
    if (found != end) {
        *found = *(end - 1);
        --g_liveCount;
    }
}

}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (g_failNextAllocation) {
        g_failNextAllocation = false;
        return nullptr;
    }
    void* block = malloc(size ? size : 1);
    if (block && g_liveCount < 512)
        g_liveElements[g_liveCount++] = block;
    return block;
}

// The program's other allocations come from the same heap, so one delete serves all.
void* operator new(std::size_t size)
{
    if (void* block = malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept
{
    Forget(block);
    free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    Forget(block);
    free(block);
}

namespace {

typedef std::vector<std::pair<int, int>> Entries;

Entries Contents(const CConfigList& list)
{
    Entries entries;
    for (const ConfigListNode* node = list.GetFirst(); node; node = node->pNext)
        entries.emplace_back(node->nSerialNumber, node->byBusAddress);
    return entries;
}

class ConfigListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_liveCount = 0;
        m_debug.Clear();
    }

    CDebugOutput m_debug;
    CConfigList m_list;
};

TEST_F(ConfigListTest, EmptyListFindsNothingAndClearsWithOne)
{
    EXPECT_EQ(0, m_list.Find(0)) << "the head node's serial number 0 never matches";
    EXPECT_EQ(0, m_list.Find(12345));
    EXPECT_EQ(nullptr, m_list.GetCurrent());
    EXPECT_EQ(nullptr, m_list.GetFirst());
    EXPECT_EQ(1, m_list.Clear());
    EXPECT_EQ(nullptr, m_list.GetFirst());
    EXPECT_EQ(1, m_list.Set(4, 4)) << "the list works after a Clear";
}

TEST_F(ConfigListTest, SetOnEmptyListLinksIntoTheHead)
{
    EXPECT_EQ(1, m_list.Set(12345, 7));
    ASSERT_NE(nullptr, m_list.GetFirst());
    EXPECT_EQ(1, m_list.Find(12345));
    EXPECT_EQ(m_list.GetFirst(), m_list.GetCurrent()) << "Find makes the element current";
    EXPECT_EQ((Entries{{12345, 7}}), Contents(m_list));
}

TEST_F(ConfigListTest, SetOfAListedSerialChangesOnlyItsAddress)
{
    m_list.Set(1, 10);
    m_list.Set(2, 20);
    m_list.Set(3, 30);
    EXPECT_EQ(1, m_list.Set(2, 99));
    EXPECT_EQ((Entries{{1, 10}, {2, 99}, {3, 30}}), Contents(m_list));
}

TEST_F(ConfigListTest, KeepsInsertionOrderAndClearFreesAll)
{
    const int serials[] = {300, 100, 200};
    for (int serial : serials)
        EXPECT_EQ(1, m_list.Set(serial, static_cast<unsigned char>(serial / 100)));
    EXPECT_EQ((Entries{{300, 3}, {100, 1}, {200, 2}}), Contents(m_list));

    EXPECT_EQ(3, g_liveCount) << "one allocation an element";
    EXPECT_EQ(1, m_list.Find(200));
    EXPECT_EQ(1, m_list.Clear());
    EXPECT_EQ(0, g_liveCount) << "every element freed";
    EXPECT_EQ(nullptr, m_list.GetFirst());
    EXPECT_EQ(nullptr, m_list.GetCurrent()) << "Clear forgets the current element";
    for (int serial : serials)
        EXPECT_EQ(0, m_list.Find(serial));
}

TEST_F(ConfigListTest, FailedFindKeepsTheCurrentElement)
{
    m_list.Set(5, 1);
    m_list.Set(6, 2);
    ASSERT_EQ(1, m_list.Find(6));
    const ConfigListNode* current = m_list.GetCurrent();
    EXPECT_EQ(0, m_list.Find(7));
    EXPECT_EQ(current, m_list.GetCurrent());
}

TEST_F(ConfigListTest, ZeroNegativeAndExtremeSerialsAreOrdinaryKeys)
{
    const int serials[] = {0, -1, -99999999, INT_MIN, INT_MAX};
    for (int serial : serials)
        m_list.Set(serial, 1);
    for (int serial : serials)
        EXPECT_EQ(1, m_list.Find(serial)) << serial;
    EXPECT_EQ(5u, Contents(m_list).size());
}

TEST_F(ConfigListTest, EveryAddressIsStoredUnchanged)
{
    for (int address = 0; address <= 255; ++address)
        m_list.Set(address, static_cast<unsigned char>(address));
    int expected = 0;
    for (const ConfigListNode* node = m_list.GetFirst(); node; node = node->pNext, ++expected)
        EXPECT_EQ(expected, node->byBusAddress);
    EXPECT_EQ(256, expected);
}

TEST_F(ConfigListTest, DestructorFreesWhatIsLeft)
{
    {
        CConfigList list;
        list.Set(1, 1);
        list.Set(2, 2);
        EXPECT_EQ(2, g_liveCount);
    }
    EXPECT_EQ(0, g_liveCount);
}

TEST_F(ConfigListTest, FailedAllocationLeavesTheListAndReportsLine103)
{
    m_list.Set(1, 1);
    g_failNextAllocation = true;
    EXPECT_EQ(0, m_list.Set(2, 2));
    EXPECT_EQ((Entries{{1, 1}}), Contents(m_list)) << "the tail's link stays null";
    EXPECT_EQ((std::vector<InvariantReport>{{"0", "ConfigList", 103}}), m_debug.Invariants());

    EXPECT_EQ(1, m_list.Set(2, 2)) << "the next allocation succeeds again";
    EXPECT_EQ((Entries{{1, 1}, {2, 2}}), Contents(m_list));
}

TEST_F(ConfigListTest, UpdatingAListedSerialNeedsNoAllocation)
{
    m_list.Set(1, 1);
    g_failNextAllocation = true;
    EXPECT_EQ(1, m_list.Set(1, 50));
    g_failNextAllocation = false;
    EXPECT_EQ((Entries{{1, 50}}), Contents(m_list));
    EXPECT_TRUE(m_debug.Invariants().empty());
}

}  // namespace
