// The maker of Gravelin, as its windows name it: the one place for its
// name, its other product, its addresses and its telephone number.
#pragma once

namespace maker {

inline constexpr char kName[] = "Morvane";
inline constexpr char kOtherProduct[] = "Plumesat";
// Shown on the main window's bottom row and in the about text.
inline constexpr char kContactMail[] = "contact@morvane.test";
// The address of the version label's mail link.
inline constexpr char kSupportMail[] = "support@morvane.test";
// As shown at the end of the about link, and as opened.
inline constexpr char kWebSiteName[] = "www.morvane.test";
inline constexpr char kWebSiteUrl[] = "https://www.morvane.test";
// In the range kept for fiction.
inline constexpr char kTelephone[] = "+33 1 99 00 12 34";
inline constexpr char kContactService[] = "Service support Morvane";

}  // namespace maker
