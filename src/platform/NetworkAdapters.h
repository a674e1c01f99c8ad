// The machine's network adapters as the kernel lists them in a folder laid
// out like /sys/class/net: one sub-folder per interface with its hardware
// address, its interface index and, for an adapter backed by hardware, a
// "device" link whose "subsystem" names the bus.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

inline constexpr const char* kSystemNetFolder = "/sys/class/net";

struct NetworkAdapter {
    std::string name;
    std::vector<std::uint8_t> address;  // hardware address bytes
    bool hasDevice = false;             // backed by a device, not purely software
    bool onPciBus = false;              // that device sits on a PCI bus
};

// The adapters of the folder that have a hardware address (the loopback's
// all-zero one does not count), in interface-index order. False when the
// folder cannot be listed or holds no such adapter.
bool EnumerateNetworkAdapters(const std::string& netFolder, std::vector<NetworkAdapter>& adapters);

// Parses "aa:bb:cc:dd:ee:ff" (any number of two-digit hexadecimal bytes);
// false for anything else.
bool ParseHardwareAddress(const std::string& text, std::vector<std::uint8_t>& address);

}  // namespace platform
