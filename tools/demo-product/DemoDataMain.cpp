// mss-demo-data <folder> <MiB>: writes the demo product's data files, about
// the given size in all: a mix of incompressible files, text-like files that
// compress well and many small files, the same bytes on every run.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

bool WriteFile(const std::string& path, const std::string& content) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    return std::fclose(file) == 0 && written;
}

std::string RandomBytes(std::size_t size, std::mt19937_64& random) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        const std::uint64_t value = random();
        for (int k = 0; k < 8; ++k) bytes[i + k] = static_cast<char>(value >> (8 * k));
    }
    return bytes;
}

std::string TextBytes(std::size_t size, std::mt19937_64& random) {
    static const char* words[] = {"serac", "studio", "render", "frame", "layer", "mirvak", "colour", "brush",
                                  "canvas", "export", "timeline", "node", "shader", "preview", "0.25", "1024"};
    std::string text;
    text.reserve(size + 16);
    while (text.size() < size) {
        text += words[random() % 16];
        text += (random() % 12 == 0) ? '\n' : ' ';
    }
    text.resize(size);
    return text;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fputs("usage: mss-demo-data <folder> <MiB>\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];
    const long megabytes = std::strtol(argv[2], nullptr, 10);
    if (megabytes < 1) {
        std::fputs("mss-demo-data: the size is at least 1 MiB\n", stderr);
        return 2;
    }
    const std::size_t total = static_cast<std::size_t>(megabytes) << 20;
    std::mt19937_64 random(20210601);
    for (const char* sub : {"", "/data", "/media", "/docs", "/plugins"}) {
        ::mkdir((folder + sub).c_str(), 0755);
    }
    // Half incompressible media, three eighths text, an eighth in small files.
    const std::size_t mediaSize = total / 2;
    const std::size_t textSize = total * 3 / 8;
    const std::size_t smallSize = total - mediaSize - textSize;
    const std::size_t mediaPiece = std::max<std::size_t>(mediaSize / 8, 1);
    bool ok = true;
    for (std::size_t done = 0, i = 0; ok && done < mediaSize; done += mediaPiece, ++i) {
        ok = WriteFile(folder + "/media/clip" + std::to_string(i) + ".bin", RandomBytes(std::min(mediaPiece, mediaSize - done), random));
    }
    const std::size_t textPiece = std::max<std::size_t>(textSize / 6, 1);
    for (std::size_t done = 0, i = 0; ok && done < textSize; done += textPiece, ++i) {
        ok = WriteFile(folder + "/docs/manual" + std::to_string(i) + ".txt", TextBytes(std::min(textPiece, textSize - done), random));
    }
    // Small files of 2 to 14 KiB, a third of them incompressible.
    std::size_t done = 0;
    for (std::size_t i = 0; ok && done < smallSize; ++i) {
        const std::size_t size = std::min<std::size_t>(2048 + random() % 12288, smallSize - done);
        const std::string sub = "/plugins/p" + std::to_string(i / 100);
        ::mkdir((folder + sub).c_str(), 0755);
        const std::string content = i % 3 == 0 ? RandomBytes(size, random) : TextBytes(size, random);
        ok = WriteFile(folder + sub + "/part" + std::to_string(i) + (i % 3 == 0 ? ".dat" : ".cfg"), content);
        done += size;
    }
    ok = ok && WriteFile(folder + "/data/settings.ini", "[studio]\nquality=high\nlanguage=auto\n");
    if (!ok) {
        std::fprintf(stderr, "mss-demo-data: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
