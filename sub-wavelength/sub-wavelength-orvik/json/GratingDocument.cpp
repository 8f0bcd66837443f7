#include "json/GratingDocument.h"

#include <istream>
#include <new>
#include <stdexcept>
#include <string>

#include "ErrorTable.h"
#include "json/GratingSchema.h"
#include "json/JsonDocumentBuilder.h"
#include "json/RegularFileReader.h"

namespace quelbrant {

using json = nlohmann::json;

void readGratingDocument(const std::filesystem::path& file, json& document)
{
    quelbrant::RegularFileReader reader(file);

    try {
        (void)gratingSchema();
    } catch (const std::exception& e) {
        throw addErrorMessage(std::string("Grating data file is not valid JSON format(1):\n") + e.what(),
                              false);
    }

    try {
        quelbrant::TooDeepValue tooDeep;
        std::istream stream(&reader);
        if (!quelbrant::parseJsonDocument(stream, MaxDocumentNesting, document, tooDeep))
            throw std::invalid_argument(tooDeepValueReport(tooDeep.pointer, tooDeep.text));
        validateAgainstGratingSchema(document);
    } catch (const json::exception& e) {
        throw addErrorMessage(std::string("Grating data file is not valid JSON format(2):\n") + e.what(),
                              false);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        throw addErrorMessage(std::string("Schema validation failed, here is why:\n") + e.what(), false);
    }
}

}  // namespace quelbrant
