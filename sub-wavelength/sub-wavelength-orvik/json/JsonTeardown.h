#pragma once

// Taking a parsed document apart without asking for memory. The JSON
// library's destructor of a non-empty array or object first reserves a
// stack as large as its children and is noexcept: when memory has run out,
// freeing a document would end the process. An empty array or object, and
// every scalar, is destroyed without an allocation, so removing the values
// leaves first, from the innermost level up, never needs any.

#include <nlohmann/json.hpp>

namespace quelbrant {

// Empties document, leaves first; afterwards it is an empty array or object
// (or the scalar it was). Neither allocates nor throws; needs about 1.3 KiB
// of the calling thread's stack.
void takeApartLeavesFirst(nlohmann::json& document) noexcept;

// Takes a document apart when the scope that holds it ends, also when an
// exception leaves the scope. Declare it after the document it guards.
class TakeApartAtScopeEnd {
public:
    explicit TakeApartAtScopeEnd(nlohmann::json& document) : mDocument(document) {}
    ~TakeApartAtScopeEnd() { takeApartLeavesFirst(mDocument); }
    TakeApartAtScopeEnd(const TakeApartAtScopeEnd&) = delete;
    TakeApartAtScopeEnd& operator=(const TakeApartAtScopeEnd&) = delete;

private:
    nlohmann::json& mDocument;
};

}  // namespace quelbrant
