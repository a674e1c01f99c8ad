// The registry wrapper through which the installer reaches every key it reads
// or writes: one open key at a time, closed when the object goes away.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/RegistryStore.h"

class CMyRegKey {
public:
    CMyRegKey();
    virtual ~CMyRegKey();
    CMyRegKey(const CMyRegKey&) = delete;
    CMyRegKey& operator=(const CMyRegKey&) = delete;

    // Creates or opens the key with full access in the installer's own
    // (32-bit) view and remembers its path. An open key is closed first.
    platform::RegResult Create(platform::RegistryRoot root, const std::string& subKey);
    // Opens an existing key; the view bits of the access mask choose the view.
    platform::RegResult Open(platform::RegistryRoot root, const std::string& subKey, std::uint32_t access);
    void Close();
    bool IsOpen() const { return store_ != nullptr; }

    // Reads a text value as a 200-byte buffer would hold it: a text of 200
    // bytes or more (with its terminating NUL over the buffer) fails with
    // kRegMoreData and leaves the text unchanged, as does any other failure.
    platform::RegResult ReadString(const std::string& name, std::string& text);
    platform::RegResult ReadDword(const std::string& name, std::int32_t& number);
    platform::RegResult WriteString(const std::string& name, const std::string& text);
    platform::RegResult WriteDword(const std::string& name, std::int32_t number);

    const std::string& GetKeyPath() const { return keyPath_; }

private:
    // Opens (or, with create, creates) the key and takes it as this handle.
    platform::RegResult Attach(platform::RegistryRoot root, const std::string& subKey, std::uint32_t access,
                               bool create);
    platform::RegResult Read(const std::string& name, platform::RegType type, platform::RegValue& value);
    platform::RegResult Write(const platform::RegValue& value);

    std::unique_ptr<platform::RegistryStore> store_;  // the open handle's connection; null when closed
    platform::RegKeyId hkey_ = 0;
    bool writable_ = false;
    std::string keyPath_;
};

// The size of the buffer ReadString reads into, NUL included.
inline constexpr std::size_t kRegStringBufferSize = 200;
