// The version texts and the links of the bottom row and the about window.
// The version goes in unchanged and nothing is percent-encoded: each link is
// handed to the system as the one string built here.
#pragma once

#include <string>
#include <string_view>

namespace ui {

// "Gravelin v " + version + " ß - email : "
std::string MainVersionText(std::string_view version);
// The version label's link: the support address, the other product's name.
std::string SupportMailLink(std::string_view version);
// The contact label's link.
std::string ContactMailLink(std::string_view version);
// The about window's version label: "Gravelin v " + version.
std::string AboutVersionText(std::string_view version);
// The maker's web site, opened from the about window.
std::string WebSiteLink();
// The about link's text: "En savoir plus sur Gravelin et " + the web site.
std::string AboutLinkText();

}  // namespace ui
