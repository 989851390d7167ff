#include "icons/DesktopIcons.h"

#include <unordered_map>

#include "core/Error.h"
#include "core/ReportError.h"
#include "platform/Text.h"

namespace stowly {

namespace {

std::string MatchKey(const std::string& name) { return UpperCase(Trim(name)); }

} // namespace

bool GetDesktopHwnd(Platform& os) { return os.DesktopViewFound(); }

long CountDesktopIcons(Platform& os, Ui& ui) {
    try {
        if (!GetDesktopHwnd(os)) return 0;
        auto count = os.DesktopItemCount();
        if (!count) return 0;
        if (*count > static_cast<long>(kMaxIcons)) throw RuntimeError(err::Overflow);
        return *count;
    } catch (const RuntimeError& e) {
        ReportError(ui, e.number(), "CountDesktopIcons");
        return 0;
    }
}

std::string IconListingText(const std::vector<IconRecord>& icons) {
    std::string text;
    for (size_t i = 0; i < icons.size(); ++i)
        text += " " + std::to_string(i) + "\t" + icons[i].Name + "\r\n\tXPos: " + std::to_string(icons[i].X) +
                ";    YPos: " + std::to_string(icons[i].Y) + "\r\n\r\n";
    return text;
}

std::optional<std::vector<IconRecord>> EnumDesktopIcons(Platform& os, Ui& ui) {
    try {
        if (!GetDesktopHwnd(os)) return std::nullopt;
        auto items = os.ReadDesktopItems();
        if (!items) return std::nullopt;
        if (items->size() > kMaxIcons) throw RuntimeError(err::Overflow);
        std::vector<IconRecord> icons;
        icons.reserve(items->size());
        for (const auto& item : *items) icons.push_back({Utf8Left(item.name, kIconNameLength), item.x, item.y});
        return icons;
    } catch (const RuntimeError& e) {
        ReportError(ui, e.number(), "EnumDesktopIcons");
        return std::nullopt;
    }
}

bool ApplyIconPositions(Platform& os, Ui& ui, const std::vector<IconRecord>& records) {
    const auto icons = EnumDesktopIcons(os, ui);
    if (!icons) return false;

    // The first record of each name, so that matching costs one look-up per item.
    std::unordered_map<std::string, const IconRecord*> firstByName;
    firstByName.reserve(records.size());
    for (const auto& record : records) firstByName.try_emplace(MatchKey(record.Name), &record);

    for (size_t i = 0; i < icons->size(); ++i) {
        auto found = firstByName.find(MatchKey((*icons)[i].Name));
        if (found == firstByName.end()) continue;
        os.SetDesktopItemPosition(static_cast<int>(i), static_cast<int16_t>(found->second->X),
                                  static_cast<int16_t>(found->second->Y));
    }
    return true;
}

bool RestoreLocations(Platform& os, Ui& ui, const std::string& path) {
    try {
        return ApplyIconPositions(os, ui, ReadPositionFile(os, path));
    } catch (const RuntimeError& e) {
        ReportError(ui, e.number(), "RestoreLocations");
        return false;
    }
}

} // namespace stowly
