#pragma once

#include <cstdint>
#include <string>

namespace zr
{

// Converts the value text of a camera answer (or of a setup file entry) to a number: leading
// white space and one sign allowed, conversion stops at the first character that is not a digit,
// no digits give 0, and a number beyond 32 bits becomes the nearer limit.
int32_t ParseAnswerNumber(const std::string& text);

} // namespace zr
