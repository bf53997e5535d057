#include "UiText.h"

#include "DesktopAppearance.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace orvane;

namespace {

TEST(UiTextTest, Percentages) {
    const std::pair<double, const char*> cases[] = {{0, "0%"},      {0.005, "0%"},       {0.29, "29%"},
                                                    {0.999, "99%"}, {1, "100%"},         {1.7, "100%"},
                                                    {-0.2, "0%"},   {std::nan(""), "0%"}};
    for (const auto& [fraction, text] : cases)
        EXPECT_EQ(UiText::percent(fraction), QString::fromUtf8(text)) << fraction;
}

TEST(DesktopAppearanceTest, TheFirstSourceThatSaysSomethingDecides) {
    using P = DesktopAppearance::PortalScheme;
    struct Case {
        const char* override;
        std::optional<P> portal;
        const char* gtkTheme;
        double lightness;
        bool dark;
    };
    const Case cases[] = {
        {"", std::nullopt, "", 0.94, false}, // a light palette
        {"", std::nullopt, "", 0.12, true},  // a dark palette
        {"", P::dark, "", 0.94, true},       // the portal beats the palette
        {"", P::light, "Adwaita:dark", 0.12, false},
        {"", P::noPreference, "Adwaita:dark", 0.94, true}, // no preference: GTK_THEME speaks
        {"", std::nullopt, "Adwaita", 0.94, false},
        {"Dark ", P::light, "", 0.94, true}, // the override beats everything
        {"light", P::dark, "Adwaita:dark", 0.1, false},
        {"sepia", std::nullopt, "", 0.94, false}, // an unknown override is ignored
    };
    for (const Case& c : cases)
        EXPECT_EQ(DesktopAppearance::resolve(QString::fromUtf8(c.override), c.portal,
                                             QString::fromUtf8(c.gtkTheme), c.lightness),
                  c.dark)
            << c.override << "/" << c.gtkTheme << "/" << c.lightness;
}

} // namespace
