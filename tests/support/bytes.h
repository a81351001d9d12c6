// Byte builders: integers in either byte order, and bytes as hex digits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace testenv {

// The low `bytes` bytes of v, least significant first.
std::string le(uint64_t v, int bytes);
// The low `bytes` bytes of v, most significant first.
std::string be(uint64_t v, int bytes);
// Two lower-case digits a byte, as Python's bytes.hex() writes them.
std::string hex(std::string_view bytes);

}  // namespace testenv
