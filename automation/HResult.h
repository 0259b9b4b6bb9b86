#pragma once

#include <cstdint>

namespace zr
{

// Result codes of the boundary, with the values the component object model gives them.
namespace hresult
{
inline constexpr int32_t kOk = 0;    // success
inline constexpr int32_t kFalse = 1; // success, with the answer "no"
inline constexpr int32_t kNoInterface = static_cast<int32_t>(0x80004002); // interface not offered
inline constexpr int32_t kPointer = static_cast<int32_t>(0x80004003);     // a null pointer given
inline constexpr int32_t kUnexpected = static_cast<int32_t>(0x8000FFFF);  // wrong state
inline constexpr int32_t kFail = static_cast<int32_t>(0x80004005);        // failed
inline constexpr int32_t kOutOfMemory = static_cast<int32_t>(0x8007000E); // out of memory
inline constexpr int32_t kClassNotAvailable = static_cast<int32_t>(0x80040111); // unknown class
inline constexpr int32_t kSelfRegTypeLib = static_cast<int32_t>(0x80040200);    // type library step
inline constexpr int32_t kSelfRegClass = static_cast<int32_t>(0x80040201);      // class step
// Dispatch failures that are not script errors.
inline constexpr int32_t kMemberNotFound = static_cast<int32_t>(0x80020003); // no such dispid
inline constexpr int32_t kTypeMismatch = static_cast<int32_t>(0x80020005);   // argument type
inline constexpr int32_t kUnknownName = static_cast<int32_t>(0x80020006);    // no such name
inline constexpr int32_t kBadParamCount = static_cast<int32_t>(0x8002000E);  // argument count
} // namespace hresult

} // namespace zr
