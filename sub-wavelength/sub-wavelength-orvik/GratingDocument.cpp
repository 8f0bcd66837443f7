#include "GratingDocument.h"

#include <istream>
#include <streambuf>
#include <string>

#include "ErrorTable.h"
#include "GratingSchema.h"
#include "RegularFileText.h"

using json = nlohmann::json;

namespace {

// The file's text read as a stream, without a copy. Extraction parses one
// value and leaves whatever follows it unread, as it did from the file.
class TextStreamBuffer : public std::streambuf {
public:
    explicit TextStreamBuffer(std::string& text) { setg(text.data(), text.data(), text.data() + text.size()); }
};

}  // namespace

json readGratingDocument(const std::filesystem::path& file)
{
    // Read whole, so that a failing read is told as one and never reaches
    // the parser as a document that merely ends early.
    std::string text = quelbrant::readRegularFile(file);

    try {
        (void)gratingSchema();
    } catch (const std::exception& e) {
        throw addErrorMessage(std::string("Grating data file is not valid JSON format(1):\n") + e.what(),
                              false);
    }

    json j;
    try {
        {
            TextStreamBuffer buffer(text);
            std::istream stream(&buffer);
            stream >> j;
        }
        // The text is not needed once parsed; the checks and tables to come
        // need the memory more.
        std::string().swap(text);
        validateAgainstGratingSchema(j);
    } catch (const json::exception& e) {
        throw addErrorMessage(std::string("Grating data file is not valid JSON format(2):\n") + e.what(),
                              false);
    } catch (const std::exception& e) {
        throw addErrorMessage(std::string("Schema validation failed, here is why:\n") + e.what(), false);
    }
    return j;
}
