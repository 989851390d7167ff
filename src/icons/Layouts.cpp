#include "icons/Layouts.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/Text.h"

namespace stowly {

namespace {

// An icon's cell at 96 DPI: an icon placed closer than this to a work area's right
// or bottom edge would be cut off.
constexpr int kCell = 75;

PixelRect Moved(PixelRect r, int dx, int dy) { return {r.left - dx, r.top - dy, r.right - dx, r.bottom - dy}; }

// The monitors in view coordinates, the main one first, then the others by x, then y.
std::vector<MonitorInfo> InView(std::vector<MonitorInfo> monitors) {
    int left = 0, top = 0;
    if (!monitors.empty()) left = monitors[0].area.left, top = monitors[0].area.top;
    for (const auto& m : monitors) left = std::min(left, m.area.left), top = std::min(top, m.area.top);
    for (auto& m : monitors) m.area = Moved(m.area, left, top), m.work = Moved(m.work, left, top);
    std::stable_sort(monitors.begin(), monitors.end(), [](const MonitorInfo& a, const MonitorInfo& b) {
        if (a.primary != b.primary) return a.primary;
        return std::pair(a.area.left, a.area.top) < std::pair(b.area.left, b.area.top);
    });
    return monitors;
}

long long DistanceTo(const PixelRect& r, int x, int y) {
    const long long dx = x < r.left ? r.left - x : x >= r.right ? x - r.right + 1 : 0;
    const long long dy = y < r.top ? r.top - y : y >= r.bottom ? y - r.bottom + 1 : 0;
    return dx * dx + dy * dy;
}

// The index of the rectangle that holds the point, else of the nearest one.
template <typename RectOf>
size_t Nearest(size_t n, RectOf rectOf, int x, int y) {
    size_t best = 0;
    for (size_t i = 1; i < n; ++i)
        if (DistanceTo(rectOf(i), x, y) < DistanceTo(rectOf(best), x, y)) best = i;
    return best;
}

PixelRect Union(const std::vector<MonitorInfo>& monitors) {
    PixelRect u = monitors.front().work;
    for (const auto& m : monitors)
        u = {std::min(u.left, m.work.left), std::min(u.top, m.work.top), std::max(u.right, m.work.right),
             std::max(u.bottom, m.work.bottom)};
    return u;
}

// The point at the same fraction of `to` as (x, y) is of `from`.
std::pair<int, int> Scaled(int x, int y, const PixelRect& from, const PixelRect& to) {
    auto along = [](int v, int fromStart, int fromSize, int toStart, int toSize) {
        if (fromSize <= 0) return toStart;
        return toStart + static_cast<int>(std::lround(static_cast<double>(v - fromStart) * toSize / fromSize));
    };
    return {along(x, from.left, from.Width(), to.left, to.Width()), along(y, from.top, from.Height(), to.top, to.Height())};
}

// Inside the work area, with room for the icon's cell.
std::pair<int, int> Inside(int x, int y, const MonitorInfo& m) {
    const int cell = kCell * m.dpi / 96;
    const int right = std::max(m.work.left, m.work.right - std::min(cell, m.work.Width() / 2));
    const int bottom = std::max(m.work.top, m.work.bottom - std::min(cell, m.work.Height() / 2));
    return {std::clamp(x, m.work.left, right), std::clamp(y, m.work.top, bottom)};
}

} // namespace

std::string ScreenSizeText(const ScreenInfo& screen) {
    return StrNumber(screen.width) + " *" + StrNumber(screen.height) + "  " + StrNumber(screen.bitsPerPixel) +
           " bit";
}

std::optional<std::pair<int, int>> ScreenSizeOf(const std::string& text) {
    std::vector<int> numbers;
    for (size_t i = 0; i < text.size() && numbers.size() < 2;) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        long value = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && value < 100000; ++i) value = value * 10 + (text[i] - '0');
        numbers.push_back(static_cast<int>(value));
    }
    if (numbers.size() < 2 || numbers[0] == 0 || numbers[1] == 0) return std::nullopt;
    return std::pair(numbers[0], numbers[1]);
}

std::string DisplayConfigurationName(std::vector<MonitorInfo> monitors) {
    std::sort(monitors.begin(), monitors.end(), [](const MonitorInfo& a, const MonitorInfo& b) {
        return std::pair(a.area.left, a.area.top) < std::pair(b.area.left, b.area.top);
    });
    std::string name;
    for (const auto& m : monitors)
        name += (name.empty() ? "" : "+") + std::to_string(m.area.Width()) + "x" + std::to_string(m.area.Height()) + "@" +
                std::to_string(m.dpi) + "_" + std::to_string(m.area.left) + "_" + std::to_string(m.area.top);
    return name;
}

std::vector<IconRecord> MapLayout(const std::vector<IconRecord>& icons, const std::vector<MonitorInfo>& fromScreen,
                                  const std::vector<MonitorInfo>& toScreen) {
    if (fromScreen.empty() || toScreen.empty()) return icons;
    const auto from = InView(fromScreen), to = InView(toScreen);
    const bool asOne = to.size() < from.size();
    std::vector<IconRecord> mapped;
    mapped.reserve(icons.size());
    for (IconRecord icon : icons) {
        int x = icon.X, y = icon.Y;
        if (asOne) {
            std::tie(x, y) = Scaled(x, y, Union(from), Union(to));
        } else {
            const size_t i = Nearest(from.size(), [&](size_t k) { return from[k].area; }, x, y);
            std::tie(x, y) = Inside(x, y, from[i]); // off its own monitor: onto its edge first
            std::tie(x, y) = Scaled(x, y, from[i].work, to[i].work);
        }
        const size_t into = Nearest(to.size(), [&](size_t k) { return to[k].work; }, x, y);
        std::tie(x, y) = Inside(x, y, to[into]);
        icon.X = x, icon.Y = y;
        mapped.push_back(std::move(icon));
    }
    return mapped;
}

std::vector<IconRecord> FitToScreen(Platform& os, const std::vector<IconRecord>& icons, const std::string& recorded) {
    const auto size = ScreenSizeOf(recorded);
    const ScreenInfo now = os.Screen();
    if (!size || (size->first == now.width && size->second == now.height)) return icons;
    const PixelRect then{0, 0, size->first, size->second};
    return MapLayout(icons, {{then, then, 96, true}}, os.Monitors());
}

} // namespace stowly
