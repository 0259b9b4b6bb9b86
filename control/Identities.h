#pragma once

#include <cstdint>

// The fixed identities of the control component. Containers, the host program and the class
// registration depend on them, so they never change.
namespace zr::identity
{

// The module's application name (string resource 1): the title of the control's message boxes,
// the control's type name and the name of its settings.
inline constexpr const char* kApplicationName = "XKorvelZR47xCL Control";
// The settings key is these three parts joined with nothing between them.
inline constexpr const char* kSettingsKeyParts[] = {"Korvel-", "XKorvelZR47xCL.ini", "-Control"};

// The control's class identifier, its program identifier and its type name.
inline constexpr const char* kControlClassId = "{1E99EA24-C476-4200-A535-94746DC568E6}";
// The control's program identifier.
inline constexpr const char* kControlProgId = "XKorvelZR47xCL.XKorvelZR47xCLCtrl.1";
// The control's type name.
inline constexpr const char* kControlTypeName = kApplicationName;

// Name and identifier of the dispatch interface (properties and methods), and of the event
// interface.
inline constexpr const char* kDispatchInterfaceName = "_DXKorvelCam";
// The dispatch interface's identifier.
inline constexpr const char* kDispatchInterfaceId = "{3F6EC2F1-739F-484A-8861-DCF51335B355}";
// The event interface's name.
inline constexpr const char* kEventInterfaceName = "_DXKorvelCamEvents";
// The event interface's identifier.
inline constexpr const char* kEventInterfaceId = "{5B7F879B-66BB-4CDE-B90E-804EEEA8C079}";

// The type library: its name.
inline constexpr const char* kTypeLibraryName = "XKorvelCamLib";
// The type library's identifier.
inline constexpr const char* kTypeLibraryId = "{0F3B14A8-6E96-4FC6-9A4B-F88613C09DD4}";
// The type library's help string.
inline constexpr const char* kTypeLibraryHelpString = "XKorvelCam ActiveX Control Module";
// The type library's help file name.
inline constexpr const char* kTypeLibraryHelpFile = "XKorvelCam.hlp";
// The name of the control's class in the type library.
inline constexpr const char* kCoclassName = "XKorvelCam";

// Version used to load and register the type library; the persisted state carries both
// halves in one number.
inline constexpr uint16_t kVersionMajor = 1;
// The minor half of the version.
inline constexpr uint16_t kVersionMinor = 30;
// Both halves, as the persisted state carries them.
inline constexpr uint32_t kPersistedVersion = 0x0001001E;
static_assert(kPersistedVersion == (uint32_t{kVersionMajor} << 16 | kVersionMinor));

// The property page's class identifier.
inline constexpr const char* kPropertyPageClassId = "{DA7A9A89-B37A-4007-8EA9-0DA7F416719B}";
// The property page's program identifier.
inline constexpr const char* kPropertyPageProgId = "XKorvelZR47xCL.XKorvelZR47xCLPropPage.1";
// The property page's type name.
inline constexpr const char* kPropertyPageTypeName = "XKorvelZR47xCL Property Page";

// Registration of the control: insertable, apartment threading model, and its miscellaneous
// status bits: recompose on resize (0x1), cannot link inside (0x10), inside-out (0x80),
// activate when visible (0x100), set client site first (0x20000).
inline constexpr bool kInsertable = true;
// The threading model.
inline constexpr const char* kThreadingModel = "Apartment";
// The miscellaneous status bits.
inline constexpr uint32_t kMiscStatus = 0x00020191;
static_assert(kMiscStatus == (0x1 | 0x10 | 0x80 | 0x100 | 0x20000));

// Initial size of the control in a container, in pixels.
inline constexpr int32_t kInitialWidth = 180;
// The initial height.
inline constexpr int32_t kInitialHeight = 40;

} // namespace zr::identity
