// The maker of Gravelin, as its windows name it: the one place for its
// name, its other product, its addresses and its telephone number.
#pragma once

namespace maker {

inline constexpr const char* kName = "Morvane";
inline constexpr const char* kOtherProduct = "Plumesat";
// Shown on the main window's bottom row and in the about text.
inline constexpr const char* kContactMail = "contact@morvane.test";
// The address of the version label's mail link.
inline constexpr const char* kSupportMail = "support@morvane.test";
// As shown at the end of the about link, and as opened.
inline constexpr const char* kWebSiteName = "www.morvane.test";
inline constexpr const char* kWebSiteUrl = "https://www.morvane.test";
// In the range kept for fiction.
inline constexpr const char* kTelephone = "+33 1 99 00 12 34";
inline constexpr const char* kContactService = "Service support Morvane";

}  // namespace maker
