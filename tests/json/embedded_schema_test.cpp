#include "embedded_schema.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "json/GratingSchema.h"

using namespace quelbrant;

namespace {

using json = nlohmann::json;

// The schema file of the source tree, with its line ends as LF.
std::string schemaFileText()
{
    std::string path = __FILE__;
    const std::string self = "tests/json/embedded_schema_test.cpp";
    EXPECT_EQ(path.substr(path.size() - self.size()), self);
    path.replace(path.size() - self.size(), self.size(), "sub-wavelength/schema/grating-surface-schema.json");
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file.good()) << path;
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::string lf;
    for (char c : text) {
        if (c != '\r')
            lf.push_back(c);
    }
    return lf;
}

std::string embeddedText()
{
    return std::string(reinterpret_cast<const char*>(sub_wavelength_schema_json),
                       sub_wavelength_schema_json_len);
}

// Calls visit on every object in value.
template <class F>
void forEachObject(const json& value, const F& visit)
{
    if (value.is_object())
        visit(value);
    if (value.is_structured()) {
        for (const json& child : value)
            forEachObject(child, visit);
    }
}

}  // namespace

TEST(EmbeddedSchema, IsTheSchemaFileWithThePlatformsLineEnds)
{
    const std::string file = schemaFileText();
    const std::string embedded = embeddedText();
#if defined(_WIN32)
    std::string crlf;
    for (char c : file) {
        if (c == '\n')
            crlf.push_back('\r');
        crlf.push_back(c);
    }
    EXPECT_EQ(embedded, crlf);
#else
    EXPECT_EQ(embedded, file);
#endif
    EXPECT_EQ(gratingSchema(), json::parse(file));
}

TEST(EmbeddedSchema, DeclaresDraft07AndItsIdentity)
{
    const json& schema = gratingSchema();
    EXPECT_EQ(schema.at("$schema"), "http://json-schema.org/draft-07/schema#");
    EXPECT_EQ(schema.at("title"), "Grating characterization");
    EXPECT_EQ(schema.at("type"), "object");
    const std::string id = schema.at("$id");
    const std::string tail = "/grating-surface-schema.json";
    EXPECT_EQ(id.rfind("https://", 0), 0u) << id;
    ASSERT_GT(id.size(), tail.size());
    EXPECT_EQ(id.substr(id.size() - tail.size()), tail);
}

TEST(EmbeddedSchema, EveryReferenceIsADefinitionOfTheSchemaItself)
{
    const json& schema = gratingSchema();
    const json& definitions = schema.at("definitions");
    size_t references = 0;
    forEachObject(schema, [&](const json& object) {
        const auto ref = object.find("$ref");
        if (ref == object.end())
            return;
        ++references;
        const std::string target = *ref;
        const std::string prefix = "#/definitions/";
        ASSERT_EQ(target.rfind(prefix, 0), 0u) << target;
        EXPECT_TRUE(definitions.contains(target.substr(prefix.size()))) << target;
    });
    EXPECT_GT(references, 0u);
}

TEST(EmbeddedSchema, HoldsNoConditionalOrDraft2020Keywords)
{
    forEachObject(gratingSchema(), [](const json& object) {
        for (const char* keyword : {"if", "then", "else", "prefixItems", "additionalProperties"})
            EXPECT_FALSE(object.contains(keyword)) << keyword;
    });
}
