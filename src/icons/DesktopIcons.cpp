#include "icons/DesktopIcons.h"

#include <unordered_map>

#include "app/ReportError.h"
#include "icons/PositionList.h"
#include "platform/Errors.h"
#include "platform/Text.h"

namespace stowly {

namespace {

constexpr long kMaxIcons = 32767; // the icon count is signed 16-bit

std::string MatchKey(const std::string& name) { return UpperCase(Trim(name)); }

} // namespace

bool GetDesktopHwnd(Context& ctx) { return ctx.os.DesktopViewFound(); }

int16_t CountDesktopIcons(Context& ctx) {
    try {
        if (!GetDesktopHwnd(ctx)) return 0;
        auto count = ctx.os.DesktopItemCount();
        if (!count) return 0;
        if (*count > kMaxIcons) throw RuntimeError(err::Overflow);
        return static_cast<int16_t>(*count);
    } catch (const RuntimeError& e) {
        ReportError(ctx.ui, e.number(), "CountDesktopIcons");
        return 0;
    }
}

std::string IconListingText(int index, const IconRecord& icon) {
    return " " + std::to_string(index) + "\t" + icon.Name + "\r\n\tXPos: " + std::to_string(icon.X) +
           ";    YPos: " + std::to_string(icon.Y) + "\r\n\r\n";
}

void EnumDesktopIcons(Context& ctx, std::string* listing) {
    try {
        if (!GetDesktopHwnd(ctx)) return;
        auto items = ctx.os.ReadDesktopItems();
        if (!items) return;
        if (items->size() > static_cast<size_t>(kMaxIcons)) throw RuntimeError(err::Overflow);

        auto& table = ctx.st.DesktopIcons;
        table.clear();
        if (items->empty()) return;
        table.reserve(items->size());
        if (listing) listing->clear();
        for (size_t i = 0; i < items->size(); ++i) {
            const auto& item = (*items)[i];
            table.push_back({Utf8Left(item.name, kIconNameLength), item.x, item.y});
            if (listing) *listing += IconListingText(static_cast<int>(i), table.back());
        }
    } catch (const RuntimeError& e) {
        ReportError(ctx.ui, e.number(), "EnumDesktopIcons");
    }
}

void RestoreLocations(Context& ctx, const std::string& path) {
    try {
        const auto records = ReadPositionFile(ctx.os, path);
        EnumDesktopIcons(ctx, nullptr);
        if (!GetDesktopHwnd(ctx)) return;

        // The first record of each name, so that matching costs one look-up per item.
        std::unordered_map<std::string, const IconRecord*> firstByName;
        firstByName.reserve(records.size());
        for (const auto& record : records) firstByName.try_emplace(MatchKey(record.Name), &record);

        const auto& table = ctx.st.DesktopIcons;
        for (size_t i = 0; i < table.size(); ++i) {
            auto found = firstByName.find(MatchKey(table[i].Name));
            if (found == firstByName.end()) continue;
            ctx.os.SetDesktopItemPosition(static_cast<int>(i), static_cast<int16_t>(found->second->X),
                                          static_cast<int16_t>(found->second->Y));
        }
    } catch (const RuntimeError& e) {
        ReportError(ctx.ui, e.number(), "RestoreLocations");
    }
}

} // namespace stowly
