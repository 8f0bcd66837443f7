#pragma once

// Shortening the parts of a schema violation report that come from the
// document (its JSON pointer and the offending value's text), so that a
// report on a deep or huge value still shows its reason in the few hundred
// bytes an error-table entry keeps.

#include <cstddef>
#include <string>

namespace quelbrant {

// text when it has at most maxLength bytes; otherwise its first and last
// bytes with "..." between, maxLength bytes or fewer in all. Never cuts a
// UTF-8 sequence apart. maxLength below 3 still gives "...".
std::string elideMiddle(const std::string& text, size_t maxLength);

// pointer when it has at most maxLength bytes; otherwise whole reference
// tokens from both ends, at most segmentsPerEnd from each, joined by "/...",
// e.g. "/a/0/0/.../0/0/b". When not even one token fits, elideMiddle.
std::string abbreviatePointer(const std::string& pointer, size_t maxLength, size_t segmentsPerEnd);

}  // namespace quelbrant
