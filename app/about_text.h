#pragma once

#include <string>

// The two blocks that "About" writes into the output area. Each ends with a line break of its
// own; the caller adds std::endl, so an empty line follows each block.
namespace vrn
{

// Four lines: what VRN is, the rights notice, the version and year, each padded so that the
// small VRN logo stands in the same columns at the right; the fourth line holds the logo's
// bottom row alone.
std::string AboutBanner();

// A heading, an empty line, then one line per author: name, e-mail address, (role).
std::string AboutAuthors();

} // namespace vrn
