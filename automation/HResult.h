#pragma once

#include <cstdint>

namespace zr
{

// Result codes of the boundary, with the values the component object model gives them.
namespace hresult
{
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kFalse = 1;
inline constexpr int32_t kNoInterface = static_cast<int32_t>(0x80004002);
inline constexpr int32_t kPointer = static_cast<int32_t>(0x80004003);
inline constexpr int32_t kUnexpected = static_cast<int32_t>(0x8000FFFF);
inline constexpr int32_t kFail = static_cast<int32_t>(0x80004005);
inline constexpr int32_t kOutOfMemory = static_cast<int32_t>(0x8007000E);
inline constexpr int32_t kClassNotAvailable = static_cast<int32_t>(0x80040111);
inline constexpr int32_t kSelfRegTypeLib = static_cast<int32_t>(0x80040200);
inline constexpr int32_t kSelfRegClass = static_cast<int32_t>(0x80040201);
// Dispatch failures that are not script errors.
inline constexpr int32_t kMemberNotFound = static_cast<int32_t>(0x80020003);
inline constexpr int32_t kTypeMismatch = static_cast<int32_t>(0x80020005);
inline constexpr int32_t kUnknownName = static_cast<int32_t>(0x80020006);
inline constexpr int32_t kBadParamCount = static_cast<int32_t>(0x8002000E);
} // namespace hresult

} // namespace zr
