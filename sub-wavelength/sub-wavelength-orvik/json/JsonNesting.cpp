#include "json/JsonNesting.h"

#include <vector>

#include "json/JsonTeardown.h"
namespace quelbrant {

namespace {

using json = nlohmann::json;

// One open container of the depth-first walk: its next child and that
// child's position.
struct Frame {
    const json* node;
    json::const_iterator next;
    size_t index;
};

// Fills copy (null, and already in its place inside the whole copy, so
// that a failed allocation leaves nothing outside it to free).
void fillElidedCopy(const json& value, size_t levels, json& copy)
{
    if (!value.is_structured()) {
        copy = value;
        return;
    }
    if (levels == 0) {
        copy = "...";
        return;
    }
    copy = value.is_array() ? json::array() : json::object();
    for (auto it = value.cbegin(); it != value.cend(); ++it) {
        if (value.is_array()) {
            copy.push_back(nullptr);
            fillElidedCopy(*it, levels - 1, copy.back());
        } else {
            fillElidedCopy(*it, levels - 1, copy[it.key()]);
        }
    }
}

}  // namespace

void appendPointerToken(std::string& pointer, const std::string& token)
{
    pointer += '/';
    for (char c : token) {
        if (c == '~')
            pointer += "~0";
        else if (c == '/')
            pointer += "~1";
        else
            pointer += c;
    }
}

const json* findValueNestedDeeperThan(const json& document, size_t maxDepth, std::string& pointer)
{
    if (!document.is_structured())
        return nullptr;
    if (maxDepth == 0) {
        pointer.clear();
        return &document;
    }
    std::vector<Frame> stack{{&document, document.cbegin(), 0}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.node->cend()) {
            stack.pop_back();
            continue;
        }
        const json& child = *top.next;
        ++top.next;
        ++top.index;
        if (!child.is_structured())
            continue;
        if (stack.size() >= maxDepth) {
            pointer.clear();
            // The path runs through the child each open frame stepped over last.
            for (const Frame& frame : stack) {
                if (frame.node->is_object())
                    appendPointerToken(pointer, std::prev(frame.next).key());
                else
                    appendPointerToken(pointer, std::to_string(frame.index - 1));
            }
            return &child;
        }
        stack.push_back({&child, child.cbegin(), 0});
    }
    return nullptr;
}

std::string dumpElided(const json& value, size_t levels)
{
    json copy;
    const quelbrant::TakeApartAtScopeEnd teardown(copy);
    fillElidedCopy(value, levels, copy);
    return copy.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace quelbrant
