// Packs a scenario's package into a copy of the target's stub with the real
// packer, stubra-pack (named by STUBRA_E2E_PACK), then applies the scenario's
// mutation to the packed file.
#pragma once

#include <string>

#include "tests/e2e/scenario.hpp"
#include "tests/e2e/target.hpp"

namespace e2e {

// Returns the host path of the packed stub, written into folder.
std::string pack_scenario(const scenario& row, const target& on, const std::string& folder);

}  // namespace e2e
