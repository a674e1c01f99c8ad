#include "util/CJsonObject.h"

#include <iterator>
#include <utility>
#include <vector>

#include "util/JsonNode.h"

namespace {

// The error texts are the original design's, misspellings included.
constexpr const char* kParseError = "prase json string error at ";
constexpr const char* kSubObjectError = "create sub empty object error!";
constexpr const char* kSubArrayError = "create sub empty array error!";
constexpr const char* kNullError = "json data is null!";
constexpr const char* kNotObjectError = "not a json object! json array?";
constexpr const char* kNotArrayError = "not a json array! json object?";

bool ReadValue(const JsonNode& node, CJsonObject& value) {
    return value.Parse(PrintJson(node, false));
}

bool ReadValue(const JsonNode& node, std::string& value) {
    if (node.type != JsonType::String) return false;
    value = node.text;
    return true;
}

template <typename Integer>
bool ReadInteger(const JsonNode& node, Integer& value) {
    if (node.type != JsonType::Integer) return false;
    // Conversion to a narrower or differently signed type keeps the low bits.
    value = static_cast<Integer>(node.UnsignedValue());
    return true;
}

bool ReadValue(const JsonNode& node, std::int32_t& value) { return ReadInteger(node, value); }
bool ReadValue(const JsonNode& node, std::uint32_t& value) { return ReadInteger(node, value); }
bool ReadValue(const JsonNode& node, std::int64_t& value) { return ReadInteger(node, value); }
bool ReadValue(const JsonNode& node, std::uint64_t& value) { return ReadInteger(node, value); }

bool ReadValue(const JsonNode& node, bool& value) {
    if (node.type != JsonType::True && node.type != JsonType::False) return false;
    value = node.type == JsonType::True;
    return true;
}

template <typename Floating>
bool ReadFloating(const JsonNode& node, Floating& value) {
    if (node.type != JsonType::Double) return false;
    value = static_cast<Floating>(node.doubleValue);
    return true;
}

bool ReadValue(const JsonNode& node, float& value) { return ReadFloating(node, value); }
bool ReadValue(const JsonNode& node, double& value) { return ReadFloating(node, value); }

template <typename T>
bool ReadInto(const JsonNode* node, T& value) {
    return node != nullptr && ReadValue(*node, value);
}

std::unique_ptr<JsonNode> MakeText(const char* value) {
    return value != nullptr ? MakeJsonString(value) : MakeJsonNull();
}

}  // namespace

CJsonObject::CJsonObject() = default;

CJsonObject::CJsonObject(const CJsonObject& other) { CopyFrom(other); }

CJsonObject::CJsonObject(const CJsonObject* other) {
    if (other != nullptr) CopyFrom(*other);
}

CJsonObject& CJsonObject::operator=(const CJsonObject& other) {
    CopyFrom(other);
    return *this;
}

CJsonObject::~CJsonObject() = default;

bool CJsonObject::operator==(const CJsonObject& other) const { return ToText() == other.ToText(); }

// The text is taken before anything is cleared: other may be this object or
// one of its wrappers.
void CJsonObject::CopyFrom(const CJsonObject& other) {
    const std::string text = other.ToText();
    Clear();
    if (!text.empty()) Parse(text);
}

bool CJsonObject::Parse(const std::string& text) {
    Clear();
    std::size_t errorOffset = 0;
    root_ = ParseJson(text, kMaxJsonDepth, errorOffset);
    if (!root_) {
        errMsg_ = kParseError + text.substr(errorOffset);
        return false;
    }
    return true;
}

void CJsonObject::Clear() {
    memberWrappers_.clear();
    elementWrappers_.clear();
    root_.reset();
    borrowed_ = nullptr;
    depth_ = 0;
}

bool CJsonObject::IsEmpty() const { return Focus() == nullptr; }

bool CJsonObject::IsArray() const {
    const JsonNode* focus = Focus();
    return focus != nullptr && focus->type == JsonType::Array;
}

std::string CJsonObject::ToText() const {
    const JsonNode* focus = Focus();
    return focus != nullptr ? PrintJson(*focus, false) : std::string();
}

std::string CJsonObject::ToIndentedText() const {
    const JsonNode* focus = Focus();
    return focus != nullptr ? PrintJson(*focus, true) : std::string();
}

JsonNode* CJsonObject::Focus() const { return root_ ? root_.get() : borrowed_; }

JsonNode* CJsonObject::ObjectFocus() const {
    JsonNode* focus = Focus();
    if (focus == nullptr) {
        errMsg_ = kNullError;
        return nullptr;
    }
    if (focus->type != JsonType::Object) {
        errMsg_ = kNotObjectError;
        return nullptr;
    }
    return focus;
}

JsonNode* CJsonObject::ArrayFocus() const {
    JsonNode* focus = Focus();
    if (focus == nullptr) {
        errMsg_ = kNullError;
        return nullptr;
    }
    if (focus->type != JsonType::Array) {
        errMsg_ = kNotArrayError;
        return nullptr;
    }
    return focus;
}

JsonNode* CJsonObject::ObjectFocusForAdd() {
    if (IsEmpty()) {
        root_ = MakeJsonObject();
        depth_ = 0;
    }
    return ObjectFocus();
}

JsonNode* CJsonObject::ArrayFocusForAdd() {
    if (IsEmpty()) {
        root_ = MakeJsonArray();
        depth_ = 0;
    }
    return ArrayFocus();
}

JsonNode* CJsonObject::MemberNode(const std::string& key) const {
    const JsonNode* object = ObjectFocus();
    return object != nullptr ? FindJsonMember(*object, key) : nullptr;
}

JsonNode* CJsonObject::ElementNode(int index) const {
    const JsonNode* array = ArrayFocus();
    if (array == nullptr || index < 0 || static_cast<std::size_t>(index) >= array->children.size())
        return nullptr;
    return array->children[static_cast<std::size_t>(index)].get();
}

void CJsonObject::Borrow(JsonNode* node, int depth) {
    borrowed_ = node;
    depth_ = depth;
}

// An empty wrapper (made for a member that was absent then, or cleared since)
// takes up the node once there is one, so a reference handed out earlier
// sees the member that was added later.
CJsonObject& CJsonObject::CachedWrapper(std::unique_ptr<CJsonObject>& slot, JsonNode* node) {
    if (!slot) slot.reset(new CJsonObject());
    if (node != nullptr && slot->IsEmpty()) slot->Borrow(node, depth_ + 1);
    return *slot;
}

// ---- members of an object ----

CJsonObject& CJsonObject::operator[](const std::string& key) {
    return CachedWrapper(memberWrappers_[key], MemberNode(key));
}

std::string CJsonObject::operator()(const std::string& key) const {
    const JsonNode* member = MemberNode(key);
    return member != nullptr ? JsonValueAsText(*member) : std::string();
}

bool CJsonObject::AddSubObject(const std::string& key) {
    return AddSubContainer(key, MakeJsonObject(), kSubObjectError);
}

bool CJsonObject::AddSubArray(const std::string& key) {
    return AddSubContainer(key, MakeJsonArray(), kSubArrayError);
}

bool CJsonObject::AddSubContainer(const std::string& key, std::unique_ptr<JsonNode> container,
                                  const char* errorText) {
    JsonNode* object = ObjectFocusForAdd();
    if (object == nullptr) return false;
    // The new container nests at level depth_ + 2; a tree deeper than the
    // parser accepts could no longer be copied.
    if (depth_ + 2 > kMaxJsonDepth) {
        errMsg_ = errorText;
        return false;
    }
    container->key = key;
    object->children.push_back(std::move(container));
    return true;
}

std::unique_ptr<JsonNode> CJsonObject::TakeNode(NewValue value) {
    if (value.node) return std::move(value.node);
    const std::string text = value.copyOf->ToText();
    // The value goes one level below the focus, whose own level is depth_ + 1.
    const int room = kMaxJsonDepth - (depth_ + 1);
    std::size_t errorOffset = 0;
    std::unique_ptr<JsonNode> copy = ParseJson(text, room, errorOffset);
    if (!copy) errMsg_ = kParseError + text.substr(errorOffset);
    return copy;
}

bool CJsonObject::AddMember(const std::string& key, NewValue value) {
    JsonNode* object = ObjectFocusForAdd();
    if (object == nullptr) return false;
    std::unique_ptr<JsonNode> node = TakeNode(std::move(value));
    if (!node) return false;
    node->key = key;
    object->children.push_back(std::move(node));
    return true;
}

bool CJsonObject::Remove(const std::string& key) {
    JsonNode* object = ObjectFocus();
    if (object == nullptr) return false;
    const int index = FindJsonMemberIndex(*object, key);
    if (index < 0) return false;
    memberWrappers_.erase(key);  // it borrowed the node that goes now
    object->children.erase(object->children.begin() + index);
    return true;
}

bool CJsonObject::ReplaceMember(const std::string& key, NewValue value) {
    JsonNode* object = ObjectFocus();
    if (object == nullptr) return false;
    const int index = FindJsonMemberIndex(*object, key);
    if (index < 0) return false;
    // Made before anything goes: the value may be the wrapper of this member.
    std::unique_ptr<JsonNode> node = TakeNode(std::move(value));
    if (!node) return false;
    node->key = key;
    memberWrappers_.erase(key);
    object->children[static_cast<std::size_t>(index)] = std::move(node);
    return true;
}

bool CJsonObject::Get(const std::string& key, CJsonObject& value) const {
    return ReadInto(MemberNode(key), value);
}
bool CJsonObject::Get(const std::string& key, std::string& value) const {
    return ReadInto(MemberNode(key), value);
}
bool CJsonObject::Get(const std::string& key, std::int32_t& value) const {
    return ReadInto(MemberNode(key), value);
}
bool CJsonObject::Get(const std::string& key, std::uint32_t& value) const {
    return ReadInto(MemberNode(key), value);
}
bool CJsonObject::Get(const std::string& key, std::int64_t& value) const {
    return ReadInto(MemberNode(key), value);
}
bool CJsonObject::Get(const std::string& key, std::uint64_t& value) const {
    return ReadInto(MemberNode(key), value);
}
bool CJsonObject::Get(const std::string& key, bool& value) const {
    return ReadInto(MemberNode(key), value);
}
bool CJsonObject::Get(const std::string& key, float& value) const {
    return ReadInto(MemberNode(key), value);
}
bool CJsonObject::Get(const std::string& key, double& value) const {
    return ReadInto(MemberNode(key), value);
}

bool CJsonObject::Add(const std::string& key, const CJsonObject& value) {
    return AddMember(key, {nullptr, &value});
}
bool CJsonObject::Add(const std::string& key, const std::string& value) {
    return AddMember(key, {MakeJsonString(value)});
}
bool CJsonObject::Add(const std::string& key, const char* value) {
    return AddMember(key, {MakeText(value)});
}
bool CJsonObject::Add(const std::string& key, std::int32_t value) {
    return AddMember(key, {MakeJsonSigned(value)});
}
bool CJsonObject::Add(const std::string& key, std::uint32_t value) {
    return AddMember(key, {MakeJsonUnsigned(value)});
}
bool CJsonObject::Add(const std::string& key, std::int64_t value) {
    return AddMember(key, {MakeJsonSigned(value)});
}
bool CJsonObject::Add(const std::string& key, std::uint64_t value) {
    return AddMember(key, {MakeJsonUnsigned(value)});
}
bool CJsonObject::Add(const std::string& key, bool value) {
    return AddMember(key, {MakeJsonBool(value)});
}
bool CJsonObject::Add(const std::string& key, float value) {
    return AddMember(key, {MakeJsonDouble(value)});
}
bool CJsonObject::Add(const std::string& key, double value) {
    return AddMember(key, {MakeJsonDouble(value)});
}

bool CJsonObject::Replace(const std::string& key, const CJsonObject& value) {
    return ReplaceMember(key, {nullptr, &value});
}
bool CJsonObject::Replace(const std::string& key, const std::string& value) {
    return ReplaceMember(key, {MakeJsonString(value)});
}
bool CJsonObject::Replace(const std::string& key, const char* value) {
    return ReplaceMember(key, {MakeText(value)});
}
bool CJsonObject::Replace(const std::string& key, std::int32_t value) {
    return ReplaceMember(key, {MakeJsonSigned(value)});
}
bool CJsonObject::Replace(const std::string& key, std::uint32_t value) {
    return ReplaceMember(key, {MakeJsonUnsigned(value)});
}
bool CJsonObject::Replace(const std::string& key, std::int64_t value) {
    return ReplaceMember(key, {MakeJsonSigned(value)});
}
bool CJsonObject::Replace(const std::string& key, std::uint64_t value) {
    return ReplaceMember(key, {MakeJsonUnsigned(value)});
}
bool CJsonObject::Replace(const std::string& key, bool value) {
    return ReplaceMember(key, {MakeJsonBool(value)});
}
bool CJsonObject::Replace(const std::string& key, float value) {
    return ReplaceMember(key, {MakeJsonDouble(value)});
}
bool CJsonObject::Replace(const std::string& key, double value) {
    return ReplaceMember(key, {MakeJsonDouble(value)});
}

// ---- elements of an array ----

int CJsonObject::ArraySize() const {
    const JsonNode* focus = Focus();
    if (focus == nullptr || focus->type != JsonType::Array) return 0;
    return static_cast<int>(focus->children.size());
}

CJsonObject& CJsonObject::operator[](int index) {
    return CachedWrapper(elementWrappers_[index], ElementNode(index));
}

std::string CJsonObject::operator()(int index) const {
    const JsonNode* element = ElementNode(index);
    return element != nullptr ? JsonValueAsText(*element) : std::string();
}

bool CJsonObject::AddElement(NewValue value, ArrayEnd end) {
    JsonNode* array = ArrayFocusForAdd();
    if (array == nullptr) return false;
    std::unique_ptr<JsonNode> node = TakeNode(std::move(value));
    if (!node) return false;
    if (end == ArrayEnd::Back) {
        array->children.push_back(std::move(node));
    } else {
        array->children.insert(array->children.begin(), std::move(node));
        ShiftElementWrappers(0, +1);
    }
    return true;
}

bool CJsonObject::Remove(int index) {
    if (ElementNode(index) == nullptr) return false;
    elementWrappers_.erase(index);  // it borrowed the node that goes now
    std::vector<std::unique_ptr<JsonNode>>& elements = Focus()->children;
    elements.erase(elements.begin() + index);
    ShiftElementWrappers(index + 1, -1);
    return true;
}

bool CJsonObject::ReplaceElement(int index, NewValue value) {
    if (ElementNode(index) == nullptr) return false;
    // Made before anything goes: the value may be the wrapper of this element.
    std::unique_ptr<JsonNode> node = TakeNode(std::move(value));
    if (!node) return false;
    elementWrappers_.erase(index);
    Focus()->children[static_cast<std::size_t>(index)] = std::move(node);
    return true;
}

void CJsonObject::ShiftElementWrappers(int from, int delta) {
    std::map<int, std::unique_ptr<CJsonObject>> shifted;
    for (auto& [index, wrapper] : elementWrappers_)
        shifted.emplace(index >= from ? index + delta : index, std::move(wrapper));
    elementWrappers_.swap(shifted);
}

bool CJsonObject::Get(int index, CJsonObject& value) const {
    return ReadInto(ElementNode(index), value);
}
bool CJsonObject::Get(int index, std::string& value) const {
    return ReadInto(ElementNode(index), value);
}
bool CJsonObject::Get(int index, std::int32_t& value) const {
    return ReadInto(ElementNode(index), value);
}
bool CJsonObject::Get(int index, std::uint32_t& value) const {
    return ReadInto(ElementNode(index), value);
}
bool CJsonObject::Get(int index, std::int64_t& value) const {
    return ReadInto(ElementNode(index), value);
}
bool CJsonObject::Get(int index, std::uint64_t& value) const {
    return ReadInto(ElementNode(index), value);
}
bool CJsonObject::Get(int index, bool& value) const { return ReadInto(ElementNode(index), value); }
bool CJsonObject::Get(int index, float& value) const { return ReadInto(ElementNode(index), value); }
bool CJsonObject::Get(int index, double& value) const {
    return ReadInto(ElementNode(index), value);
}

bool CJsonObject::Add(const CJsonObject& value) {
    return AddElement({nullptr, &value}, ArrayEnd::Back);
}
bool CJsonObject::Add(const std::string& value) {
    return AddElement({MakeJsonString(value)}, ArrayEnd::Back);
}
bool CJsonObject::Add(const char* value) { return AddElement({MakeText(value)}, ArrayEnd::Back); }
bool CJsonObject::Add(std::int32_t value) {
    return AddElement({MakeJsonSigned(value)}, ArrayEnd::Back);
}
bool CJsonObject::Add(std::uint32_t value) {
    return AddElement({MakeJsonUnsigned(value)}, ArrayEnd::Back);
}
bool CJsonObject::Add(std::int64_t value) {
    return AddElement({MakeJsonSigned(value)}, ArrayEnd::Back);
}
bool CJsonObject::Add(std::uint64_t value) {
    return AddElement({MakeJsonUnsigned(value)}, ArrayEnd::Back);
}
bool CJsonObject::Add(bool value) { return AddElement({MakeJsonBool(value)}, ArrayEnd::Back); }
bool CJsonObject::Add(float value) { return AddElement({MakeJsonDouble(value)}, ArrayEnd::Back); }
bool CJsonObject::Add(double value) { return AddElement({MakeJsonDouble(value)}, ArrayEnd::Back); }

bool CJsonObject::AddFront(const CJsonObject& value) {
    return AddElement({nullptr, &value}, ArrayEnd::Front);
}
bool CJsonObject::AddFront(const std::string& value) {
    return AddElement({MakeJsonString(value)}, ArrayEnd::Front);
}
bool CJsonObject::AddFront(const char* value) {
    return AddElement({MakeText(value)}, ArrayEnd::Front);
}
bool CJsonObject::AddFront(std::int32_t value) {
    return AddElement({MakeJsonSigned(value)}, ArrayEnd::Front);
}
bool CJsonObject::AddFront(std::uint32_t value) {
    return AddElement({MakeJsonUnsigned(value)}, ArrayEnd::Front);
}
bool CJsonObject::AddFront(std::int64_t value) {
    return AddElement({MakeJsonSigned(value)}, ArrayEnd::Front);
}
bool CJsonObject::AddFront(std::uint64_t value) {
    return AddElement({MakeJsonUnsigned(value)}, ArrayEnd::Front);
}
bool CJsonObject::AddFront(bool value) {
    return AddElement({MakeJsonBool(value)}, ArrayEnd::Front);
}
bool CJsonObject::AddFront(float value) {
    return AddElement({MakeJsonDouble(value)}, ArrayEnd::Front);
}
bool CJsonObject::AddFront(double value) {
    return AddElement({MakeJsonDouble(value)}, ArrayEnd::Front);
}

bool CJsonObject::Replace(int index, const CJsonObject& value) {
    return ReplaceElement(index, {nullptr, &value});
}
bool CJsonObject::Replace(int index, const std::string& value) {
    return ReplaceElement(index, {MakeJsonString(value)});
}
bool CJsonObject::Replace(int index, const char* value) {
    return ReplaceElement(index, {MakeText(value)});
}
bool CJsonObject::Replace(int index, std::int32_t value) {
    return ReplaceElement(index, {MakeJsonSigned(value)});
}
bool CJsonObject::Replace(int index, std::uint32_t value) {
    return ReplaceElement(index, {MakeJsonUnsigned(value)});
}
bool CJsonObject::Replace(int index, std::int64_t value) {
    return ReplaceElement(index, {MakeJsonSigned(value)});
}
bool CJsonObject::Replace(int index, std::uint64_t value) {
    return ReplaceElement(index, {MakeJsonUnsigned(value)});
}
bool CJsonObject::Replace(int index, bool value) {
    return ReplaceElement(index, {MakeJsonBool(value)});
}
bool CJsonObject::Replace(int index, float value) {
    return ReplaceElement(index, {MakeJsonDouble(value)});
}
bool CJsonObject::Replace(int index, double value) {
    return ReplaceElement(index, {MakeJsonDouble(value)});
}
