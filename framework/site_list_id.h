// The resource id of the site list each control DLL carries (RCDATA): the text the release was
// built with, "any" for a build that any page may use. Shared by the code and the resource
// scripts the build writes.
#pragma once

#define VARNOK_SITE_LIST_ID 900
