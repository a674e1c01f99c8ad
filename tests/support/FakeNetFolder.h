// A folder laid out like /sys/class/net for adapter enumeration tests: each
// adapter is a link to its own folder (as the kernel does it) with an
// "address" and an "ifindex" file, and, when it is backed by a device, a
// "device" link whose "subsystem" link names the device's bus.
#pragma once

#include <string>

#include "support/TempDir.h"

class FakeNetFolder {
public:
    enum class Bus { kNone, kPci, kUsb };

    // address as the kernel writes it ("00:1a:2b:3c:4d:5e"); an empty text
    // writes an empty address file, as for a tunnel.
    void Add(const std::string& name, const std::string& address, int ifindex, Bus bus = Bus::kNone) const;

    // The folder standing in for /sys/class/net.
    std::string path() const { return dir_.Path("class/net"); }

private:
    TempDir dir_;
};
