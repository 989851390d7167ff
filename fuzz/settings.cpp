// The settings file: any bytes read as settings without failing beyond a bad value,
// and a round trip. The input is a settings record (numbers and nine texts) followed
// by the bytes of an existing settings file; the record is written into that file
// and read back. Every text the writer accepts (no line break) that also keeps its
// form when read (no blanks or matching quotes around it, at most 254 characters,
// valid UTF-8 as every text from Windows is) reads back the same, and so does every
// number; a text with a line break is refused and leaves the file as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "core/Error.h"
#include "platform/FileText.h"
#include "platform/Text.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

using namespace stowly;
using fuzz::Require;

namespace {

// Blanks as the settings reader drops them around a value.
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a'; }

bool ReadsBackWhole(const std::string& v) {
    if (v.empty() || IsBlank(v.front()) || IsBlank(v.back())) return false;
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) return false;
    return Utf8Length(v) <= 254 && IsValidUtf8(v);
}

bool HasLineBreak(const std::string& v) { return v.find_first_of("\r\n") != std::string::npos; }

IniFile Load(const std::string& bytes) { return IniFile(DecodeFileText(fuzz::Os(), bytes)); }

void CheckRead(const Settings& s, int error) {
    Require(error == 0 || error == err::Overflow, "a bad value is an overflow, nothing else");
    Require(Utf8Length(s.DefaultWindowsBackground) <= 254, "texts cut to 254 characters");
    for (int i = 0; i < 4; ++i)
        Require(!s.FavoriteLocation[i].empty() && !s.FavoritePath[i].empty(), "a favourite is a value or Blank");
}

void CheckText(const std::string& written, const std::string& read, const char* missing) {
    if (written.empty()) Require(read == missing, "an empty text reads as missing");
    else if (ReadsBackWhole(written)) Require(read == written, "a text reads back as written");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Settings record;
    record.MinSystemTray = in.ConsumeIntegral<int32_t>();
    record.RunOnStartUP = in.ConsumeIntegral<int32_t>();
    record.AdvancedMode = in.ConsumeIntegral<int32_t>();
    record.WallPaperStyle = in.ConsumeIntegral<int16_t>();
    record.DefaultWindowsBackground = in.ConsumeRandomLengthString(300);
    for (int i = 0; i < 4; ++i) {
        record.FavoriteLocation[i] = in.ConsumeRandomLengthString(300);
        record.FavoritePath[i] = in.ConsumeRandomLengthString(300);
    }
    const std::string file = in.ConsumeRemainingBytesAsString();

    int error = 0;
    IniFile ini = Load(file);
    CheckRead(SettingsFromIni(ini, &error), error);
    Require(IniFile(ini.Text()).Text() == ini.Text(), "a document's text parses to the same text");

    bool refused = HasLineBreak(record.DefaultWindowsBackground);
    for (int i = 0; i < 4; ++i) refused |= HasLineBreak(record.FavoriteLocation[i]) || HasLineBreak(record.FavoritePath[i]);
    const std::string before = ini.Text();
    try {
        SettingsToIni(ini, record);
        Require(!refused, "a text with a line break is refused");
    } catch (const RuntimeError& e) {
        Require(refused && e.number() == err::InvalidArgument, "only a line break is refused");
        Require(ini.Text() == before, "a refused record leaves the file as it was");
        return 0;
    }

    Settings back = SettingsFromIni(Load(EncodeFileText(fuzz::Os(), ini.Text())), &error);
    Require(error == 0, "a written record reads back without error");
    Require(back.MinSystemTray == record.MinSystemTray && back.RunOnStartUP == record.RunOnStartUP &&
                back.AdvancedMode == record.AdvancedMode && back.WallPaperStyle == record.WallPaperStyle,
            "numbers read back as written");
    CheckText(record.DefaultWindowsBackground, back.DefaultWindowsBackground, "");
    for (int i = 0; i < 4; ++i) {
        CheckText(record.FavoriteLocation[i], back.FavoriteLocation[i], "Blank");
        CheckText(record.FavoritePath[i], back.FavoritePath[i], "Blank");
    }
    return 0;
}
