#include "system/MachineIdentity.h"

#include <gtest/gtest.h>

#include <set>

#include "support/FakeNetFolder.h"
#include "support/LogCapture.h"

namespace {

using Bus = FakeNetFolder::Bus;

bool IsHex(const std::string& text, bool upper) {
    for (const char c : text) {
        const bool digit = c >= '0' && c <= '9';
        const bool letter = upper ? (c >= 'A' && c <= 'F') : (c >= 'a' && c <= 'f');
        if (!digit && !letter) return false;
    }
    return true;
}

TEST(MachineIdentity, GuidTextsAreFreshVersionFourGuids) {
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string guid = NewGuidText();
        ASSERT_EQ(guid.size(), 32u) << guid;
        EXPECT_TRUE(IsHex(guid, true)) << guid;
        EXPECT_EQ(guid[12], '4') << guid;                                     // version in the third field
        EXPECT_NE(std::string("89AB").find(guid[16]), std::string::npos) << guid;  // variant
        seen.insert(guid);
    }
    EXPECT_EQ(seen.size(), 200u);
}

// Ids made one right after the other (in the same millisecond) still differ.
TEST(MachineIdentity, InstallIdsDifferEvenWithinOneMillisecond) {
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string id = MakeInstallId();
        ASSERT_EQ(id.size(), 32u);
        EXPECT_TRUE(IsHex(id, false)) << id;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 200u);
}

TEST(MachineIdentity, AddressTextUsesTheFirstSixBytes) {
    EXPECT_EQ(FormatAdapterAddress({0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}), "00-1a-2b-3c-4d-5e");
    EXPECT_EQ(FormatAdapterAddress({0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x11, 0x22}), "aa-bb-cc-dd-ee-ff");
    EXPECT_EQ(FormatAdapterAddress({0x01, 0x02}), "01-02-00-00-00-00");
}

TEST(MachineIdentity, VirtualMachineAddressesAreToldInEitherCase) {
    const struct {
        std::string address;
        bool virtualMachine;
    } cases[] = {
        {"00-50-56-c0-00-08", true}, {"00-1c-14-aa-bb-cc", true}, {"00-1C-14-AA-BB-CC", true},
        {"00-0c-29-01-02-03", true}, {"00-1c-42-01-02-03", true}, {"00-03-ff-01-02-03", true},
        {"00-05-69-01-02-03", true}, {"00-0f-4b-01-02-03", true}, {"00-16-3e-01-02-03", true},
        {"08-00-27-01-02-03", true},
        // A prefix counts wherever it occurs in the text.
        {"aa-00-50-56-bb-cc", true},
        {"00-1a-2b-3c-4d-5e", false}, {"00-50-57-00-00-00", false}, {"08-00-28-01-02-03", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsVirtualMachineAddress(c.address), c.virtualMachine) << c.address;
    }
}

// Five adapters in index order; the lists that reports use count only the
// first three, but a physical adapter anywhere enters the link text.
class AdapterLayoutTest : public ::testing::Test {
protected:
    FakeNetFolder net_;
};

TEST_F(AdapterLayoutTest, OnlyTheFirstThreeNonVirtualAdaptersAreListedSorted) {
    net_.Add("eth1", "00:1a:2b:00:00:03", 2);
    net_.Add("vmnet", "00:50:56:c0:00:08", 3);
    net_.Add("eth0", "00:1a:2b:00:00:01", 4);
    net_.Add("eth2", "00:1a:2b:00:00:00", 5);
    net_.Add("eth3", "00:1a:2b:00:00:02", 6);
    net_.Add("lo", "00:00:00:00:00:00", 1);
    EXPECT_EQ(GetAdapterAddressList(net_.path()), (std::vector<std::string>{"00-1a-2b-00-00-01", "00-1a-2b-00-00-03"}));
}

TEST_F(AdapterLayoutTest, PhysicalAdaptersAnywhereMakeTheLinkText) {
    net_.Add("veth0", "02:00:00:00:00:0a", 1);
    net_.Add("veth1", "02:00:00:00:00:0b", 2);
    net_.Add("veth2", "02:00:00:00:00:0c", 3);
    net_.Add("wlan0", "00:1a:2b:00:00:05", 4, Bus::kUsb);
    net_.Add("eth0", "00:1a:2b:00:00:04", 5, Bus::kPci);
    EXPECT_EQ(GetLinkAddressText(net_.path()), "00-1a-2b-00-00-04:00-1a-2b-00-00-05");
    EXPECT_EQ(GetAdapterAddressList(net_.path()),
              (std::vector<std::string>{"02-00-00-00-00-0a", "02-00-00-00-00-0b", "02-00-00-00-00-0c"}));
}

TEST_F(AdapterLayoutTest, WithoutPhysicalAdaptersTheFirstThreeNonVirtualOnesAreUsed) {
    net_.Add("veth1", "02:00:00:00:00:0b", 1);
    net_.Add("docker0", "00:16:3e:00:00:01", 2);
    net_.Add("veth0", "02:00:00:00:00:0a", 3);
    net_.Add("veth9", "02:00:00:00:00:09", 4);
    EXPECT_EQ(GetLinkAddressText(net_.path()), "02-00-00-00-00-0a:02-00-00-00-00-0b");
}

TEST_F(AdapterLayoutTest, OnlyVirtualAdaptersFallBackToTheFirstThree) {
    net_.Add("vm0", "00:50:56:c0:00:08", 1);
    net_.Add("vm1", "08:00:27:00:00:01", 2);
    net_.Add("vm2", "00:0c:29:00:00:02", 3);
    net_.Add("vm3", "00:1c:14:00:00:03", 4);
    EXPECT_TRUE(GetAdapterAddressList(net_.path()).empty());
    EXPECT_EQ(GetLinkAddressText(net_.path()), "00-0c-29-00-00-02:00-50-56-c0-00-08:08-00-27-00-00-01");
}

TEST_F(AdapterLayoutTest, APhysicalAdapterWithAVirtualMachineAddressStillCountsAsPhysical) {
    net_.Add("eth0", "00:50:56:00:00:01", 1, Bus::kPci);
    net_.Add("veth0", "02:00:00:00:00:0a", 2);
    EXPECT_EQ(GetLinkAddressText(net_.path()), "00-50-56-00-00-01");
}

TEST(MachineIdentity, NoAdaptersGiveEmptyTextsAndALogLine) {
    LogCapture log;
    EXPECT_TRUE(GetAdapterAddressList("/nonexistent/class/net").empty());
    EXPECT_EQ(GetLinkAddressText("/nonexistent/class/net"), "");
    EXPECT_TRUE(log.Contains("failed to call GetAdaptersInfo\n"));
}

}  // namespace
