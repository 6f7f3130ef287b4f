// Expansion of %name% references between the run's values.
#pragma once

#include <cstddef>
#include <string>

#include "package/value_map.hpp"

// The most references one expansion replaces, counting those replaced inside
// the values it inserts. Once they are used up, every further reference stays
// as it stands.
inline constexpr std::size_t max_expanded_references = 256;

// Returns text with every %name% reference whose name is in values replaced by
// that name's value, itself expanded first. Names are matched exactly; a name
// that is not in values leaves its reference unchanged. The scan goes left to
// right and, after a replacement, resumes at the index where the reference's
// closing '%' stood, so it may look into the inserted text.
//
// Values that refer to themselves would make this go on without end, so:
// - a reference to a name whose value is being expanded (a value that refers
//   to itself, directly or through others) stays as it stands;
// - no expansion replaces more than max_expanded_references references, which
//   bounds a value that re-forms a reference to itself once inserted and the
//   scan resumes inside it.
//
// Reads values through find only, so the map is never changed. Running out of
// memory throws std::bad_alloc.
std::string expand_values(const std::string& text, const value_map& values);
