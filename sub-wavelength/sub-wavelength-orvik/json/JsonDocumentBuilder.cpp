#include "json/JsonDocumentBuilder.h"

#include <utility>
#include <vector>

#include "json/JsonNesting.h"
#include "json/JsonTeardown.h"

namespace quelbrant {

namespace {

using json = nlohmann::json;

// The handler of the parser's events. Values go straight into the
// document. The first value nested too deeply is built only as far as its
// report shows it (two levels, deeper arrays and objects as "..."); from
// its end on, events are only counted off.
class DocumentBuilder {
public:
    DocumentBuilder(json& root, size_t maxDepth, TooDeepValue& tooDeep)
        : mRoot(root), mMaxDepth(maxDepth), mTooDeep(tooDeep)
    {
    }

    bool foundTooDeep() const { return mTooDeepLevel != 0; }

    bool null() { return add(nullptr); }
    bool boolean(bool value) { return add(value); }
    bool number_integer(json::number_integer_t value) { return add(value); }
    bool number_unsigned(json::number_unsigned_t value) { return add(value); }
    bool number_float(json::number_float_t value, const json::string_t& /*text*/) { return add(value); }
    bool string(json::string_t& value) { return add(std::move(value)); }
    bool binary(json::binary_t& value) { return add(json::binary(std::move(value))); }

    bool start_object(std::size_t /*elements*/) { return open(json::value_t::object); }
    bool start_array(std::size_t /*elements*/) { return open(json::value_t::array); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }

    bool key(json::string_t& name)
    {
        if (isSkipping())
            return true;
        OpenContainer& object = mOpen.back();
        const auto placed = object.value->get_ref<json::object_t&>().emplace(std::move(name), nullptr);
        // A repeated name: the later value replaces the earlier one, as with
        // the library's own parser, and the earlier one is freed leaves first.
        takeApartLeavesFirst(placed.first->second);
        placed.first->second = nullptr;
        object.lastKey = &placed.first->first;
        mMemberSlot = &placed.first->second;
        return true;
    }

    // The parser's own exception, of its own type and message.
    template <class Exception>
    bool parse_error(std::size_t /*position*/, const std::string& /*token*/, const Exception& error)
    {
        throw error;
    }

private:
    struct OpenContainer {
        json* value;
        const std::string* lastKey;  // name of the member read last (objects)
    };

    bool isSkipping() const { return mIsDone || mSkippedLevels > 0; }

    template <class Value>
    bool add(Value&& value)
    {
        if (!isSkipping())
            place(std::forward<Value>(value));
        return true;
    }

    template <class Value>
    json& place(Value&& value)
    {
        if (mOpen.empty()) {
            mRoot = json(std::forward<Value>(value));
            return mRoot;
        }
        json& parent = *mOpen.back().value;
        if (parent.is_array()) {
            json::array_t& items = parent.get_ref<json::array_t&>();
            items.emplace_back(std::forward<Value>(value));
            return items.back();
        }
        *mMemberSlot = json(std::forward<Value>(value));
        return *mMemberSlot;
    }

    bool open(json::value_t type)
    {
        if (mIsDone)
            return true;
        if (mSkippedLevels > 0) {
            ++mSkippedLevels;
            return true;
        }
        const size_t level = mOpen.size() + 1;
        if (foundTooDeep() && level >= mTooDeepLevel + 2) {
            place("...");
            mSkippedLevels = 1;
            return true;
        }
        if (!foundTooDeep() && level > mMaxDepth) {
            mTooDeep.pointer = pointerOfNextValue();
            mTooDeepLevel = level;
        }
        json& container = place(type);
        mOpen.push_back({&container, nullptr});
        return true;
    }

    bool close()
    {
        if (mIsDone)
            return true;
        if (mSkippedLevels > 0) {
            --mSkippedLevels;
            return true;
        }
        if (mOpen.size() == mTooDeepLevel) {
            mTooDeep.text = dumpElided(*mOpen.back().value, 2);
            mOpen.clear();
            takeApartLeavesFirst(mRoot);
            mIsDone = true;
            return true;
        }
        mOpen.pop_back();
        return true;
    }

    // Through the member or item each open container is reading now; the
    // innermost array's next item is the one about to be added.
    std::string pointerOfNextValue() const
    {
        std::string pointer;
        for (size_t k = 0; k < mOpen.size(); ++k) {
            const json& container = *mOpen[k].value;
            if (container.is_object()) {
                appendPointerToken(pointer, *mOpen[k].lastKey);
            } else {
                const bool isInnermost = k + 1 == mOpen.size();
                appendPointerToken(pointer, std::to_string(container.size() - (isInnermost ? 0 : 1)));
            }
        }
        return pointer;
    }

    json& mRoot;
    const size_t mMaxDepth;
    TooDeepValue& mTooDeep;
    std::vector<OpenContainer> mOpen;
    json* mMemberSlot = nullptr;
    size_t mTooDeepLevel = 0;   // level of the first value nested too deeply; 0: none yet
    size_t mSkippedLevels = 0;  // open arrays and objects inside a value shown as "..."
    bool mIsDone = false;       // that value has ended: the rest is only parsed
};

}  // namespace

bool parseJsonDocument(std::istream& in, size_t maxDepth, json& document, TooDeepValue& tooDeep)
{
    DocumentBuilder builder(document, maxDepth, tooDeep);
    try {
        // Not strict: like operator>>, the parse ends with the first value.
        json::sax_parse(in, &builder, json::input_format_t::json, false);
    } catch (...) {
        takeApartLeavesFirst(document);
        throw;
    }
    return !builder.foundTooDeep();
}

}  // namespace quelbrant
