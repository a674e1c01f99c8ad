#include "util/Md5.h"

#include <openssl/evp.h>

#include <cstdio>
#include <vector>

namespace {

std::string ToHex(const unsigned char* digest, unsigned length, HexCase hexCase) {
    const char* digits = hexCase == HexCase::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text;
    text.reserve(length * 2);
    for (unsigned i = 0; i < length; ++i) {
        text += digits[digest[i] >> 4];
        text += digits[digest[i] & 0x0F];
    }
    return text;
}

EVP_MD_CTX* Ctx(void* context) {
    return static_cast<EVP_MD_CTX*>(context);
}

}  // namespace

Md5Stream::Md5Stream() : context_(EVP_MD_CTX_new()) {
    EVP_DigestInit_ex(Ctx(context_), EVP_md5(), nullptr);
}

Md5Stream::~Md5Stream() {
    EVP_MD_CTX_free(Ctx(context_));
}

void Md5Stream::Update(const void* data, std::size_t size) {
    EVP_DigestUpdate(Ctx(context_), data, size);
}

std::string Md5Stream::Finish(HexCase hexCase) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    EVP_DigestFinal_ex(Ctx(context_), digest, &length);
    return ToHex(digest, length, hexCase);
}

std::string Md5OfBuffer(const void* data, std::size_t size, HexCase hexCase) {
    Md5Stream md5;
    md5.Update(data, size);
    return md5.Finish(hexCase);
}

bool Md5OfFile(const std::string& path, HexCase hexCase, std::string& digest) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    // Large pieces: the digest does not depend on the piece size, and a
    // 1.25 GB file is read far faster this way than in 1 KiB reads.
    std::vector<unsigned char> piece(1 << 20);
    Md5Stream md5;
    std::size_t got;
    while ((got = std::fread(piece.data(), 1, piece.size(), file)) > 0) {
        md5.Update(piece.data(), got);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        return false;
    }
    digest = md5.Finish(hexCase);
    return true;
}
