#include <doctest/doctest.h>

#include <functional>

#include "about/UpdateCheck.h"
#include "closet/KeyFile.h"
#include "icons/PositionList.h"
#include "platform/FileText.h"
#include "platform/Text.h"
#include "settings/Settings.h"
#include "support/SimMachine.h"
#include "support/Utf16File.h"

using namespace stowly;

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

std::string Utf8(std::u16string_view text) {
    std::string utf8;
    for (char16_t c : text) AppendUtf8(utf8, c);
    return utf8;
}

} // namespace

TEST_CASE("every reader takes its file in the code page, in UTF-8 with its mark, and in UTF-16 either way") {
    using Read = std::function<std::string(test::SimMachine&, const std::string& bytes)>;
    const struct { const char* what; std::u16string text; Read read; std::string got; } readers[] = {
        {"key file", u"C:\\APP\\\r\nC:\\M\u00FCde.bmp\r\n2\r\n1024x768\r\n\r\n\"Caf\u00E9\",-12,300\r\n",
         [](auto& m, auto& bytes) {
             m.Put("C:\\k.qvr", bytes);
             const KeyFileContent k = ReadKeyFile(m.os, "C:\\k.qvr");
             return k.header.wallpaper + "|" + k.header.screenSize + "|" + k.icons.at(0).Name + "|" +
                    std::to_string(k.icons[0].X) + "|" + ReadKeyFileHeader(m.os, "C:\\k.qvr").screenSize;
         },
         "C:\\M\xC3\xBC" "de.bmp|1024x768|Caf\xC3\xA9|-12|1024x768"},
        {"position file", u"\r\n\r\n\r\nS\r\n\r\nCaf\u00E9,1,2\r\n",
         [](auto& m, auto& bytes) {
             m.Put("C:\\p.dpf", bytes);
             const auto icons = ReadPositionFile(m.os, "C:\\p.dpf");
             return icons.at(0).Name + "|" + std::to_string(icons[0].X) + "|" + std::to_string(icons.size());
         },
         "Caf\xC3\xA9|1|1"},
        {"settings file", u"[PREFS]\r\nMinSystemTray=1\r\nFavoritePath0=C:\\M\u00FCde\\\r\n",
         [](auto& m, auto& bytes) {
             m.Put("C:\\P\\stowly.ini", bytes);
             const Settings s = ReadINI(m.os, m.ui, "C:\\P\\");
             return s.FavoritePath[0] + "|" + std::to_string(s.MinSystemTray) + "|" + std::to_string(m.ui.shown.size());
         },
         "C:\\M\xC3\xBC" "de\\|1.000000|0"},
        {"version page", u"All\r\nStowly,4.0.0,\u00C9t\u00E9\r\n",
         [](auto& m, auto& bytes) {
             DisplayProductUpdateMessage(m.os, m.ui, bytes);
             return m.ui.MessageTexts().at(1);
         },
         "\xC3\x89t\xC3\xA9"},
    };
    for (const auto& r : readers) {
        for (int encoding = 0; encoding < 4; ++encoding) { // the code page, UTF-8, UTF-16 LE, UTF-16 BE
            INFO(r.what << " in encoding " << encoding);
            test::SimMachine m;
            const std::string bytes = encoding == 0   ? m.os.Utf8ToAnsi(Utf8(r.text)).value()
                                      : encoding == 1 ? kUtf8Bom + Utf8(r.text)
                                                      : test::Utf16File(r.text, encoding == 3);
            CHECK(r.read(m, bytes) == r.got);
        }
    }
}

TEST_CASE("file bytes turn into UTF-8 text by their byte-order mark; what does not decode is U+FFFD") {
    test::SimMachine m;
    const std::string clef = "\xF0\x9D\x84\x9E"; // U+1D11E, a surrogate pair in UTF-16
    const std::pair<std::string, std::string> rows[] = {
        {test::Utf16File(u"\xD834\xDD1E", false), clef},
        {test::Utf16File(std::u16string(u"a\0b", 3), false), std::string("a\0b", 3)}, // kept for the reader to refuse
        {test::Utf16File(u"\xD834x", true), kReplacement + "x"}, // lone high surrogate
        {test::Utf16File(u"\xDD1E", false), kReplacement},       // lone low surrogate
        {test::Utf16File(u"ab", false) + "c", "ab" + kReplacement},
        {kUtf16LeBom, ""},
        {std::string(kUtf8Bom) + "a\xC3(\xE2\x82", "a" + kReplacement + "(" + kReplacement + kReplacement},
    };
    for (const auto& [bytes, text] : rows) {
        CAPTURE(bytes);
        CHECK(DecodeFileText(m.os, bytes) == text);
    }
    // A page from the web: unmarked UTF-8 stays UTF-8, anything else as a file.
    CHECK(DecodePageText(m.os, "Caf\xC3\xA9") == "Caf\xC3\xA9");
    CHECK(DecodePageText(m.os, "Caf\xE9") == "Caf\xC3\xA9");
}

TEST_CASE("text that would read back as another encoding is written in UTF-8 with its mark") {
    test::SimMachine m;
    // In the code page these begin with the bytes of a byte-order mark.
    for (std::string text : {"\xC3\xBF\xC3\xBE[PREFS]", "\xC3\xBE\xC3\xBFx", "\xC3\xAF\xC2\xBB\xC2\xBFx"}) {
        CAPTURE(text);
        std::string bytes = EncodeFileText(m.os, text);
        CHECK(bytes == kUtf8Bom + text);
        CHECK(DecodeFileText(m.os, bytes) == text);
    }
    CHECK(EncodeFileText(m.os, "\xC3\xBF[PREFS]") == "\xFF[PREFS]");
}
