#include "util/JsonNode.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>
#include <utility>

namespace {

// Room for the longest fixed-point double: 309 integral digits, the sign, the
// point and six decimals.
constexpr std::size_t kNumberBufferSize = 400;

constexpr std::uint32_t kReplacementCharacter = 0xFFFD;

// Numbers go through std::to_chars, which formats as printf does in the "C"
// locale: the window toolkit switches the process to the user's locale, and a
// decimal comma would make the report unreadable to the service.
template <typename Integer>
void AppendInteger(Integer value, std::string& out) {
    char buffer[24];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendDouble(double value, std::chars_format format, int precision, std::string& out) {
    char buffer[kNumberBufferSize];
    const std::to_chars_result result =
        std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    out.append(buffer, result.ptr);
}

// "%.0f" for values integral to within DBL_EPSILON, otherwise "%f". Values
// outside 1e-6..1e9 would take "%lf", which is the same format as "%f". Infinity and NaN have no JSON form; they print as null so
// that the text stays readable by ParseJson (copies are made by printing).
void PrintDouble(double value, std::string& out) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    const int decimals = std::fabs(std::floor(value) - value) <= DBL_EPSILON ? 0 : 6;
    AppendDouble(value, std::chars_format::fixed, decimals, out);
}

void PrintInteger(const JsonNode& node, std::string& out) {
    if (node.sign == JsonSign::Signed)
        AppendInteger(node.intValue, out);
    else
        AppendInteger(node.UnsignedValue(), out);
}

void PrintString(std::string_view text, std::string& out) {
    out += '"';
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        switch (byte) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(byte));
                out += escape;
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

void PrintNode(const JsonNode& node, bool formatted, int depth, std::string& out);

// depth is the container's own level below the printed root (0 for the root):
// its members are indented one tab deeper, its closing bracket at its level.
void PrintContainer(const JsonNode& node, bool formatted, int depth, std::string& out) {
    const bool isObject = node.type == JsonType::Object;
    out += isObject ? '{' : '[';
    if (formatted) out += '\n';
    const std::size_t count = node.children.size();
    for (std::size_t i = 0; i < count; ++i) {
        const JsonNode& child = *node.children[i];
        if (formatted) out.append(static_cast<std::size_t>(depth) + 1, '\t');
        if (isObject) {
            PrintString(child.key, out);
            out += formatted ? ":\t" : ":";
        }
        PrintNode(child, formatted, depth + 1, out);
        if (i + 1 < count) out += ',';
        if (formatted) out += '\n';
    }
    if (formatted) out.append(static_cast<std::size_t>(depth), '\t');
    out += isObject ? '}' : ']';
}

void PrintNode(const JsonNode& node, bool formatted, int depth, std::string& out) {
    switch (node.type) {
    case JsonType::False: out += "false"; break;
    case JsonType::True: out += "true"; break;
    case JsonType::Null: out += "null"; break;
    case JsonType::Integer: PrintInteger(node, out); break;
    case JsonType::Double: PrintDouble(node.doubleValue, out); break;
    case JsonType::String: PrintString(node.text, out); break;
    case JsonType::Array:
    case JsonType::Object: PrintContainer(node, formatted, depth, out); break;
    }
}

// The integer value a double node keeps beside it. A plain cast of a double
// outside the 64-bit range is undefined, so it saturates instead.
std::int64_t TruncateToInt64(double value) {
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (std::isnan(value)) return 0;
    if (value >= kTwoTo63) return std::numeric_limits<std::int64_t>::max();
    if (value < -kTwoTo63) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

void AppendUtf8(std::uint32_t codePoint, std::string& out) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }
bool IsHighSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

int HexDigitValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

// Recursive descent over a bounded text. Every read checks the position
// against the end first; the recursion is one level per nested array or object
// and stops at maxDepth. The first failure records its position and unwinds.
class JsonParser {
public:
    JsonParser(std::string_view text, int maxDepth) : text_(text), maxDepth_(maxDepth) {}

    std::unique_ptr<JsonNode> ParseDocument(std::size_t& errorOffset) {
        std::unique_ptr<JsonNode> root = ParseValue(0);
        if (root) {
            SkipWhitespace();
            // One complete value followed by more text is refused: a reply
            // that was cut short or padded must not pass for a good one.
            if (!AtEnd()) root = Fail(pos_);
        }
        if (!root) errorOffset = errorOffset_;
        return root;
    }

private:
    bool AtEnd() const { return pos_ >= text_.size(); }
    bool Peek(char ch) const { return !AtEnd() && text_[pos_] == ch; }

    std::unique_ptr<JsonNode> Fail(std::size_t at) {
        errorOffset_ = at;
        return nullptr;
    }
    bool FailHere(std::size_t at) {
        errorOffset_ = at;
        return false;
    }

    // Whitespace and every other byte up to 0x20 separate tokens.
    void SkipWhitespace() {
        while (!AtEnd() && static_cast<unsigned char>(text_[pos_]) <= 0x20) ++pos_;
    }

    // True when at least one digit was skipped.
    bool SkipDigits() {
        const std::size_t start = pos_;
        while (!AtEnd() && IsDigit(text_[pos_])) ++pos_;
        return pos_ > start;
    }

    // depth counts the arrays and objects around the value.
    std::unique_ptr<JsonNode> ParseValue(int depth) {
        SkipWhitespace();
        if (AtEnd()) return Fail(pos_);
        const char ch = text_[pos_];
        switch (ch) {
        case 'n': return ParseLiteral("null", MakeJsonNull());
        case 'f': return ParseLiteral("false", MakeJsonBool(false));
        case 't': return ParseLiteral("true", MakeJsonBool(true));
        case '"': {
            std::unique_ptr<JsonNode> node = MakeJsonString({});
            if (!ParseString(node->text)) return nullptr;
            return node;
        }
        case '[': return ParseArray(depth + 1);
        case '{': return ParseObject(depth + 1);
        default:
            if (ch == '-' || IsDigit(ch)) return ParseNumber();
            return Fail(pos_);
        }
    }

    std::unique_ptr<JsonNode> ParseLiteral(std::string_view word, std::unique_ptr<JsonNode> node) {
        if (text_.substr(pos_, word.size()) != word) return Fail(pos_);
        pos_ += word.size();
        return node;
    }

    // RFC 8259 numbers only: "-", "1.", "1e", ".5", "+1" and "01" stop here.
    std::unique_ptr<JsonNode> ParseNumber() {
        const std::size_t start = pos_;
        const bool negative = Peek('-');
        if (negative) ++pos_;
        if (Peek('0'))
            ++pos_;
        else if (!SkipDigits())
            return Fail(start);
        bool integral = true;
        if (Peek('.')) {
            ++pos_;
            integral = false;
            if (!SkipDigits()) return Fail(start);
        }
        if (Peek('e') || Peek('E')) {
            ++pos_;
            integral = false;
            if (Peek('+') || Peek('-')) ++pos_;
            if (!SkipDigits()) return Fail(start);
        }
        const char* first = text_.data() + start;
        const char* last = text_.data() + pos_;
        if (integral) {
            if (negative) {
                std::int64_t value = 0;
                if (std::from_chars(first, last, value).ec == std::errc{})
                    return MakeJsonSigned(value);
            } else {
                std::uint64_t value = 0;
                if (std::from_chars(first, last, value).ec == std::errc{})
                    return MakeJsonUnsigned(value);
            }
            // More digits than 64 bits hold: kept as a double, as most JSON
            // readers do, rather than wrapped around.
        }
        double value = 0.0;
        // Beyond the range of a double, in either direction: refused.
        if (std::from_chars(first, last, value).ec != std::errc{}) return Fail(start);
        return MakeJsonDouble(value);
    }

    bool ReadHex4(std::size_t at, std::uint32_t& value) const {
        if (at > text_.size() || text_.size() - at < 4) return false;
        std::uint32_t result = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const int digit = HexDigitValue(text_[at + i]);
            if (digit < 0) return false;
            result = result * 16 + static_cast<std::uint32_t>(digit);
        }
        value = result;
        return true;
    }

    // A string at its opening quote. An unterminated string fails at that
    // quote; a bad or truncated escape fails at its backslash.
    bool ParseString(std::string& out) {
        const std::size_t open = pos_;
        ++pos_;
        for (;;) {
            if (AtEnd()) return FailHere(open);
            const auto byte = static_cast<unsigned char>(text_[pos_]);
            if (byte == '"') {
                ++pos_;
                return true;
            }
            if (byte < 0x20) return FailHere(pos_);  // control bytes must be escaped
            if (byte == '\\') {
                if (!ParseEscape(out)) return false;
            } else {
                out += text_[pos_];
                ++pos_;
            }
        }
    }

    bool ParseEscape(std::string& out) {
        const std::size_t backslash = pos_;
        if (text_.size() - pos_ < 2) return FailHere(backslash);
        const char kind = text_[pos_ + 1];
        pos_ += 2;
        switch (kind) {
        case '"': out += '"'; return true;
        case '\\': out += '\\'; return true;
        case '/': out += '/'; return true;
        case 'b': out += '\b'; return true;
        case 'f': out += '\f'; return true;
        case 'n': out += '\n'; return true;
        case 'r': out += '\r'; return true;
        case 't': out += '\t'; return true;
        case 'u': break;
        default: return FailHere(backslash);
        }
        std::uint32_t unit = 0;
        if (!ReadHex4(pos_, unit)) return FailHere(backslash);
        pos_ += 4;
        std::uint32_t codePoint = unit;
        if (IsHighSurrogate(unit)) {
            std::uint32_t low = 0;
            if (Peek('\\') && pos_ + 1 < text_.size() && text_[pos_ + 1] == 'u' &&
                ReadHex4(pos_ + 2, low) && IsLowSurrogate(low)) {
                codePoint = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                pos_ += 6;
            } else {
                // A high surrogate without its low half has no UTF-8 form; the
                // escape that follows, if any, is read on its own.
                codePoint = kReplacementCharacter;
            }
        } else if (IsLowSurrogate(unit)) {
            codePoint = kReplacementCharacter;
        }
        AppendUtf8(codePoint, out);
        return true;
    }

    // level is the nesting level of this array or object (1 for the root).
    std::unique_ptr<JsonNode> ParseArray(int level) {
        if (level > maxDepth_) return Fail(pos_);
        std::unique_ptr<JsonNode> array = MakeJsonArray();
        ++pos_;
        SkipWhitespace();
        if (Peek(']')) {
            ++pos_;
            return array;
        }
        for (;;) {
            std::unique_ptr<JsonNode> element = ParseValue(level);
            if (!element) return nullptr;
            array->children.push_back(std::move(element));
            SkipWhitespace();
            if (Peek(',')) {
                ++pos_;
            } else if (Peek(']')) {
                ++pos_;
                return array;
            } else {
                return Fail(pos_);
            }
        }
    }

    std::unique_ptr<JsonNode> ParseObject(int level) {
        if (level > maxDepth_) return Fail(pos_);
        std::unique_ptr<JsonNode> object = MakeJsonObject();
        ++pos_;
        SkipWhitespace();
        if (Peek('}')) {
            ++pos_;
            return object;
        }
        for (;;) {
            SkipWhitespace();
            if (!Peek('"')) return Fail(pos_);
            std::string key;
            if (!ParseString(key)) return nullptr;
            SkipWhitespace();
            if (!Peek(':')) return Fail(pos_);
            ++pos_;
            std::unique_ptr<JsonNode> value = ParseValue(level);
            if (!value) return nullptr;
            value->key = std::move(key);
            object->children.push_back(std::move(value));
            SkipWhitespace();
            if (Peek(',')) {
                ++pos_;
            } else if (Peek('}')) {
                ++pos_;
                return object;
            } else {
                return Fail(pos_);
            }
        }
    }

    std::string_view text_;
    int maxDepth_;
    std::size_t pos_ = 0;
    std::size_t errorOffset_ = 0;
};

std::unique_ptr<JsonNode> MakeNode(JsonType type) {
    auto node = std::make_unique<JsonNode>();
    node->type = type;
    return node;
}

}  // namespace

std::unique_ptr<JsonNode> MakeJsonNull() { return MakeNode(JsonType::Null); }

std::unique_ptr<JsonNode> MakeJsonBool(bool value) {
    return MakeNode(value ? JsonType::True : JsonType::False);
}

std::unique_ptr<JsonNode> MakeJsonSigned(std::int64_t value) {
    std::unique_ptr<JsonNode> node = MakeNode(JsonType::Integer);
    node->intValue = value;
    node->doubleValue = static_cast<double>(value);
    node->sign = JsonSign::Signed;
    return node;
}

std::unique_ptr<JsonNode> MakeJsonUnsigned(std::uint64_t value) {
    std::unique_ptr<JsonNode> node = MakeNode(JsonType::Integer);
    node->intValue = static_cast<std::int64_t>(value);
    node->doubleValue = static_cast<double>(value);
    node->sign = JsonSign::Unsigned;
    return node;
}

std::unique_ptr<JsonNode> MakeJsonDouble(double value) {
    std::unique_ptr<JsonNode> node = MakeNode(JsonType::Double);
    node->doubleValue = value;
    node->intValue = TruncateToInt64(value);
    return node;
}

std::unique_ptr<JsonNode> MakeJsonString(std::string value) {
    std::unique_ptr<JsonNode> node = MakeNode(JsonType::String);
    node->text = std::move(value);
    return node;
}

std::unique_ptr<JsonNode> MakeJsonArray() { return MakeNode(JsonType::Array); }

std::unique_ptr<JsonNode> MakeJsonObject() { return MakeNode(JsonType::Object); }

JsonNode* FindJsonMember(const JsonNode& object, std::string_view key) {
    const int index = FindJsonMemberIndex(object, key);
    return index < 0 ? nullptr : object.children[static_cast<std::size_t>(index)].get();
}

int FindJsonMemberIndex(const JsonNode& object, std::string_view key) {
    if (object.type != JsonType::Object) return -1;
    for (std::size_t i = 0; i < object.children.size(); ++i) {
        if (object.children[i]->key == key) return static_cast<int>(i);
    }
    return -1;
}

std::unique_ptr<JsonNode> ParseJson(std::string_view text, int maxDepth, std::size_t& errorOffset) {
    JsonParser parser(text, maxDepth);
    return parser.ParseDocument(errorOffset);
}

std::string PrintJson(const JsonNode& node, bool formatted) {
    std::string out;
    PrintNode(node, formatted, 0, out);
    return out;
}

std::string JsonValueAsText(const JsonNode& node) {
    std::string out;
    switch (node.type) {
    case JsonType::String: out = node.text; break;
    // "%d"/"%lld" and "%u"/"%llu" differ only in the width of the argument,
    // so the printed digits are those of the value by its signedness.
    case JsonType::Integer: PrintInteger(node, out); break;
    case JsonType::Double: {
        const double magnitude = std::fabs(node.doubleValue);
        const bool scientific = magnitude < 1.0e-6 || magnitude > 1.0e9;
        const std::chars_format format =
            scientific ? std::chars_format::scientific : std::chars_format::fixed;
        AppendDouble(node.doubleValue, format, 6, out);
        break;
    }
    case JsonType::False: out = "false"; break;
    case JsonType::True: out = "true"; break;
    case JsonType::Null:
    case JsonType::Array:
    case JsonType::Object: break;
    }
    return out;
}
