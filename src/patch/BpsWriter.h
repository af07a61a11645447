#pragma once

#include <string>
#include <string_view>

/// A well-formed BPS patch that turns `source` into `target`: the bytes they share at the same
/// place are read from the source, the others carried in the patch.
std::string WriteBps(std::string_view source, std::string_view target);
