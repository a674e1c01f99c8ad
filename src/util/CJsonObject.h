// The JSON document object. The usage reporter builds
// its reports with it and reads the service's replies; it is a general utility
// over the value tree of JsonNode.h.
//
// An object either owns a tree, or borrows one node of another object's tree
// (the child wrappers that operator[] hands out), or is empty. Keyed
// operations need an object node, indexed operations an array node. A failure
// returns false (or the empty text); a wrong or empty target, a parse error and
// the depth limit also leave a reason in GetErrMsg(), a missing member does
// not. No operation throws (short of running out of memory). Reads record
// their failures too, so one object is not for concurrent use, not even
// through const references.
//
// Child wrappers: operator[] returns a wrapper that this object keeps and owns.
// The reference stays valid until that member or element is removed or
// replaced, or this object is cleared, parsed, assigned or destroyed; adding
// other members, or removing and replacing other ones, leaves it alone.
// Element wrappers follow their element when AddFront or Remove(index) shift
// the indices. The wrapper of an absent member is empty; it takes up the
// member once the member exists. Writing into such an empty wrapper, or
// assigning to or parsing into any wrapper, gives it a tree of its own and
// does not change this object: use AddSubObject, Add or Replace for that.
//
// Text is UTF-8. Values are compared and copied through their unformatted
// text, so a copy prints like the original but numbers are re-read from it:
// a double holding 1.0 prints as 1 and comes back as an integer.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <type_traits>

struct JsonNode;

// Arithmetic types without an overload of their own (long long, short, char,
// long double, ...). The fixed-width overloads win for their exact types;
// these widen to the 64-bit overload of their signedness, or to double.
template <typename T>
concept JsonWidenable = std::is_arithmetic_v<T> && !std::is_same_v<T, bool>;

template <JsonWidenable T>
auto WidenForJson(T value) {
    if constexpr (std::is_floating_point_v<T>)
        return static_cast<double>(value);
    else if constexpr (std::is_signed_v<T>)
        return static_cast<std::int64_t>(value);
    else
        return static_cast<std::uint64_t>(value);
}

class CJsonObject {
public:
    CJsonObject();
    CJsonObject(const CJsonObject& other);
    // A copy of *other, or an empty object for a null pointer.
    explicit CJsonObject(const CJsonObject* other);
    CJsonObject& operator=(const CJsonObject& other);
    ~CJsonObject();

    // Equal when the unformatted texts are equal.
    bool operator==(const CJsonObject& other) const;

    // Replaces the content; on failure the object is empty and the error text
    // is "prase json string error at " and the rest of the text from there.
    bool Parse(const std::string& text);
    void Clear();
    bool IsEmpty() const;
    bool IsArray() const;
    // Without any whitespace, or with tabs and one member or element a line;
    // the empty text for an empty object.
    std::string ToText() const;
    std::string ToIndentedText() const;
    const std::string& GetErrMsg() const { return errMsg_; }

    // Members of an object. Add on an empty object first makes it {}.
    bool AddSubObject(const std::string& key);
    bool AddSubArray(const std::string& key);
    CJsonObject& operator[](const std::string& key);
    // A string as it is, numbers and booleans printed, anything else empty.
    std::string operator()(const std::string& key) const;

    // True only when the member exists with the matching kind: text a string,
    // the integer types an integer (32-bit types take its low 32 bits), bool
    // true or false, float and double a double. value is unchanged on false.
    bool Get(const std::string& key, CJsonObject& value) const;
    bool Get(const std::string& key, std::string& value) const;
    bool Get(const std::string& key, std::int32_t& value) const;
    bool Get(const std::string& key, std::uint32_t& value) const;
    bool Get(const std::string& key, std::int64_t& value) const;
    bool Get(const std::string& key, std::uint64_t& value) const;
    bool Get(const std::string& key, bool& value) const;
    bool Get(const std::string& key, float& value) const;
    bool Get(const std::string& key, double& value) const;

    // Appends a member (duplicate keys are allowed; lookups find the first).
    // A null const char* adds a JSON null.
    bool Add(const std::string& key, const CJsonObject& value);
    bool Add(const std::string& key, const std::string& value);
    bool Add(const std::string& key, const char* value);
    bool Add(const std::string& key, std::int32_t value);
    bool Add(const std::string& key, std::uint32_t value);
    bool Add(const std::string& key, std::int64_t value);
    bool Add(const std::string& key, std::uint64_t value);
    bool Add(const std::string& key, bool value);
    bool Add(const std::string& key, float value);
    bool Add(const std::string& key, double value);
    template <JsonWidenable T>
    bool Add(const std::string& key, T value) { return Add(key, WidenForJson(value)); }

    bool Remove(const std::string& key);

    // False when the member does not exist.
    bool Replace(const std::string& key, const CJsonObject& value);
    bool Replace(const std::string& key, const std::string& value);
    bool Replace(const std::string& key, const char* value);
    bool Replace(const std::string& key, std::int32_t value);
    bool Replace(const std::string& key, std::uint32_t value);
    bool Replace(const std::string& key, std::int64_t value);
    bool Replace(const std::string& key, std::uint64_t value);
    bool Replace(const std::string& key, bool value);
    bool Replace(const std::string& key, float value);
    bool Replace(const std::string& key, double value);
    template <JsonWidenable T>
    bool Replace(const std::string& key, T value) { return Replace(key, WidenForJson(value)); }

    // Elements of an array, with the same rules. Add and AddFront on an empty
    // object first make it [].
    int ArraySize() const;
    CJsonObject& operator[](int index);
    std::string operator()(int index) const;

    bool Get(int index, CJsonObject& value) const;
    bool Get(int index, std::string& value) const;
    bool Get(int index, std::int32_t& value) const;
    bool Get(int index, std::uint32_t& value) const;
    bool Get(int index, std::int64_t& value) const;
    bool Get(int index, std::uint64_t& value) const;
    bool Get(int index, bool& value) const;
    bool Get(int index, float& value) const;
    bool Get(int index, double& value) const;

    bool Add(const CJsonObject& value);
    bool Add(const std::string& value);
    bool Add(const char* value);
    bool Add(std::int32_t value);
    bool Add(std::uint32_t value);
    bool Add(std::int64_t value);
    bool Add(std::uint64_t value);
    bool Add(bool value);
    bool Add(float value);
    bool Add(double value);
    template <JsonWidenable T>
    bool Add(T value) { return Add(WidenForJson(value)); }

    bool AddFront(const CJsonObject& value);
    bool AddFront(const std::string& value);
    bool AddFront(const char* value);
    bool AddFront(std::int32_t value);
    bool AddFront(std::uint32_t value);
    bool AddFront(std::int64_t value);
    bool AddFront(std::uint64_t value);
    bool AddFront(bool value);
    bool AddFront(float value);
    bool AddFront(double value);
    template <JsonWidenable T>
    bool AddFront(T value) { return AddFront(WidenForJson(value)); }

    bool Remove(int index);

    bool Replace(int index, const CJsonObject& value);
    bool Replace(int index, const std::string& value);
    bool Replace(int index, const char* value);
    bool Replace(int index, std::int32_t value);
    bool Replace(int index, std::uint32_t value);
    bool Replace(int index, std::int64_t value);
    bool Replace(int index, std::uint64_t value);
    bool Replace(int index, bool value);
    bool Replace(int index, float value);
    bool Replace(int index, double value);
    template <JsonWidenable T>
    bool Replace(int index, T value) { return Replace(index, WidenForJson(value)); }

private:
    // A value on its way into the tree: a ready node for the scalar types, or
    // an object to copy. The copy is made only after the target has been
    // checked, because it may nest only as deep as the target leaves room for.
    struct NewValue {
        std::unique_ptr<JsonNode> node;
        const CJsonObject* copyOf = nullptr;
    };
    enum class ArrayEnd { Back, Front };

    JsonNode* Focus() const;
    // The node of keyed (indexed) operations, or null with the error text set.
    JsonNode* ObjectFocus() const;
    JsonNode* ArrayFocus() const;
    // The same, first turning an empty object into {} ([]).
    JsonNode* ObjectFocusForAdd();
    JsonNode* ArrayFocusForAdd();
    // The member or element, or null (absent, or the error text set).
    JsonNode* MemberNode(const std::string& key) const;
    JsonNode* ElementNode(int index) const;

    void CopyFrom(const CJsonObject& other);
    void Borrow(JsonNode* node, int depth);
    CJsonObject& CachedWrapper(std::unique_ptr<CJsonObject>& slot, JsonNode* node);
    std::unique_ptr<JsonNode> TakeNode(NewValue value);
    bool AddSubContainer(const std::string& key, std::unique_ptr<JsonNode> container,
                         const char* errorText);
    bool AddMember(const std::string& key, NewValue value);
    bool ReplaceMember(const std::string& key, NewValue value);
    bool AddElement(NewValue value, ArrayEnd end);
    bool ReplaceElement(int index, NewValue value);
    // Moves the element wrappers from index `from` on by `delta` places.
    void ShiftElementWrappers(int from, int delta);

    std::unique_ptr<JsonNode> root_;  // the own tree, or null
    // Borrowed: a node of the tree of the object that made this wrapper and
    // owns it, so the node outlives the wrapper (see Remove and Replace).
    JsonNode* borrowed_ = nullptr;
    // Nesting depth of the focus node in its tree (0 for a root); keeps trees
    // built here within what the parser accepts, so copies always succeed.
    int depth_ = 0;
    mutable std::string errMsg_;
    std::map<std::string, std::unique_ptr<CJsonObject>> memberWrappers_;
    std::map<int, std::unique_ptr<CJsonObject>> elementWrappers_;
};
