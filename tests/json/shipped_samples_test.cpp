#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "json/GratingSchema.h"

using namespace quelbrant;

TEST(ShippedSamples, EverySampleFilePassesTheSchema)
{
    size_t samples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QUELBRANT_DATA_DIR)) {
        if (entry.path().extension() != ".json")
            continue;
        ++samples;
        std::ifstream file(entry.path());
        const nlohmann::json document = nlohmann::json::parse(file);
        EXPECT_NO_THROW(validateAgainstGratingSchema(document)) << entry.path();
    }
    EXPECT_GT(samples, 0u);
}
