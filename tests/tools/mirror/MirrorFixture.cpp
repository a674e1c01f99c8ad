#include "MirrorFixture.h"

#include <fstream>

std::string PseudoRandomBytes(size_t length, uint64_t seed) {
    std::string bytes(length, '\0');
    uint64_t state = seed | 1;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        byte = static_cast<char>(state >> 56);
    }
    return bytes;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

MirrorFixture::MirrorFixture()
    : content_(PseudoRandomBytes(kServedSize, 0x5eedULL)), file_(dir_.WriteFile("setup.bin", content_)) {}

MirrorServerOptions MirrorFixture::Options(const Adjust& adjust) const {
    MirrorServerOptions options;
    options.file = file_;
    if (adjust) {
        adjust(options);
    }
    return options;
}

void MirrorFixture::StartMirror(MirrorServer& mirror, const Adjust& adjust) {
    std::string error;
    ASSERT_TRUE(mirror.Start(Options(adjust), &error)) << error;
}
