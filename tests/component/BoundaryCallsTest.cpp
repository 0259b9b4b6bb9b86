// The calls every automation object answers alike, whichever dispatch serves it: the member
// lookup by name and the copying of arguments across the boundary's plain arrays.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component/BoundaryCalls.h"

namespace zr
{
namespace
{

TEST(BoundaryCalls, LookUpMemberIdAnswersInAnyLetterCaseAndRefusesMissingPointers)
{
    const AutomationMember* shutter = FindMember("IMG1ShutterSpeed");
    ASSERT_NE(shutter, nullptr);
    int32_t kind = -1;
    int32_t dispid = -1;
    EXPECT_EQ(LookUpMemberId("img1SHUTTERspeed", &kind, &dispid), hresult::kOk);
    EXPECT_EQ(kind, static_cast<int32_t>(MemberKind::Property));
    EXPECT_EQ(dispid, shutter->dispid);

    kind = dispid = -1;
    EXPECT_EQ(LookUpMemberId("NoSuchMember", &kind, &dispid), hresult::kUnknownName);
    EXPECT_EQ(LookUpMemberId(nullptr, &kind, &dispid), hresult::kPointer);
    EXPECT_EQ(LookUpMemberId("ModelName", nullptr, &dispid), hresult::kPointer);
    EXPECT_EQ(LookUpMemberId("ModelName", &kind, nullptr), hresult::kPointer);
    EXPECT_EQ(kind, -1); // untouched by a refused lookup
    EXPECT_EQ(dispid, -1);
}

TEST(BoundaryCalls, InvokeOnArgumentsCopiesOutArgumentsBackOnlyOnSuccess)
{
    std::string lastError = "earlier";
    Variant args[2] = {Variant(1), Variant("in")};
    Variant result;
    const auto succeed = [](std::vector<Variant>& arguments, Variant& value) {
        EXPECT_FALSE(arguments.empty());
        arguments[0] = Variant(7); // an out argument
        value = Variant("done");
        return DispatchResult{};
    };
    EXPECT_EQ(InvokeOnArguments(args, 2, &result, lastError, succeed), hresult::kOk);
    EXPECT_EQ(args[0], Variant(7));
    EXPECT_EQ(args[1], Variant("in"));
    EXPECT_EQ(result, Variant("done"));
    EXPECT_EQ(lastError, "earlier"); // the caller clears it before the call
    // No result slot: the value is dropped, the out arguments still come back.
    args[0] = Variant(3);
    EXPECT_EQ(InvokeOnArguments(args, 1, nullptr, lastError, succeed), hresult::kOk);
    EXPECT_EQ(args[0], Variant(7));
    EXPECT_EQ(args[1], Variant("in")); // beyond the count: never read nor written

    const auto fail = [](std::vector<Variant>& arguments, Variant& value) {
        arguments[0] = Variant(99);
        value = Variant(99);
        return DispatchResult{static_cast<int32_t>(0x800A0001), "Value out of range."};
    };
    args[0] = Variant(5);
    result = Variant();
    EXPECT_EQ(InvokeOnArguments(args, 2, &result, lastError, fail),
              static_cast<int32_t>(0x800A0001));
    EXPECT_EQ(lastError, "Value out of range.");
    EXPECT_EQ(args[0], Variant(5)); // a failed call leaves the caller's arguments as they were
    EXPECT_EQ(result, Variant());

    // No arguments at all.
    EXPECT_EQ(InvokeOnArguments(nullptr, 0, &result, lastError,
                                [](std::vector<Variant>& arguments, Variant& value) {
                                    EXPECT_TRUE(arguments.empty());
                                    value = Variant(true);
                                    return DispatchResult{};
                                }),
              hresult::kOk);
    EXPECT_EQ(result, Variant(true));
}

} // namespace
} // namespace zr
