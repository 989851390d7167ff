#pragma once
// Icon layouts across displays: the name of a display configuration, and a layout
// taken on one display mapped onto another.
//
// Positions are the desktop view's coordinates. The view spans the virtual screen
// (every monitor), and its origin is the virtual screen's top-left corner: with a
// monitor left of or above the main one, view coordinates are screen coordinates
// moved by that corner.
#include <optional>
#include <string>
#include <vector>

#include "icons/PositionList.h"
#include "platform/Platform.h"

namespace stowly {

// The screen size text of position files and key files: " 1024 * 768   32 bit".
std::string ScreenSizeText(const ScreenInfo& screen);
// The width and height a screen size text starts with ("1024x768x32" and
// " 1024 * 768   32 bit" alike); nullopt when it holds no two numbers.
std::optional<std::pair<int, int>> ScreenSizeOf(const std::string& text);

// "1920x1080@96_0_0+2560x1440@144_1920_0": each monitor's size, DPI and place in
// screen pixels, ordered by x, then y.
std::string DisplayConfigurationName(std::vector<MonitorInfo> monitors);

// A layout taken on the monitors `from` placed on the monitors `to`: each icon
// keeps its place relative to its monitor's work area, and so to the other icons
// there. The main monitors pair up, the others in the order of their places; when
// `to` has fewer, the layout of every monitor is fitted into the work areas of `to`
// as one. An icon that would be outside every work area goes into the nearest one.
std::vector<IconRecord> MapLayout(const std::vector<IconRecord>& icons, const std::vector<MonitorInfo>& from,
                                  const std::vector<MonitorInfo>& to);

// A layout whose file records the screen size `recorded`, fitted to the monitors
// now when the size differs; unchanged when it is the same or unknown.
std::vector<IconRecord> FitToScreen(Platform& os, const std::vector<IconRecord>& icons, const std::string& recorded);

} // namespace stowly
