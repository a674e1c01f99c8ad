#include "platform/NetworkAdapters.h"

#include <gtest/gtest.h>

#include "support/FakeNetFolder.h"

using namespace platform;

namespace {

TEST(NetworkAdapters, HardwareAddressesAreParsedStrictly) {
    const struct {
        std::string text;
        bool ok;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"00:1a:2B:3c:4d:5e", true, {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}},
        {"ff", true, {0xff}},
        {"", false, {}},
        {"00:1a:", false, {}},
        {"0:1a", false, {}},
        {"00-1a-2b", false, {}},
        {"zz:00", false, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> bytes;
        EXPECT_EQ(ParseHardwareAddress(c.text, bytes), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(bytes, c.bytes) << c.text;
        }
    }
}

TEST(NetworkAdapters, AdaptersComeInIndexOrderWithTheirDeviceAndBus) {
    FakeNetFolder net;
    net.Add("wlan0", "00:1a:2b:3c:4d:03", 3, FakeNetFolder::Bus::kUsb);
    net.Add("lo", "00:00:00:00:00:00", 1);
    net.Add("eth0", "00:1a:2b:3c:4d:02", 2, FakeNetFolder::Bus::kPci);
    net.Add("tun0", "", 4);
    net.Add("br0", "00:1a:2b:3c:4d:10", 10);
    net.Add("veth9", "00:1a:2b:3c:4d:09", 9);

    std::vector<NetworkAdapter> adapters;
    ASSERT_TRUE(EnumerateNetworkAdapters(net.path(), adapters));
    ASSERT_EQ(adapters.size(), 4u);  // no loopback, no tunnel without an address
    const struct {
        const char* name;
        bool device;
        bool pci;
        std::uint8_t last;
    } expected[] = {{"eth0", true, true, 0x02}, {"wlan0", true, false, 0x03}, {"veth9", false, false, 0x09},
                    {"br0", false, false, 0x10}};
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        EXPECT_EQ(adapters[i].name, expected[i].name);
        EXPECT_EQ(adapters[i].hasDevice, expected[i].device) << expected[i].name;
        EXPECT_EQ(adapters[i].onPciBus, expected[i].pci) << expected[i].name;
        ASSERT_EQ(adapters[i].address.size(), 6u);
        EXPECT_EQ(adapters[i].address[5], expected[i].last);
    }
}

TEST(NetworkAdapters, NoListableAdapterIsAFailure) {
    std::vector<NetworkAdapter> adapters;
    EXPECT_FALSE(EnumerateNetworkAdapters("/nonexistent/class/net", adapters));
    FakeNetFolder onlyLoopback;
    onlyLoopback.Add("lo", "00:00:00:00:00:00", 1);
    EXPECT_FALSE(EnumerateNetworkAdapters(onlyLoopback.path(), adapters));
    EXPECT_TRUE(adapters.empty());
}

}  // namespace
