#include "options.h"

#include <cstdlib>

namespace viewer {

namespace {

constexpr int kMaxDeviceNumber = 31;

bool ParseDevice(const std::string& text, int* device)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || value < 0 || value > kMaxDeviceNumber)
        return false;
    *device = int(value);
    return true;
}

}  // namespace

std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string* error)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (i + 1 >= arguments.size() || (name != "--device" && name != "--record-to")) {
            *error = "usage: velmor-viewer [--device N] [--record-to FOLDER] (at " + name + ")";
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        if (name == "--record-to" && !value.empty()) {
            options.recordFolder = value;
        } else if (name != "--device" || !ParseDevice(value, &options.device)) {
            *error = "bad value for " + name + ": " + value + " (device numbers are 0 to 31)";
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace viewer
