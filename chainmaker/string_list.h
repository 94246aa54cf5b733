#pragma once
// The lists of Chainmaker's run (in.txt and exclude.txt): packed lists of strings, without a
// terminator.

#include "packed_strings.h"

namespace chainmaker {

using StringList = rt::PackedStrings;

}  // namespace chainmaker
