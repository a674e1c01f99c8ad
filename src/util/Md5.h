// MD5 digests (RFC 1321) written as 32 hexadecimal digits: upper case for the
// download digests, which are compared with the manifest as exact text, and
// lower case for the other callers.
#pragma once

#include <cstddef>
#include <string>

enum class HexCase { Upper, Lower };

// The digest of a byte buffer.
std::string Md5OfBuffer(const void* data, std::size_t size, HexCase hexCase);

// The digest of a whole file; false when the file cannot be opened or read.
bool Md5OfFile(const std::string& path, HexCase hexCase, std::string& digest);

// Incremental digest for callers that feed the bytes piece by piece.
class Md5Stream {
public:
    Md5Stream();
    ~Md5Stream();
    Md5Stream(const Md5Stream&) = delete;
    Md5Stream& operator=(const Md5Stream&) = delete;

    void Update(const void* data, std::size_t size);
    // The digest of everything fed so far; the stream cannot be fed afterwards.
    std::string Finish(HexCase hexCase);

private:
    void* context_;  // owned EVP_MD_CTX, kept opaque so OpenSSL's headers stay out of this one
};
