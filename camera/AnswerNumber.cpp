#include "camera/AnswerNumber.h"

#include <cctype>
#include <limits>

namespace zr
{

int32_t ParseAnswerNumber(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
    int64_t magnitude = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        // Past this the result is saturated anyway; stop growing so nothing overflows.
        if (magnitude <= -kMin)
            magnitude = magnitude * 10 + (text[i] - '0');
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > kMax)
        return static_cast<int32_t>(kMax);
    if (value < kMin)
        return static_cast<int32_t>(kMin);
    return static_cast<int32_t>(value);
}

} // namespace zr
