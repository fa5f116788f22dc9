// CConfigList: serial number -> bus address of the units configured in one series.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

#include "ConfigList.h"

namespace {

// Lets a test make the list's next element allocation fail.
bool g_failNextAllocation = false;

}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (g_failNextAllocation) {
        g_failNextAllocation = false;
        return nullptr;
    }
    return malloc(size ? size : 1);  // the default operator delete frees it
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
    void SetUp() override { MyClearInvariantReports(); }

    CConfigList m_list;
};

TEST_F(ConfigListTest, EmptyListFindsNothing)
{
    EXPECT_EQ(0, m_list.Find(0)) << "the head node's serial number 0 never matches";
    EXPECT_EQ(0, m_list.Find(12345));
    EXPECT_EQ(nullptr, m_list.GetCurrent());
    EXPECT_EQ(nullptr, m_list.GetFirst());
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

    EXPECT_EQ(1, m_list.Find(200));
    EXPECT_EQ(1, m_list.Clear());
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

TEST_F(ConfigListTest, ClearOnEmptyListAnswersOne)
{
    EXPECT_EQ(1, m_list.Clear());
    EXPECT_EQ(nullptr, m_list.GetFirst());
    EXPECT_EQ(1, m_list.Set(4, 4)) << "the list works after a Clear";
}

TEST_F(ConfigListTest, FailedAllocationLeavesTheListAndReportsLine103)
{
    m_list.Set(1, 1);
    g_failNextAllocation = true;
    EXPECT_EQ(0, m_list.Set(2, 2));
    EXPECT_EQ((Entries{{1, 1}}), Contents(m_list)) << "the tail's link stays null";
    ASSERT_EQ(1, MyGetInvariantReportCount());
    MY_INVARIANT_REPORT report;
    ASSERT_TRUE(MyGetInvariantReport(0, &report));
    EXPECT_STREQ("0", report.szCondition);
    EXPECT_STREQ("ConfigList", report.szSource);
    EXPECT_EQ(103, report.nLine);

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
    EXPECT_EQ(0, MyGetInvariantReportCount());
}

}  // namespace
