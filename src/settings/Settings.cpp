#include "settings/Settings.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

#include "core/Error.h"
#include "core/ReportError.h"

namespace stowly {

namespace {

constexpr const char* kIniName = "stowly.ini";
constexpr const char* kSection = "PREFS";
// The buffer the profile function fills: at most 254 characters of a value.
constexpr size_t kValueBuffer = 255;
constexpr const char* kFreeSlot = "Blank";

std::string IndexedKey(const char* stem, int index) { return stem + std::to_string(index); }

// The number a text begins with: blanks skipped, an optional sign, digits with an
// optional fraction; 0 when the text does not begin with a number.
double LeadingNumber(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    size_t start = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    size_t digits = i - start;
    if (i < s.size() && s[i] == '.') {
        size_t point = i++;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
        digits += i - point - 1;
        if (i - point == 1) i = point; // a point without digits after it is not part of the number
    }
    if (digits == 0) return 0;
    double value = 0;
    std::from_chars(s.data() + start, s.data() + i, value, std::chars_format::fixed);
    return negative ? -value : value;
}

// Rounded to the nearest whole number, halves to the even one, as a 16-bit integer.
int16_t ToInteger16(double value) {
    double rounded = std::nearbyint(value);
    if (!(rounded >= -32768 && rounded <= 32767)) throw RuntimeError(err::Overflow);
    return static_cast<int16_t>(rounded);
}

// A number as VB's Str writes it: a blank before zero and positive values, at most
// 15 significant digits, no leading zero before the point (" .5"), exponent form
// for very large and very small values (" 1E+15").
std::string NumberText(double value) {
    if (value == 0) return " 0";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    std::string text = buf;
    if (text.starts_with("0.")) text.erase(0, 1);
    else if (text.starts_with("-0.")) text.erase(1, 1);
    return value < 0 ? text : " " + text;
}

} // namespace

Settings SettingsFromIni(const IniFile& ini, int* firstError) {
    Settings s;
    *firstError = 0;
    auto text = [&](const std::string& key, const char* missing) {
        std::string value = ini.Get(kSection, key, kValueBuffer);
        return value.empty() ? std::string(missing) : value;
    };
    auto number = [&](const char* key) { return LeadingNumber(ini.Get(kSection, key, kValueBuffer)); };
    // Each key on its own: a bad value leaves its field as it is.
    auto read = [&](auto&& readKey) {
        try {
            readKey();
        } catch (const RuntimeError& e) {
            if (*firstError == 0) *firstError = e.number();
        }
    };

    read([&] { s.MinSystemTray = number("MinSystemTray"); });
    read([&] { s.RunOnStartUP = number("RunOnStartUP"); });
    read([&] { s.DefaultWindowsBackground = text("DefaultWindowsBackground", ""); });
    read([&] { s.WallPaperStyle = ToInteger16(number("WallPaperStyle")); });
    read([&] { s.AdvancedMode = number("AdvancedMode"); });
    for (int i = 0; i < 4; ++i) {
        read([&] { s.FavoriteLocation[i] = text(IndexedKey("FavoriteLocation", i), kFreeSlot); });
        read([&] { s.FavoritePath[i] = text(IndexedKey("FavoritePath", i), kFreeSlot); });
    }
    read([&] { s.KeepLayouts = number("KeepLayouts"); });
    return s;
}

void SettingsToIni(IniFile& ini, const Settings& s) {
    // Checked before anything is set, so that a refused value changes nothing.
    std::vector<std::string_view> texts{s.DefaultWindowsBackground};
    texts.insert(texts.end(), s.FavoriteLocation.begin(), s.FavoriteLocation.end());
    texts.insert(texts.end(), s.FavoritePath.begin(), s.FavoritePath.end());
    for (std::string_view text : texts)
        if (text.find_first_of("\r\n") != std::string_view::npos) throw RuntimeError(err::InvalidArgument);

    ini.Set(kSection, "MinSystemTray", NumberText(s.MinSystemTray));
    ini.Set(kSection, "RunOnStartUP", NumberText(s.RunOnStartUP));
    ini.Set(kSection, "DefaultWindowsBackground", s.DefaultWindowsBackground);
    ini.Set(kSection, "WallPaperStyle", NumberText(s.WallPaperStyle));
    ini.Set(kSection, "AdvancedMode", NumberText(s.AdvancedMode));
    for (int i = 0; i < 4; ++i) {
        ini.Set(kSection, IndexedKey("FavoriteLocation", i), s.FavoriteLocation[i]);
        ini.Set(kSection, IndexedKey("FavoritePath", i), s.FavoritePath[i]);
    }
    ini.Set(kSection, "KeepLayouts", NumberText(s.KeepLayouts));
}

Settings ReadINI(Platform& os, Ui& ui, const std::string& programFolder) {
    // A file that is missing or cannot be read gives every key its missing value.
    IniFile ini = LoadIniFile(os, programFolder + kIniName).value_or(IniFile{});
    int error = 0;
    Settings s = SettingsFromIni(ini, &error);
    if (error) ReportError(ui, error, "ReadINI");
    return s;
}

int WriteINI(Platform& os, const std::string& programFolder, const Settings& s) {
    const std::string path = programFolder + kIniName;
    // A file that exists but cannot be read is left alone rather than written over.
    auto ini = LoadIniFile(os, path);
    if (!ini) return err::PathFileAccess;
    try {
        SettingsToIni(*ini, s);
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return SaveIniFile(os, path, *ini);
}

} // namespace stowly
