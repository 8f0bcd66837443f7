#include "json/SchemaViolation.h"

#include <regex>
#include <unordered_map>
#include <valijson/adapters/nlohmann_json_adapter.hpp>
#include <valijson/validation_results.hpp>
#include <valijson/validation_visitor.hpp>
#include <vector>

#include "json/JsonNesting.h"

namespace quelbrant {

namespace {

using json = nlohmann::json;
using valijson::Subschema;
using valijson::constraints::Constraint;
using Adapter = valijson::adapters::NlohmannJsonAdapter;
using Visitor = valijson::ValidationVisitor<Adapter>;
using RegexCache = std::unordered_map<std::string, std::regex>;

// Strict JSON types throughout: 1 is no boolean and "1" no number.
constexpr bool StrictTypes = true;

class ViolationFinder {
public:
    bool satisfies(const Subschema& schema, const json& value)
    {
        const Adapter target(value);
        Visitor visitor(target, {}, StrictTypes, nullptr, mRegexes);
        return visitor.validateSchema(schema);
    }

    bool satisfies(const Constraint& constraint, const json& value)
    {
        const Adapter target(value);
        Visitor visitor(target, {}, StrictTypes, nullptr, mRegexes);
        return constraint.accept(visitor);
    }

    // Searches value (at pointer), known to fail schema, for the first
    // violation; false when no constraint of schema fails on its own.
    bool find(const Subschema& schema, const json& value, const std::string& pointer, SchemaViolation& found)
    {
        if (schema.getAlwaysInvalid()) {
            found = {pointer, &value, "No value is permitted here."};
            return true;
        }
        bool isFound = false;
        Subschema::ApplyFunction firstFailing = [&](const Constraint& constraint) {
            if (satisfies(constraint, value))
                return true;
            if (!descend(constraint, value, pointer, found))
                found = {pointer, &value, reasonOf(constraint, value)};
            isFound = true;
            return false;
        };
        schema.applyStrict(firstFailing);
        return isFound;
    }

private:
    // Follows a failing constraint that applies subschemas to members,
    // items or the value itself down to the first one that fails.
    bool descend(const Constraint& constraint, const json& value, const std::string& pointer,
                 SchemaViolation& found)
    {
        using namespace valijson::constraints;
        bool isFound = false;
        if (const auto* properties = dynamic_cast<const PropertiesConstraint*>(&constraint)) {
            if (!value.is_object())
                return false;
            properties->applyToProperties([&](const auto& name, const Subschema* subschema) {
                const auto member = value.find(std::string(name.c_str()));
                if (member == value.end() || satisfies(*subschema, *member))
                    return true;
                std::string memberPointer = pointer;
                appendPointerToken(memberPointer, std::string(name.c_str()));
                isFound = find(*subschema, *member, memberPointer, found);
                return false;
            });
        } else if (const auto* items = dynamic_cast<const SingularItemsConstraint*>(&constraint)) {
            if (!value.is_array() || items->getItemsSubschema() == nullptr)
                return false;
            const Subschema& itemSchema = *items->getItemsSubschema();
            for (size_t index = 0; index < value.size(); ++index) {
                if (satisfies(itemSchema, value[index]))
                    continue;
                std::string itemPointer = pointer;
                appendPointerToken(itemPointer, std::to_string(index));
                return find(itemSchema, value[index], itemPointer, found);
            }
        } else if (const auto* allOf = dynamic_cast<const AllOfConstraint*>(&constraint)) {
            allOf->applyToSubschemas([&](unsigned int, const Subschema* subschema) {
                if (satisfies(*subschema, value))
                    return true;
                isFound = find(*subschema, value, pointer, found);
                return false;
            });
        }
        return isFound;
    }

    std::string reasonOf(const Constraint& constraint, const json& value)
    {
        using namespace valijson::constraints;
        // The alternatives' own errors would say only why each form does
        // not fit; the count says what is wrong with the value.
        if (const auto* oneOf = dynamic_cast<const OneOfConstraint*>(&constraint)) {
            unsigned int matched = 0;
            oneOf->applyToSubschemas([&](unsigned int, const Subschema* subschema) {
                matched += satisfies(*subschema, value) ? 1 : 0;
                return true;
            });
            return matched == 0 ? "Failed to validate against any child schemas allowed by oneOf constraint."
                                : "Failed to validate against exactly one child schema.";
        }
        if (dynamic_cast<const AnyOfConstraint*>(&constraint) != nullptr)
            return "Failed to validate against any schemas allowed by anyOf constraint.";
        // Every other constraint judges the value itself; its first error
        // (there may be several, one per missing member) is the reason.
        valijson::ValidationResults results;
        const Adapter target(value);
        Visitor visitor(target, {"<root>"}, StrictTypes, &results, mRegexes);
        constraint.accept(visitor);
        valijson::ValidationResults::Error error;
        return results.popError(error) ? error.description : "Failed to validate against the schema.";
    }

    RegexCache mRegexes;
};

}  // namespace

bool satisfiesSchema(const Subschema& schema, const json& value)
{
    return ViolationFinder().satisfies(schema, value);
}

SchemaViolation findFirstViolation(const Subschema& schema, const json& document)
{
    ViolationFinder finder;
    SchemaViolation found{"", &document, "Failed to validate against the schema."};
    finder.find(schema, document, "", found);
    return found;
}

}  // namespace quelbrant
