#include <doctest/doctest.h>

#include "platform/FileText.h"
#include "platform/sim/SimPlatform.h"
#include "support/TestDir.h"
#include "support/Utf16File.h"

using namespace stowly;

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

} // namespace

TEST_CASE("file bytes turn into UTF-8 text by their byte-order mark, the code page without one") {
    test::TestDir dir;
    SimPlatform os(dir.path());
    const std::string cafe = "Caf\xC3\xA9\r\n", clef = "\xF0\x9D\x84\x9E"; // U+1D11E, a surrogate pair in UTF-16
    struct Case {
        const char* what;
        std::string bytes, text;
    };
    const Case cases[] = {
        {"code page", "Caf\xE9\r\n", cafe},
        {"UTF-8 mark", std::string(kUtf8Bom) + cafe, cafe},
        {"UTF-16 LE", test::Utf16File(u"Caf\u00E9\r\n", false), cafe},
        {"UTF-16 BE", test::Utf16File(u"Caf\u00E9\r\n", true), cafe},
        {"UTF-16 pair", test::Utf16File(u"\xD834\xDD1E", false), clef},
        {"UTF-16 NUL kept for the reader to refuse", test::Utf16File(std::u16string(u"a\0b", 3), false), std::string("a\0b", 3)},
        {"UTF-16 lone high surrogate", test::Utf16File(u"\xD834x", true), kReplacement + "x"},
        {"UTF-16 lone low surrogate", test::Utf16File(u"\xDD1E", false), kReplacement},
        {"UTF-16 odd last byte", test::Utf16File(u"ab", false) + "c", "ab" + kReplacement},
        {"UTF-16 mark alone", kUtf16LeBom, ""},
        {"UTF-8 mark, broken bytes", std::string(kUtf8Bom) + "a\xC3(\xE2\x82", "a" + kReplacement + "(" + kReplacement + kReplacement},
    };
    for (const auto& c : cases) {
        CAPTURE(c.what);
        CHECK(DecodeFileText(os, c.bytes) == c.text);
    }
    // A page from the web: unmarked UTF-8 stays UTF-8, anything else as a file.
    CHECK(DecodePageText(os, cafe) == cafe);
    CHECK(DecodePageText(os, "Caf\xE9\r\n") == cafe);
    CHECK(DecodePageText(os, test::Utf16File(u"Caf\u00E9\r\n", true)) == cafe);
}

TEST_CASE("text that would read back as another encoding is written in UTF-8 with its mark") {
    test::TestDir dir;
    SimPlatform os(dir.path());
    // In the code page these begin with the bytes of a byte-order mark.
    for (std::string text : {"\xC3\xBF\xC3\xBE[PREFS]", "\xC3\xBE\xC3\xBFx", "\xC3\xAF\xC2\xBB\xC2\xBFx"}) {
        CAPTURE(text);
        std::string bytes = EncodeFileText(os, text);
        CHECK(bytes == kUtf8Bom + text);
        CHECK(DecodeFileText(os, bytes) == text);
    }
    CHECK(EncodeFileText(os, "\xC3\xBF[PREFS]") == "\xFF[PREFS]");
}
