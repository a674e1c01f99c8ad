// The XML document object: loads a document from memory or a file,
// reads and writes values by dotted paths, keeps lists and record tables in a
// fixed child-element shape and saves the document back. The download manifest
// reader is its only real caller.
//
// Paths are dotted element names from the document root: "download.url" is the
// element url inside download. Operations on an attribute take a path whose
// last component names the attribute ("download.url.size" is the attribute size
// of download.url), so such a path needs at least one dot.
//
// Text is UTF-8 throughout. No operation throws; failures come back as false,
// E_FAIL or an empty table, and reads leave their out value unchanged.
#pragma once

#include <boost/property_tree/ptree_fwd.hpp>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "util/HResult.h"

// The attributes to read from each record of a table.
using XMLColumnList = std::vector<std::string>;
// One record of a table: attribute name to value.
using XMLRecord = std::map<std::string, std::string>;
// Records by the value of their key attribute (the key name given to
// ReadTable and WriteTable).
using XMLRecordTable = std::map<std::string, XMLRecord>;

class IXMLParse {
public:
    virtual ~IXMLParse() = default;

    // A new document with a copy of the tree, the file path and the loaded flag.
    virtual std::shared_ptr<IXMLParse> Clone() const = 0;

    // Lists: the item children of the element at path, each holding one value
    // in its attribute key. Any other child makes the whole read fail.
    virtual bool ReadFloatList(const std::string& path, std::vector<float>& values) const = 0;
    virtual bool ReadIntList(const std::string& path, std::vector<std::int32_t>& values) const = 0;
    virtual bool ReadStringList(const std::string& path, std::vector<std::string>& values) const = 0;

    // Typed attribute reads. A missing or unconvertible attribute fails, and so
    // does a stored value equal to the type's sentinel (see XMLParse.h).
    virtual bool ReadUInt64(const std::string& path, std::uint64_t& value) const = 0;
    virtual bool ReadUInt(const std::string& path, std::uint32_t& value) const = 0;
    virtual bool ReadFloat(const std::string& path, float& value) const = 0;
    virtual bool ReadInt(const std::string& path, std::int32_t& value) const = 0;
    virtual bool ReadString(const std::string& path, std::string& value) const = 0;

    // List writes: remove every item child of the element at path (made when
    // missing), then append one item per value.
    virtual bool WriteFloatList(const std::string& path, const std::vector<float>& values) = 0;
    virtual bool WriteIntList(const std::string& path, const std::vector<std::int32_t>& values) = 0;
    virtual bool WriteStringList(const std::string& path, const std::vector<std::string>& values) = 0;

    // Attribute writes: create or replace the attribute, and any missing element above it.
    virtual bool WriteUInt64(const std::string& path, std::uint64_t value) = 0;
    virtual bool WriteUInt(const std::string& path, std::uint32_t value) = 0;
    virtual bool WriteFloat(const std::string& path, float value) = 0;
    virtual bool WriteInt(const std::string& path, std::int32_t value) = 0;
    virtual bool WriteString(const std::string& path, const std::string& value) = 0;

    // Attribute sets: add the attribute when absent, otherwise replace its value.
    virtual bool SetUInt64(const std::string& path, std::uint64_t value) = 0;
    virtual bool SetUInt(const std::string& path, std::uint32_t value) = 0;
    // SetString of an empty text at path, then the list write; this also leaves an empty attribute named after the list on its parent.
    virtual bool SetFloatList(const std::string& path, const std::vector<float>& values) = 0;
    virtual bool SetIntList(const std::string& path, const std::vector<std::int32_t>& values) = 0;
    // SetElementString of an empty text at path, then the list write.
    virtual bool SetStringList(const std::string& path, const std::vector<std::string>& values) = 0;
    virtual bool SetFloat(const std::string& path, float value) = 0;
    virtual bool SetInt(const std::string& path, std::int32_t value) = 0;
    virtual bool SetString(const std::string& path, const std::string& value) = 0;

    // Element text: adds the element when absent, otherwise replaces its text.
    virtual bool SetElementFloat(const std::string& path, float value) = 0;
    virtual bool SetElementInt(const std::string& path, std::int32_t value) = 0;
    virtual bool SetElementString(const std::string& path, const std::string& value) = 0;

    // Removal is true also when nothing was there; only an attribute path
    // without a dot fails.
    virtual bool RemoveAttribute(const std::string& path) = 0;
    virtual bool Remove(const std::string& path) = 0;

    // Replaces the tree with the document in at most length bytes of text,
    // which ends earlier at a NUL byte. False, with the tree unchanged, when the
    // text is not one well-formed document with a single root element.
    virtual bool LoadFromMemory(const char* text, std::size_t length) = 0;
    // Reads the whole file and loads it; on success remembers the path for
    // Save and sets the loaded flag.
    virtual bool LoadFile(const std::string& path) = 0;
    virtual bool IsLoaded() const = 0;

    // SaveAs with the path of the last successful LoadFile.
    virtual HRESULT Save() const = 0;
    // Writes the tree as UTF-8 XML indented by tabs, creating missing folders;
    // E_FAIL when the file cannot be written.
    virtual HRESULT SaveAs(const std::string& path) const = 0;

    // Direct access to the tree; the root has no name and holds the document's
    // root element as its child.
    virtual boost::property_tree::ptree& GetRoot() = 0;

    // Record tables: one item child of the element at path per record, one
    // attribute per field. ReadTable reads the listed columns of every child
    // that carries the key attribute (children without it are skipped); an
    // absent column is absent from the record. Empty when path does not exist.
    virtual XMLRecordTable ReadTable(const std::string& path, const XMLColumnList& columns,
                                     const std::string& keyName) const = 0;
    // Replaces every item child of the element at path (made when missing)
    // with the records, each carrying its table key in the attribute keyName.
    virtual bool WriteTable(const std::string& path, const XMLRecordTable& table,
                            const std::string& keyName) = 0;
};

// A new empty document: empty tree and path, not loaded.
std::shared_ptr<IXMLParse> CreateXMLParse();
