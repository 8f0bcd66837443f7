#include "json/JsonTeardown.h"

#include <array>
#include <cstddef>

#include "json/GratingSchema.h"

namespace quelbrant {

namespace {

using json = nlohmann::json;

// Open containers the walk keeps track of: every level a loaded document
// may have, the two a parse builds of a value nested too deeply, and some
// to spare, yet small enough (1280 bytes) for a host thread's small stack.
constexpr size_t OpenContainerCapacity = MaxDocumentNesting + 32;

bool isNonEmptyContainer(const json& value) noexcept
{
    return value.is_structured() && !value.empty();
}

// The child removed next: an array's last element (popping it moves
// nothing), an object's first member (any member would do).
json& nextChild(json& container) noexcept
{
    if (container.is_array())
        return container.get_ref<json::array_t&>().back();
    return container.get_ref<json::object_t&>().begin()->second;
}

void removeNextChild(json& container) noexcept
{
    if (container.is_array()) {
        container.get_ref<json::array_t&>().pop_back();
    } else {
        json::object_t& members = container.get_ref<json::object_t&>();
        members.erase(members.begin());
    }
}

// Walks down from container (not empty) along the next children to a
// container whose next child is a leaf or empty, and removes such children
// there: at least one value, at the cost of a walk as long as the part
// below container is deep. Needs nothing to remember the way.
void removeInnermostLeaves(json& container) noexcept
{
    json* node = &container;
    while (isNonEmptyContainer(nextChild(*node)))
        node = &nextChild(*node);
    while (!node->empty() && !isNonEmptyContainer(nextChild(*node)))
        removeNextChild(*node);
}

}  // namespace

void takeApartLeavesFirst(json& document) noexcept
{
    if (!isNonEmptyContainer(document))
        return;
    // The way down from the document to the container being emptied, on
    // this thread's stack, so that every value is visited once. Removing a
    // container's next child leaves the others where they are, so the
    // pointers stay valid. Below a path as long as the stack holds (only a
    // document built by hand gets there), each value costs a walk down
    // from the deepest container held instead.
    std::array<json*, OpenContainerCapacity> open;
    size_t openCount = 0;
    open[openCount++] = &document;
    while (openCount > 0) {
        json& node = *open[openCount - 1];
        if (node.empty()) {
            // An empty container is removed from its parent without memory.
            if (--openCount > 0)
                removeNextChild(*open[openCount - 1]);
            continue;
        }
        json& child = nextChild(node);
        if (!isNonEmptyContainer(child))
            removeNextChild(node);
        else if (openCount < open.size())
            open[openCount++] = &child;
        else
            removeInnermostLeaves(child);
    }
}

}  // namespace quelbrant
