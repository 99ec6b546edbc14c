#include "about_text.h"

#include <array>

namespace vrn
{
namespace
{

constexpr std::size_t kLogoColumn = 72;

constexpr std::array<const char*, 4> kLogo = {
    "V   V   R R R    N   N",
    "V   V   R    R   N N N",
    " V V    R R R    N  NN",
    "  V     R    R   N   N",
};

constexpr std::array<const char*, 3> kBannerText = {
    "VRN - a tool for statistical disclosure control of tabular data",
    "Copyright (c) 2026 Tessera Statistical Software. MIT licence.",
    "Version " VRN_VERSION ", 2026",
};

} // namespace

std::string AboutBanner()
{
    std::string banner;
    for (std::size_t row = 0; row < kLogo.size(); ++row)
    {
        std::string line = row < kBannerText.size() ? kBannerText[row] : "";
        line.resize(kLogoColumn, ' ');
        banner += line + kLogo[row] + "\n";
    }
    return banner;
}

std::string AboutAuthors()
{
    return "Authors\n"
           "\n"
           "Tessera VRN team, vrn@tessera-stats.example (front-end and back-end)\n"
           "Tessera methods group, methods@tessera-stats.example (protection models)\n";
}

} // namespace vrn
