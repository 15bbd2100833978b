// libFuzzer target: any bytes through the strings-file parser, which must never crash, must say
// where and why it refuses, and must read every table it accepts back the same once written out.
#include "Source/localization/StringsFile.hpp"
#include "fuzz/QuotedLiteral.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using tavrel::StringsFile;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const StringsFile::Parsed parsed = StringsFile::parse(bytes);
    if (!parsed.ok()) {
        if (parsed.error().line == 0) {
            std::abort();
        }
        return 0;
    }
    std::string written;
    for (const auto& [key, value] : *parsed) {
        written += quotedLiteral(key) + " = " + quotedLiteral(value) + ";\n";
    }
    const StringsFile::Parsed again = StringsFile::parse(written);
    if (again != parsed) {
        std::abort();
    }
    return 0;
}
