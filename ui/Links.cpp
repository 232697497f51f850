#include "Links.h"

#include "Maker.h"

namespace ui {

std::string MainVersionText(std::string_view version) {
  return "Gravelin v " + std::string(version) + " \u00DF - email : ";
}

std::string SupportMailLink(std::string_view version) {
  return std::string("mailto:") + maker::kSupportMail + "?subject=" + maker::kOtherProduct + " v" +
         std::string(version);
}

std::string ContactMailLink(std::string_view version) {
  return std::string("mailto:") + maker::kContactMail + "?subject=Gravelin v " + std::string(version);
}

std::string AboutVersionText(std::string_view version) { return "Gravelin v " + std::string(version); }

std::string WebSiteLink() { return maker::kWebSiteUrl; }

std::string AboutLinkText() { return std::string("En savoir plus sur Gravelin et ") + maker::kWebSiteName; }

}  // namespace ui
