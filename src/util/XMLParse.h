// The IXMLParse document over boost's property tree. Include this only where
// the tree itself is needed; callers of the interface include IXMLParse.h.
//
// The tree keeps an element's attributes under a child named "<xmlattr>" and
// comments under "<xmlcomment>"; text content is the node's value. Attribute
// paths are rewritten by inserting ".<xmlattr>" before their last dot.
#pragma once

#include <boost/property_tree/ptree.hpp>

#include <cstdint>
#include <string>

#include "util/IXMLParse.h"

// The typed reads ask the tree for the value with these defaults and report a
// failure when the default comes back, so a stored value equal to its sentinel
// also reads as a failure (kept from the original design).
inline constexpr std::int32_t kXMLIntSentinel = -9999999;
inline constexpr std::uint32_t kXMLUIntSentinel = 999999;
inline constexpr std::uint64_t kXMLUInt64Sentinel = 999999;
inline constexpr float kXMLFloatSentinel = -99999.9f;
inline constexpr const char* kXMLStringSentinel = "{__see_it_is_read_string_failed_}";

class XMLParse final : public IXMLParse {
public:
    XMLParse() = default;
    XMLParse(const XMLParse&) = default;
    XMLParse& operator=(const XMLParse&) = default;

    std::shared_ptr<IXMLParse> Clone() const override;

    bool ReadFloatList(const std::string& path, std::vector<float>& values) const override;
    bool ReadIntList(const std::string& path, std::vector<std::int32_t>& values) const override;
    bool ReadStringList(const std::string& path, std::vector<std::string>& values) const override;
    bool ReadUInt64(const std::string& path, std::uint64_t& value) const override;
    bool ReadUInt(const std::string& path, std::uint32_t& value) const override;
    bool ReadFloat(const std::string& path, float& value) const override;
    bool ReadInt(const std::string& path, std::int32_t& value) const override;
    bool ReadString(const std::string& path, std::string& value) const override;

    bool WriteFloatList(const std::string& path, const std::vector<float>& values) override;
    bool WriteIntList(const std::string& path, const std::vector<std::int32_t>& values) override;
    bool WriteStringList(const std::string& path, const std::vector<std::string>& values) override;
    bool WriteUInt64(const std::string& path, std::uint64_t value) override;
    bool WriteUInt(const std::string& path, std::uint32_t value) override;
    bool WriteFloat(const std::string& path, float value) override;
    bool WriteInt(const std::string& path, std::int32_t value) override;
    bool WriteString(const std::string& path, const std::string& value) override;

    bool SetUInt64(const std::string& path, std::uint64_t value) override;
    bool SetUInt(const std::string& path, std::uint32_t value) override;
    bool SetFloatList(const std::string& path, const std::vector<float>& values) override;
    bool SetIntList(const std::string& path, const std::vector<std::int32_t>& values) override;
    bool SetStringList(const std::string& path, const std::vector<std::string>& values) override;
    bool SetFloat(const std::string& path, float value) override;
    bool SetInt(const std::string& path, std::int32_t value) override;
    bool SetString(const std::string& path, const std::string& value) override;

    bool SetElementFloat(const std::string& path, float value) override;
    bool SetElementInt(const std::string& path, std::int32_t value) override;
    bool SetElementString(const std::string& path, const std::string& value) override;

    bool RemoveAttribute(const std::string& path) override;
    bool Remove(const std::string& path) override;

    bool LoadFromMemory(const char* text, std::size_t length) override;
    bool LoadFile(const std::string& path) override;
    bool IsLoaded() const override { return loaded_; }

    HRESULT Save() const override;
    HRESULT SaveAs(const std::string& path) const override;

    boost::property_tree::ptree& GetRoot() override { return tree_; }

    XMLRecordTable ReadTable(const std::string& path, const XMLColumnList& columns,
                             const std::string& keyName) const override;
    bool WriteTable(const std::string& path, const XMLRecordTable& table,
                    const std::string& keyName) override;

private:
    boost::property_tree::ptree tree_;
    std::string filePath_;  // set by a successful LoadFile, used by Save
    bool loaded_ = false;
};
