// The five banner variants built from the contact texts.
#pragma once

#include <string_view>
#include <vector>

#include "console/console_stream.h"

namespace survey {

// A banner's lines, with "{field}" standing for a contact text.
using Banner = std::vector<std::string_view>;

extern const Banner startBanner;
extern const Banner usageGuideBanner;
extern const Banner clearScreenHeading;
extern const Banner clearScreenBanner;
extern const Banner closingBanner;

// Prints the banner's lines through the direct print, each with a line end.
void printBanner(ConsoleStream& stream, const Banner& banner);

}  // namespace survey
