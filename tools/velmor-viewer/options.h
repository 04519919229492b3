#pragma once
// The viewer's command line: velmor-viewer [--device N] [--record-to FOLDER].
#include <optional>
#include <string>
#include <vector>

namespace viewer {

struct Options {
    int device = 0;
    std::string recordFolder = ".";  // recordings and snapshots
};

// The options, or nothing (and the reason in `error`) for an unknown or incomplete argument.
std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string* error);

}  // namespace viewer
