// The site lock: a control built for a list of sites works only on pages whose address is on
// the list, the list being a resource of the module (fixed when the release is built and covered
// by its signature). The page of a control is the document that holds it: its client site's
// container, asked for its URL.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <optional>
#include <string>
#include <string_view>

namespace fw {

// The address of the page a control sits on, as UTF-8 with every character kept (an inner NUL
// included); nothing when there is no site, no container, no document or no address.
[[nodiscard]] std::optional<std::string> PageAddress(IOleClientSite* site);

// Whether this module is built for any page ("any"). A list that is missing or cannot be read
// counts as locked to nothing.
[[nodiscard]] bool SiteListOpen();

// Whether a control of this module may work on the page of `site`: always in an open build; in a
// locked one only when the page's address is on the list, so never without a page.
[[nodiscard]] bool PageAllowed(IOleClientSite* site);

// Whether this module's list allows a page at `utf8Address` (the rule fw::SiteAllowed): always in
// an open build, never when the list is missing or cannot be read.
[[nodiscard]] bool AddressAllowed(std::string_view utf8Address);

}  // namespace fw
