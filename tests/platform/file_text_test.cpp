// Text: the delimited reader, every reader in every encoding, and file bytes to text and back.
#include <doctest/doctest.h>

#include <functional>

#include "about/UpdateCheck.h"
#include "closet/KeyFile.h"
#include "core/DelimitedReader.h"
#include "icons/PositionList.h"
#include "platform/FileText.h"
#include "platform/Text.h"
#include "settings/Settings.h"
#include "support/SimMachine.h"
#include "support/Utf16File.h"

using namespace stowly;
using namespace std::string_literals;
using stowly::test::ErrorOf;

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

std::string Utf8(std::u16string_view text) {
    std::string utf8;
    for (char16_t c : text) AppendUtf8(utf8, c);
    return utf8;
}

} // namespace

TEST_CASE("every reader takes its file in the code page, in UTF-8 with its mark, and in UTF-16 either way") {
    // Each reader reads C:\\P\\stowly.ini, or its bytes.
    using Read = std::function<std::string(test::SimMachine&, const std::string& bytes)>;
    const struct { const char* what; std::u16string text; Read read; std::string got; } readers[] = {
        {"key file", u"C:\\APP\\\r\nC:\\M\u00FCde.bmp\r\n2\r\n1024x768\r\n\r\n\"Caf\u00E9\",-12,300\r\n",
         [](auto& m, auto&) {
             const KeyFileContent k = ReadKeyFile(m.os, "C:\\P\\stowly.ini");
             return k.header.wallpaper + "|" + k.header.screenSize + "|" + k.icons.at(0).Name + "|" +
                    std::to_string(k.icons[0].X) + "|" + ReadKeyFileHeader(m.os, "C:\\P\\stowly.ini").screenSize;
         },
         "C:\\M\xC3\xBC" "de.bmp|1024x768|Caf\xC3\xA9|-12|1024x768"},
        {"position file", u"\r\n\r\n\r\nS\r\n\r\nCaf\u00E9,1,2\r\n",
         [](auto& m, auto&) {
             const auto icons = ReadPositionFile(m.os, "C:\\P\\stowly.ini");
             return icons.at(0).Name + "|" + std::to_string(icons[0].X) + "|" + std::to_string(icons.size());
         },
         "Caf\xC3\xA9|1|1"},
        {"settings file", u"[PREFS]\r\nMinSystemTray=1\r\nFavoritePath0=C:\\M\u00FCde\\\r\n",
         [](auto& m, auto&) {
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
            m.Put("C:\\P\\stowly.ini", bytes);
            CHECK(r.read(m, bytes) == r.got);
        }
    }
}

TEST_CASE("file bytes turn into UTF-8 text by their byte-order mark, U+FFFD where they do not decode, and back") {
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
        CHECK(DecodeFileText(m.os, bytes) == text);
    }
    // A page from the web: unmarked UTF-8 stays UTF-8, anything else as a file.
    CHECK(DecodePageText(m.os, "Caf\xC3\xA9") == "Caf\xC3\xA9");
    CHECK(DecodePageText(m.os, "Caf\xE9") == "Caf\xC3\xA9");
    // Written: text that would read back as another encoding (in the code page, the bytes of a mark) gets UTF-8's mark.
    for (std::string text : {"\xC3\xBF\xC3\xBE[PREFS]", "\xC3\xBE\xC3\xBFx", "\xC3\xAF\xC2\xBB\xC2\xBFx"}) {
        CHECK((EncodeFileText(m.os, text) == kUtf8Bom + text && DecodeFileText(m.os, kUtf8Bom + text) == text));
    }
    CHECK(EncodeFileText(m.os, "\xC3\xBF[PREFS]") == "\xFF[PREFS]");
}

TEST_CASE("the delimited reader's fields; a field that no writer makes is a bad file format, not another value") {
    const int end = err::InputPastEnd, bad = err::BadFileFormat;
    const std::tuple<std::string, std::vector<std::string>, int> rows[] = { // the text, its good fields, then
        {"a,b\r\nc\r\n", {"a", "b", "c"}, end},
        {"   a  ,  b  \r\n", {"a", "b"}, end},          // blanks around a bare field go
        {"My Computer,1\r\n", {"My Computer", "1"}, end},
        {"  \" a,b \",1\r\n", {" a,b ", "1"}, end},     // quoted: commas and blanks stay
        {"\"a\"junk,1\r\n", {"a", "1"}, end},          // after the closing quote: skipped
        {"\"a\"\0x,b"s, {"a", "b"}, end},              // ... NUL or not
        {"\r\n\r\na,\r\nb", {"", "", "a", "", "b"}, end}, // empty lines and fields; no last line end
        {"a\nb\rc", {"a", "b", "c"}, end},
        {"a\"b,c\r\n", {"a\"b", "c"}, end},
        {"\"C:\\Closet\\,\r\nC:\\wall.bmp\r\n", {}, bad}, // a quote left open would swallow the comma and more
        {"a,\"b", {"a"}, bad},                          // ... also at the end of the text
        {"a,\"b\nc\"\n", {"a"}, bad},                   // a quote does not run across lines
        {"C:\\Clo\0set\r\n"s, {}, bad},               // a NUL would cut the path short
        {"a,\"b\0\",c"s, {"a"}, bad}, {"a,1\0"s, {"a"}, bad},
    };
    for (const auto& [text, fields, error] : rows) {
        CAPTURE(text);
        DelimitedReader reader(text);
        std::vector<std::string> got;
        for (size_t i = 0; i < fields.size(); ++i) got.push_back(reader.Next());
        CHECK((got == fields && reader.AtEnd() == (error == end)));
        CHECK(ErrorOf([&] { reader.Next(); }) == error);
    }
}

TEST_CASE("numbers: 16-bit range, empty is 0, anything else is a type mismatch") {
    const struct { std::string field; int value, error; } rows[] = {
        {"  -5  ", -5, 0}, {"\"9\"", 9, 0},   {"32767", 32767, 0}, {"-32768", -32768, 0}, {"", 0, 0},
        {"+3", 3, 0},      {"40000", 0, 6},   {"-32769", 0, 6},    {"99999999999999999999", 0, 6},
        {"12x", 0, 13},    {"1.5", 0, 13},    {"-", 0, 13},
    };
    for (const auto& r : rows) {
        CAPTURE(r.field);
        DelimitedReader reader(r.field + "\r\n");
        int16_t got = 0;
        CHECK(ErrorOf([&] { got = reader.NextInt16(); }) == r.error);
        CHECK(got == r.value);
    }
    DelimitedReader wide("-2147483648,2147483648\r\n");
    CHECK(wide.NextInt32() == INT32_MIN);
    CHECK(ErrorOf([&] { wide.NextInt32(); }) == err::Overflow);
}
