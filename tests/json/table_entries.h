#pragma once

// Reading back what a routine appended to the error table.

#include <string>
#include <vector>

#include "ErrorTable.h"

namespace quelbrant {

// Marks the table's size; entries() gives what was appended since.
class TableEntries {
public:
    TableEntries() : mStart(errorTableSize()) {}

    std::vector<std::string> entries() const
    {
        std::vector<std::string> texts;
        const size_t end = errorTableSize();
        for (size_t i = mStart; i < end; ++i) {
            const std::wstring wide = errorDescription(static_cast<int>(i));
            texts.emplace_back(wide.begin(), wide.end());
        }
        return texts;
    }

    // The text of a thrown index.
    static std::string textOf(int index)
    {
        const std::wstring wide = errorDescription(index);
        return std::string(wide.begin(), wide.end());
    }

private:
    size_t mStart;
};

}  // namespace quelbrant
