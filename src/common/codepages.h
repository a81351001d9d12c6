#pragma once

namespace common::detail {

// Table of the 128 upper code points of a Windows code page, or nullptr.
const char16_t* codePageTable(int codePage);

}  // namespace common::detail
