// The JSON value tree under CJsonObject, with its parser and its
// printer. Text is UTF-8 in std::string throughout.
//
// The parser reads replies from the network, so it is strict RFC 8259 and
// bounded: it never reads past the text it is given, and it refuses nesting
// deeper than kMaxJsonDepth instead of recursing without limit. Every tree it
// builds, and every tree CJsonObject builds, stays within that depth, which is
// what bounds the printer's and the destructor's recursion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Arrays and objects nested deeper than this are refused. A usage report is
// three levels deep; the bound only keeps hostile replies off the stack.
inline constexpr int kMaxJsonDepth = 512;

// Values of the type word; their numbers are part of the format.
enum class JsonType : int {
    False = 0,
    True = 1,
    Null = 2,
    Integer = 3,
    Double = 4,
    String = 5,
    Array = 6,
    Object = 7,
};

// Signedness of an integer node: how its 64 bits are to be read.
enum class JsonSign : std::int32_t {
    Signed = -1,
    Unsigned = 1,
};

struct JsonNode {
    JsonType type = JsonType::Null;
    std::string text;                   // String: the value
    std::int64_t intValue = 0;          // Integer: the bits, read by sign; Double: its truncation
    double doubleValue = 0.0;           // Double: the value; Integer: the same number
    JsonSign sign = JsonSign::Signed;   // Integer only
    std::string key;                    // set on the members of an object
    // Array elements or object members in order (duplicate keys possible).
    // Each child is its own allocation, so borrowed node pointers stay valid
    // while siblings are added or removed.
    std::vector<std::unique_ptr<JsonNode>> children;

    bool IsContainer() const { return type == JsonType::Array || type == JsonType::Object; }
    // The value of an integer node as its signedness says.
    std::uint64_t UnsignedValue() const { return static_cast<std::uint64_t>(intValue); }
};

std::unique_ptr<JsonNode> MakeJsonNull();
std::unique_ptr<JsonNode> MakeJsonBool(bool value);
std::unique_ptr<JsonNode> MakeJsonSigned(std::int64_t value);
std::unique_ptr<JsonNode> MakeJsonUnsigned(std::uint64_t value);
std::unique_ptr<JsonNode> MakeJsonDouble(double value);
std::unique_ptr<JsonNode> MakeJsonString(std::string value);
std::unique_ptr<JsonNode> MakeJsonArray();
std::unique_ptr<JsonNode> MakeJsonObject();

// The first member of an object with this key, or null.
JsonNode* FindJsonMember(const JsonNode& object, std::string_view key);
// The position of that member among the children, or -1.
int FindJsonMemberIndex(const JsonNode& object, std::string_view key);

// Parses one JSON value filling the whole text (whitespace around it allowed).
// maxDepth is the number of nested arrays and objects the value may have; a
// value placed inside an existing tree gets what is left of kMaxJsonDepth.
// On failure returns null and sets errorOffset to where parsing stopped.
std::unique_ptr<JsonNode> ParseJson(std::string_view text, int maxDepth, std::size_t& errorOffset);

// Prints a node and its children, without any whitespace or in the formatted
// layout (tabs, one member or element per line).
std::string PrintJson(const JsonNode& node, bool formatted);

// The "as text" form of a member or element (numbers with printf-style
// formats, strings as they are, containers and null as the empty text).
std::string JsonValueAsText(const JsonNode& node);
