#include "util/XMLParse.h"

#include <boost/property_tree/xml_parser.hpp>

#include <algorithm>
#include <cstring>
#include <exception>
#include <iterator>
#include <sstream>
#include <string_view>
#include <type_traits>
#include <utility>

#include "app/log/ILog.h"
#include "util/JFile.h"
#include "util/XmlNestingGuard.h"

namespace pt = boost::property_tree;

namespace {

const std::string kAttributes = "<xmlattr>";
const std::string kComment = "<xmlcomment>";
const std::string kItem = "item";
const std::string kItemValuePath = "<xmlattr>.key";

// The manifest nests three elements deep; anything near this bound is not a
// document this installer reads, and refusing it keeps the parser's recursion
// far from the end of a worker thread's stack.
constexpr int kMaxElementDepth = 128;

using FailureLog = void (*)(const std::string& path);

void NoLog(const std::string&) {}

void LogReadUnsigned(const std::string& path) {
    LogPrintf("XMLParse: error read unsigned int from %s\n", path.c_str());
}

void LogWriteUInt64(const std::string& path) {
    LogPrintf("XMLParse: error WriteXML uint64_t to %s\n", path.c_str());
}

void LogWriteUInt(const std::string& path) {
    LogPrintf("XMLParse: error WriteXML int to %s\n", path.c_str());
}

// Splits a dotted path into element names; false when the path is empty or
// has an empty component ("a..b", ".a", "a."), which names nothing a writer
// could save as XML.
bool SplitPath(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = path.find('.', start);
        const std::size_t end = dot == std::string::npos ? path.size() : dot;
        if (end == start) {
            return false;
        }
        names.push_back(path.substr(start, end - start));
        if (dot == std::string::npos) {
            return true;
        }
        start = dot + 1;
    }
}

bool IsValidPath(const std::string& path) {
    std::vector<std::string> names;
    return SplitPath(path, names);
}

// "download.url.size" becomes "download.url.<xmlattr>.size".
bool MakeAttributePath(const std::string& path, std::string& attributePath) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || !IsValidPath(path)) {
        return false;
    }
    attributePath = path.substr(0, dot) + "." + kAttributes + path.substr(dot);
    return true;
}

// The first child of that name, without reading dots in the name as a path.
template <class Tree>
Tree* FindChild(Tree& tree, const std::string& name) {
    const auto found = tree.find(name);
    return found == tree.not_found() ? nullptr : &found->second;
}

// The existence walk: the element at path, following the first child of each
// name, as the tree's own get and put do; null when any step is missing.
template <class Tree>
Tree* FindNode(Tree& root, const std::string& path) {
    std::vector<std::string> names;
    if (!SplitPath(path, names)) {
        return nullptr;
    }
    Tree* node = &root;
    for (const std::string& name : names) {
        node = FindChild(*node, name);
        if (node == nullptr) {
            return nullptr;
        }
    }
    return node;
}

pt::ptree& FindOrMakeNode(pt::ptree& root, const std::string& path) {
    if (pt::ptree* node = FindNode(root, path)) {
        return *node;
    }
    return root.put_child(path, pt::ptree());
}

// The tree's stream conversion turns "-1" into the largest unsigned value; for
// an unsigned attribute a sign makes the value unreadable, not huge.
bool HasMinusSign(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string::npos && text[first] == '-';
}

template <class T>
bool ReadAttribute(const pt::ptree& tree, const std::string& path, const T& sentinel, T& value,
                   FailureLog logFailure) {
    std::string attributePath;
    if (!MakeAttributePath(path, attributePath)) {
        logFailure(path);
        return false;
    }
    try {
        T read = tree.get<T>(attributePath, sentinel);
        if constexpr (std::is_unsigned_v<T>) {
            if (HasMinusSign(tree.get<std::string>(attributePath, std::string()))) {
                read = sentinel;
            }
        }
        if (read != sentinel) {
            value = std::move(read);
            return true;
        }
    } catch (const std::exception&) {
    }
    logFailure(attributePath);
    return false;
}

// Creates or replaces the attribute, and any missing element above it.
template <class T>
bool WriteAttribute(pt::ptree& tree, const std::string& path, const T& value,
                    FailureLog logFailure) {
    std::string attributePath;
    if (!MakeAttributePath(path, attributePath)) {
        logFailure(path);
        return false;
    }
    try {
        tree.put(attributePath, value);
        return true;
    } catch (const std::exception&) {
    }
    logFailure(attributePath);
    return false;
}

template <class T>
bool ReadList(const pt::ptree& tree, const std::string& path, std::vector<T>& values) {
    try {
        const pt::ptree* node = FindNode(tree, path);
        if (node == nullptr) {
            return false;
        }
        std::vector<T> read;
        for (const auto& [name, child] : *node) {
            if (name == kAttributes) {
                continue;
            }
            // Every other child must be an item with a key, or this is not a list.
            const boost::optional<T> entry =
                name == kItem ? child.template get_optional<T>(kItemValuePath) : boost::none;
            if (!entry) {
                return false;
            }
            read.push_back(*entry);
        }
        values = std::move(read);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Replaces the item children of the element at path (made when missing) with
// the given ones; other children and the element's attributes stay.
bool ReplaceItems(pt::ptree& root, const std::string& path, std::vector<pt::ptree> items) {
    if (!IsValidPath(path)) {
        return false;
    }
    try {
        pt::ptree& node = FindOrMakeNode(root, path);
        node.erase(kItem);
        for (pt::ptree& item : items) {
            node.push_back(pt::ptree::value_type(kItem, std::move(item)));
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

template <class T>
bool WriteList(pt::ptree& tree, const std::string& path, const std::vector<T>& values) {
    std::vector<pt::ptree> items;
    try {
        for (const T& value : values) {
            items.emplace_back().put(kItemValuePath, value);
        }
    } catch (const std::exception&) {
        return false;
    }
    return ReplaceItems(tree, path, std::move(items));
}

// put adds the element (and missing ancestors) when absent and otherwise
// replaces the text of the existing one, keeping its children and attributes.
template <class T>
bool SetElement(pt::ptree& tree, const std::string& path, const T& value) {
    if (!IsValidPath(path)) {
        return false;
    }
    try {
        tree.put(path, value);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// The reader accepts an empty text and several top-level elements; neither is
// a document.
bool HasSingleRootElement(const pt::ptree& tree) {
    return std::count_if(tree.begin(), tree.end(),
                         [](const pt::ptree::value_type& child) { return child.first != kComment; }) == 1;
}

}  // namespace

std::shared_ptr<IXMLParse> CreateXMLParse() {
    return std::make_shared<XMLParse>();
}

std::shared_ptr<IXMLParse> XMLParse::Clone() const {
    try {
        return std::make_shared<XMLParse>(*this);
    } catch (const std::exception&) {
        return nullptr;
    }
}

bool XMLParse::ReadFloatList(const std::string& path, std::vector<float>& values) const {
    return ReadList(tree_, path, values);
}

bool XMLParse::ReadIntList(const std::string& path, std::vector<std::int32_t>& values) const {
    return ReadList(tree_, path, values);
}

bool XMLParse::ReadStringList(const std::string& path, std::vector<std::string>& values) const {
    return ReadList(tree_, path, values);
}

bool XMLParse::ReadUInt64(const std::string& path, std::uint64_t& value) const {
    return ReadAttribute(tree_, path, kXMLUInt64Sentinel, value, LogReadUnsigned);
}

bool XMLParse::ReadUInt(const std::string& path, std::uint32_t& value) const {
    return ReadAttribute(tree_, path, kXMLUIntSentinel, value, LogReadUnsigned);
}

bool XMLParse::ReadFloat(const std::string& path, float& value) const {
    return ReadAttribute(tree_, path, kXMLFloatSentinel, value, NoLog);
}

bool XMLParse::ReadInt(const std::string& path, std::int32_t& value) const {
    return ReadAttribute(tree_, path, kXMLIntSentinel, value, NoLog);
}

bool XMLParse::ReadString(const std::string& path, std::string& value) const {
    return ReadAttribute(tree_, path, std::string(kXMLStringSentinel), value, NoLog);
}

bool XMLParse::WriteFloatList(const std::string& path, const std::vector<float>& values) {
    return WriteList(tree_, path, values);
}

bool XMLParse::WriteIntList(const std::string& path, const std::vector<std::int32_t>& values) {
    return WriteList(tree_, path, values);
}

bool XMLParse::WriteStringList(const std::string& path, const std::vector<std::string>& values) {
    return WriteList(tree_, path, values);
}

bool XMLParse::WriteUInt64(const std::string& path, std::uint64_t value) {
    return WriteAttribute(tree_, path, value, LogWriteUInt64);
}

bool XMLParse::WriteUInt(const std::string& path, std::uint32_t value) {
    return WriteAttribute(tree_, path, value, LogWriteUInt);
}

bool XMLParse::WriteFloat(const std::string& path, float value) {
    return WriteAttribute(tree_, path, value, NoLog);
}

bool XMLParse::WriteInt(const std::string& path, std::int32_t value) {
    return WriteAttribute(tree_, path, value, NoLog);
}

bool XMLParse::WriteString(const std::string& path, const std::string& value) {
    return WriteAttribute(tree_, path, value, NoLog);
}

// The Set* attribute operations add when absent and replace otherwise, which
// is what the tree's put does; they differ from the Write* ones only in not
// logging.
bool XMLParse::SetUInt64(const std::string& path, std::uint64_t value) {
    return WriteAttribute(tree_, path, value, NoLog);
}

bool XMLParse::SetUInt(const std::string& path, std::uint32_t value) {
    return WriteAttribute(tree_, path, value, NoLog);
}

bool XMLParse::SetFloatList(const std::string& path, const std::vector<float>& values) {
    return SetString(path, std::string()) && WriteFloatList(path, values);
}

// Writes its list exactly as SetFloatList does, so a caller's list is really
// written rather than reported as written.
bool XMLParse::SetIntList(const std::string& path, const std::vector<std::int32_t>& values) {
    return SetString(path, std::string()) && WriteIntList(path, values);
}

bool XMLParse::SetStringList(const std::string& path, const std::vector<std::string>& values) {
    return SetElementString(path, std::string()) && WriteStringList(path, values);
}

bool XMLParse::SetFloat(const std::string& path, float value) {
    return WriteAttribute(tree_, path, value, NoLog);
}

bool XMLParse::SetInt(const std::string& path, std::int32_t value) {
    return WriteAttribute(tree_, path, value, NoLog);
}

bool XMLParse::SetString(const std::string& path, const std::string& value) {
    return WriteAttribute(tree_, path, value, NoLog);
}

bool XMLParse::SetElementFloat(const std::string& path, float value) {
    return SetElement(tree_, path, value);
}

bool XMLParse::SetElementInt(const std::string& path, std::int32_t value) {
    return SetElement(tree_, path, value);
}

bool XMLParse::SetElementString(const std::string& path, const std::string& value) {
    return SetElement(tree_, path, value);
}

bool XMLParse::RemoveAttribute(const std::string& path) {
    std::string attributePath;
    return MakeAttributePath(path, attributePath) && Remove(attributePath);
}

bool XMLParse::Remove(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    pt::ptree* parent = dot == std::string::npos ? &tree_ : FindNode(tree_, path.substr(0, dot));
    const std::string name = dot == std::string::npos ? path : path.substr(dot + 1);
    if (parent == nullptr || name.empty()) {
        return true;  // an invalid path names nothing, so nothing is left there
    }
    // Only the element the path names: the first child of that name, the one
    // the reads would find.
    const auto found = parent->find(name);
    if (found != parent->not_found()) {
        parent->erase(parent->to_iterator(found));
    }
    return true;
}

bool XMLParse::LoadFromMemory(const char* text, std::size_t length) {
    if (text == nullptr) {
        return false;
    }
    const void* nul = std::memchr(text, '\0', length);
    const std::size_t size = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : length;
    const std::string_view xml(text, size);
    if (!IsXmlNestingWithin(xml, kMaxElementDepth)) {
        return false;
    }
    try {
        std::istringstream stream{std::string(xml)};
        pt::ptree parsed;
        pt::read_xml(stream, parsed, pt::xml_parser::trim_whitespace);
        if (!HasSingleRootElement(parsed)) {
            return false;
        }
        tree_.swap(parsed);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool XMLParse::LoadFile(const std::string& path) {
    std::string content;
    if (!JFile::ReadAll(path, content) || !LoadFromMemory(content.data(), content.size())) {
        return false;
    }
    filePath_ = path;
    loaded_ = true;
    return true;
}

HRESULT XMLParse::Save() const {
    return SaveAs(filePath_);
}

HRESULT XMLParse::SaveAs(const std::string& path) const {
    if (path.empty()) {
        return E_FAIL;
    }
    // The whole text is made before the file is opened, so a writer error
    // cannot leave an old file truncated.
    std::ostringstream text;
    try {
        pt::write_xml(text, tree_, pt::xml_writer_make_settings<std::string>('\t', 1, "utf-8"));
    } catch (const std::exception&) {
        return E_FAIL;
    }
    return JFile::WriteAll(path, text.str()) ? S_OK : E_FAIL;
}

XMLRecordTable XMLParse::ReadTable(const std::string& path, const XMLColumnList& columns,
                                   const std::string& keyName) const {
    XMLRecordTable table;
    try {
        const pt::ptree* node = FindNode(tree_, path);
        if (node == nullptr) {
            return {};
        }
        for (const auto& [name, child] : *node) {
            if (name == kAttributes) {
                continue;
            }
            const pt::ptree* attributes = FindChild(child, kAttributes);
            const pt::ptree* key = attributes ? FindChild(*attributes, keyName) : nullptr;
            if (key == nullptr) {
                continue;
            }
            XMLRecord record;
            for (const std::string& column : columns) {
                if (const pt::ptree* field = FindChild(*attributes, column)) {
                    record[column] = field->data();
                }
            }
            table.emplace(key->data(), std::move(record));  // the first record of a key wins
        }
    } catch (const std::exception&) {
        return {};
    }
    return table;
}

bool XMLParse::WriteTable(const std::string& path, const XMLRecordTable& table,
                          const std::string& keyName) {
    if (keyName.empty()) {
        return false;
    }
    std::vector<pt::ptree> items;
    try {
        for (const auto& [key, record] : table) {
            pt::ptree attributes;
            attributes.push_back(pt::ptree::value_type(keyName, pt::ptree(key)));
            for (const auto& [field, value] : record) {
                if (field.empty()) {
                    return false;  // would save as an attribute without a name
                }
                if (field != keyName) {  // the table's key is the record's key
                    attributes.push_back(pt::ptree::value_type(field, pt::ptree(value)));
                }
            }
            items.emplace_back().push_back(pt::ptree::value_type(kAttributes, std::move(attributes)));
        }
    } catch (const std::exception&) {
        return false;
    }
    return ReplaceItems(tree_, path, std::move(items));
}
