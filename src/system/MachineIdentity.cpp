#include "system/MachineIdentity.h"

#include <sys/random.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>

#include "app/log/ILog.h"
#include "platform/Tick.h"
#include "util/Md5.h"

namespace {

// Only the first three adapters in the system's order count for the lists
// sent in reports; physical ones count wherever they are.
constexpr std::size_t kCountedAdapters = 3;

const std::vector<std::string>& VirtualMachinePrefixes() {
    // Built once; the initialisation of a function-local static is thread-safe.
    static const std::vector<std::string> prefixes = [] {
        std::vector<std::string> list = {"00-05-69", "00-0C-29", "00-50-56", "00-1c-14", "00-1C-42",
                                         "00-03-FF", "00-0F-4B", "00-16-3E", "08-00-27"};
        for (std::string& prefix : list) {
            std::transform(prefix.begin(), prefix.end(), prefix.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        }
        return list;
    }();
    return prefixes;
}

void FillRandom(std::uint8_t* bytes, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got = ::getrandom(bytes + filled, size - filled, 0);
        if (got <= 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    if (filled < size) {
        std::ifstream urandom("/dev/urandom", std::ios::binary);
        urandom.read(reinterpret_cast<char*>(bytes + filled), static_cast<std::streamsize>(size - filled));
        filled += static_cast<std::size_t>(urandom.gcount());
    }
    if (filled < size) {
        std::random_device device;
        for (; filled < size; ++filled) {
            bytes[filled] = static_cast<std::uint8_t>(device());
        }
    }
}

std::string JoinAddresses(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts) {
        if (!joined.empty()) joined += ':';
        joined += text;
    }
    return joined;
}

// Splits at ":" (empty pieces dropped); two or more pieces are sorted and
// joined again, a single piece leaves the text as it was.
std::string NormaliseAddressText(const std::string& text) {
    std::vector<std::string> pieces;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        std::size_t end = text.find(':', begin);
        if (end == std::string::npos) end = text.size();
        if (end > begin) pieces.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    if (pieces.size() <= 1) {
        return text;
    }
    std::sort(pieces.begin(), pieces.end());
    return JoinAddresses(pieces);
}

bool ListAdapters(const std::string& netFolder, std::vector<platform::NetworkAdapter>& adapters) {
    if (!platform::EnumerateNetworkAdapters(netFolder, adapters)) {
        LogPrintf("failed to call GetAdaptersInfo\n");
        return false;
    }
    return true;
}

}  // namespace

std::string NewGuidText() {
    std::array<std::uint8_t, 16> bytes{};
    FillRandom(bytes.data(), bytes.size());
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // the standard variant
    const unsigned data1 = (unsigned{bytes[0]} << 24) | (unsigned{bytes[1]} << 16) | (unsigned{bytes[2]} << 8) | bytes[3];
    const unsigned data2 = (unsigned{bytes[4]} << 8) | bytes[5];
    const unsigned data3 = (unsigned{bytes[6]} << 8) | bytes[7];
    char text[33];
    std::snprintf(text, sizeof text, "%08X%04X%04X%02X%02X%02X%02X%02X%02X%02X%02X", data1, data2, data3, bytes[8],
                  bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return text;
}

std::string MakeInstallId() {
    std::array<std::uint32_t, 4> entropy{};
    FillRandom(reinterpret_cast<std::uint8_t*>(entropy.data()), sizeof entropy);
    std::seed_seq seed{platform::GetTickCount32(), entropy[0], entropy[1], entropy[2], entropy[3]};
    std::mt19937 generator(seed);
    std::array<std::uint8_t, 256 * 4> bytes{};
    for (std::size_t i = 0; i < 256; ++i) {
        const auto number = static_cast<std::uint32_t>(generator());
        for (std::size_t b = 0; b < 4; ++b) {
            bytes[i * 4 + b] = static_cast<std::uint8_t>(number >> (8 * b));  // little-endian
        }
    }
    return Md5OfBuffer(bytes.data(), bytes.size(), HexCase::Lower);
}

std::string FormatAdapterAddress(const std::vector<std::uint8_t>& address) {
    unsigned b[6] = {0, 0, 0, 0, 0, 0};
    for (std::size_t i = 0; i < 6 && i < address.size(); ++i) {
        b[i] = address[i];
    }
    char text[18];
    std::snprintf(text, sizeof text, "%02x-%02x-%02x-%02x-%02x-%02x", b[0], b[1], b[2], b[3], b[4], b[5]);
    return text;
}

bool IsVirtualMachineAddress(const std::string& addressText) {
    std::string upper = addressText;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (const std::string& prefix : VirtualMachinePrefixes()) {
        if (upper.find(prefix) != std::string::npos) {
            return true;
        }
    }
    return false;
}

bool IsPhysicalAdapter(const platform::NetworkAdapter& adapter) {
    return adapter.onPciBus || adapter.hasDevice;
}

std::vector<std::string> GetAdapterAddressList(const std::string& netFolder) {
    std::vector<std::string> list;
    std::vector<platform::NetworkAdapter> adapters;
    if (!platform::EnumerateNetworkAdapters(netFolder, adapters)) {
        return list;
    }
    for (std::size_t i = 0; i < adapters.size() && i < kCountedAdapters; ++i) {
        const std::string text = FormatAdapterAddress(adapters[i].address);
        if (!IsVirtualMachineAddress(text)) {
            list.push_back(text);
        }
    }
    std::sort(list.begin(), list.end());
    return list;
}

std::string GetLinkAddressText(const std::string& netFolder) {
    std::vector<platform::NetworkAdapter> adapters;
    if (!ListAdapters(netFolder, adapters)) {
        return std::string();
    }
    std::vector<std::string> filtered;
    std::vector<std::string> physical;
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        const std::string text = FormatAdapterAddress(adapters[i].address);
        if (i < kCountedAdapters && !IsVirtualMachineAddress(text)) {
            filtered.push_back(text);
        }
        if (IsPhysicalAdapter(adapters[i])) {
            physical.push_back(text);
        }
    }
    std::string text = JoinAddresses(physical.empty() ? filtered : physical);
    if (text.empty()) {
        // Nothing else to go by: the first three adapters, virtual or not.
        if (!ListAdapters(netFolder, adapters)) {
            return std::string();
        }
        std::vector<std::string> first;
        for (std::size_t i = 0; i < adapters.size() && i < kCountedAdapters; ++i) {
            first.push_back(FormatAdapterAddress(adapters[i].address));
        }
        text = JoinAddresses(first);
    }
    return NormaliseAddressText(text);
}
