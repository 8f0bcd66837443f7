#include "json/JsonTeardown.h"

namespace quelbrant {

namespace {

using json = nlohmann::json;

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

}  // namespace

void takeApartLeavesFirst(json& document) noexcept
{
    // No stack of open containers (that would need memory): each round walks
    // down from the root along the next children to a container whose next
    // child is a leaf or empty, and removes such children there. Every round
    // removes at least one value, and the walk is as long as the document is
    // deep, which the loader keeps small.
    while (isNonEmptyContainer(document)) {
        json* node = &document;
        while (isNonEmptyContainer(nextChild(*node)))
            node = &nextChild(*node);
        while (!node->empty() && !isNonEmptyContainer(nextChild(*node)))
            removeNextChild(*node);
    }
}

}  // namespace quelbrant
