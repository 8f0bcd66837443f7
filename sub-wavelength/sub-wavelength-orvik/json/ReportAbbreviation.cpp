#include "json/ReportAbbreviation.h"

namespace quelbrant {

namespace {

const std::string Ellipsis = "...";

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string elideMiddle(const std::string& text, size_t maxLength)
{
    if (text.size() <= maxLength)
        return text;
    if (maxLength <= Ellipsis.size())
        return Ellipsis;
    const size_t kept = maxLength - Ellipsis.size();
    // The head gets the odd byte; both ends move inwards to a character start.
    size_t headEnd = kept - kept / 2;
    size_t tailStart = text.size() - kept / 2;
    while (headEnd > 0 && isContinuationByte(text[headEnd]))
        --headEnd;
    while (tailStart < text.size() && isContinuationByte(text[tailStart]))
        ++tailStart;
    return text.substr(0, headEnd) + Ellipsis + text.substr(tailStart);
}

std::string abbreviatePointer(const std::string& pointer, size_t maxLength, size_t segmentsPerEnd)
{
    if (pointer.size() <= maxLength)
        return pointer;
    const std::string gap = "/" + Ellipsis;
    // Kept: pointer[0, headEnd) and pointer[tailStart, end), each a run of
    // whole "/token" segments, grown alternately so both ends stay in view.
    size_t headEnd = 0;
    size_t tailStart = pointer.size();
    size_t headSegments = 0;
    size_t tailSegments = 0;
    auto fits = [&](size_t head, size_t tail) {
        return head + gap.size() + (pointer.size() - tail) <= maxLength;
    };
    for (bool grew = true; grew;) {
        grew = false;
        const size_t nextHead = pointer.find('/', headEnd + 1);
        if (headSegments < segmentsPerEnd && nextHead < tailStart && fits(nextHead, tailStart)) {
            headEnd = nextHead;
            ++headSegments;
            grew = true;
        }
        const size_t nextTail = tailStart == 0 ? std::string::npos : pointer.rfind('/', tailStart - 1);
        if (tailSegments < segmentsPerEnd && nextTail != std::string::npos && nextTail > headEnd &&
            fits(headEnd, nextTail)) {
            tailStart = nextTail;
            ++tailSegments;
            grew = true;
        }
    }
    if (headSegments == 0 && tailSegments == 0)
        return elideMiddle(pointer, maxLength);
    return pointer.substr(0, headEnd) + gap + pointer.substr(tailStart);
}

}  // namespace quelbrant
