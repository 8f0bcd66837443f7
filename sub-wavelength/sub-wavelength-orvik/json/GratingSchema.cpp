#include "json/GratingSchema.h"

#include <stdexcept>
#include <string>
#include <valijson/adapters/nlohmann_json_adapter.hpp>
#include <valijson/schema.hpp>
#include <valijson/schema_parser.hpp>

#include "embedded_schema.h"
#include "json/JsonNesting.h"
#include "json/ReportAbbreviation.h"
#include "json/SchemaViolation.h"

namespace quelbrant {

// Both the parsed text and valijson's compiled form are function-local
// statics: whichever code asks first builds them, so no translation unit
// depends on another's initialisation order, and C++ makes the first build
// thread-safe. The compiled schema is only read afterwards (each validation
// brings its own visitor and regex cache), so concurrent loads share it.

namespace {

using json = nlohmann::json;

struct CompiledSchema {
    valijson::Schema schema;

    CompiledSchema()
    {
        valijson::SchemaParser parser(valijson::SchemaParser::kDraft7);
        parser.populateSchema(valijson::adapters::NlohmannJsonAdapter(gratingSchema()), schema);
    }
};

const valijson::Schema& compiledGratingSchema()
{
    static const CompiledSchema compiled;
    return compiled.schema;
}

// Built while the library loads, before any export can be called.
[[maybe_unused]] const bool SchemaBuiltAtLoad = (compiledGratingSchema(), true);

std::string jsonText(const json& value)
{
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

constexpr size_t MaxReportedPointerLength = 64;
constexpr size_t ReportedPointerSegmentsPerEnd = 4;
constexpr size_t MinReportedValueLength = 16;

// Pointer and value come from the document and may be of any length; the
// reason is the library's own and always short. The pointer is cut first,
// then the value gets the room the rest leaves.
std::string violationReport(const std::string& pointer, const std::string& valueText,
                            const std::string& reason)
{
    const std::string shownPointer =
        abbreviatePointer(pointer, MaxReportedPointerLength, ReportedPointerSegmentsPerEnd);
    const size_t fixedLength = std::string("At  of  - \n").size() + shownPointer.size() + reason.size();
    const size_t valueRoom = fixedLength + MinReportedValueLength < MaxViolationReportLength
                                 ? MaxViolationReportLength - fixedLength
                                 : MinReportedValueLength;
    return "At " + shownPointer + " of " + elideMiddle(valueText, valueRoom) + " - " + reason + "\n";
}

}  // namespace

const json& gratingSchema()
{
    static const json schema =
        json::parse(sub_wavelength_schema_json, sub_wavelength_schema_json + sub_wavelength_schema_json_len);
    return schema;
}

std::string tooDeepValueReport(const std::string& pointer, const std::string& elidedText)
{
    return violationReport(
        pointer, elidedText,
        "Value is nested more than " + std::to_string(MaxDocumentNesting) + " levels deep.");
}

void validateAgainstGratingSchema(const json& document)
{
    std::string pointer;
    if (const json* tooDeep = findValueNestedDeeperThan(document, MaxDocumentNesting, pointer))
        throw std::invalid_argument(tooDeepValueReport(pointer, dumpElided(*tooDeep, 2)));
    const valijson::Schema& schema = compiledGratingSchema();
    if (satisfiesSchema(schema, document))
        return;
    const SchemaViolation violation = findFirstViolation(schema, document);
    throw std::invalid_argument(
        violationReport(violation.pointer, jsonText(*violation.value), violation.reason));
}

}  // namespace quelbrant
