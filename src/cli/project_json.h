// The project model as JSON for "kelvaro-cli info --json"; other tools read these keys.
#pragma once

#include <nlohmann/json.hpp>

#include "model/project.h"

namespace kelvaro::cli {

nlohmann::ordered_json projectToJson(const Project& project);

}  // namespace kelvaro::cli
