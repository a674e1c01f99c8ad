#include "install/CMyRegKey.h"

using platform::RegResult;

CMyRegKey::CMyRegKey() = default;

CMyRegKey::~CMyRegKey() {
    Close();
}

RegResult CMyRegKey::Create(platform::RegistryRoot root, const std::string& subKey) {
    return Attach(root, subKey, platform::kKeyAllAccess, true);
}

RegResult CMyRegKey::Open(platform::RegistryRoot root, const std::string& subKey, std::uint32_t access) {
    return Attach(root, subKey, access, false);
}

RegResult CMyRegKey::Attach(platform::RegistryRoot root, const std::string& subKey, std::uint32_t access,
                            bool create) {
    Close();
    std::unique_ptr<platform::RegistryStore> store;
    RegResult result = platform::RegistryStore::OpenRoot(root, store);
    if (result != platform::kRegSuccess) {
        return result;
    }
    platform::RegKeyId key = 0;
    const platform::RegistryView view = platform::ViewFromAccess(access);
    result = create ? store->CreateKey(view, subKey, key) : store->OpenKey(view, subKey, key);
    if (result != platform::kRegSuccess) {
        return result;
    }
    store_ = std::move(store);
    hkey_ = key;
    writable_ = platform::AccessAllowsWrite(access);
    keyPath_ = subKey;
    return platform::kRegSuccess;
}

void CMyRegKey::Close() {
    store_.reset();
    hkey_ = 0;
    writable_ = false;
}

RegResult CMyRegKey::Read(const std::string& name, platform::RegType type, platform::RegValue& value) {
    if (!store_) {
        return platform::kRegInvalidHandle;
    }
    const RegResult result = store_->QueryValue(hkey_, name, value);
    if (result != platform::kRegSuccess) {
        return result;
    }
    return value.type == type ? platform::kRegSuccess : platform::kRegUnsupportedType;
}

RegResult CMyRegKey::ReadString(const std::string& name, std::string& text) {
    platform::RegValue value;
    const RegResult result = Read(name, platform::RegType::kSz, value);
    if (result != platform::kRegSuccess) {
        return result;
    }
    if (value.text.size() + 1 > kRegStringBufferSize) {
        return platform::kRegMoreData;
    }
    text = value.text;
    return platform::kRegSuccess;
}

RegResult CMyRegKey::ReadDword(const std::string& name, std::int32_t& number) {
    platform::RegValue value;
    const RegResult result = Read(name, platform::RegType::kDword, value);
    if (result == platform::kRegSuccess) {
        number = static_cast<std::int32_t>(value.number);
    }
    return result;
}

RegResult CMyRegKey::Write(const platform::RegValue& value) {
    if (!store_) {
        return platform::kRegInvalidHandle;
    }
    if (!writable_) {
        return platform::kRegAccessDenied;
    }
    return store_->SetValue(hkey_, value);
}

RegResult CMyRegKey::WriteString(const std::string& name, const std::string& text) {
    platform::RegValue value;
    value.name = name;
    value.type = platform::RegType::kSz;
    // The stored text ends where a NUL-terminated copy of it would.
    value.text = text.substr(0, text.find('\0'));
    return Write(value);
}

RegResult CMyRegKey::WriteDword(const std::string& name, std::int32_t number) {
    platform::RegValue value;
    value.name = name;
    value.type = platform::RegType::kDword;
    value.number = static_cast<std::uint32_t>(number);
    return Write(value);
}
