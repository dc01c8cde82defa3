// A fast 64-bit hash of a byte string, to tell whether a file is still what
// was read earlier. Not for security.
#pragma once

#include <cstdint>
#include <string_view>

uint64_t qlHash64(std::string_view Data);
