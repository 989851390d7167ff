#pragma once
// The file semantics every Platform backend must share, checked against one
// backend at a time: `root` is an existing, empty Windows folder (no trailing
// backslash) and `hide(path)` makes an existing entry hidden the backend's way and
// returns its path afterwards.
#include <doctest/doctest.h>

#include <algorithm>
#include <functional>

#include "platform/Platform.h"

namespace stowly::test {

inline std::vector<std::string> Names(const std::vector<DirEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name + (e.isFolder ? "\\" : ""));
    std::sort(names.begin(), names.end());
    return names;
}

inline void CheckFileContract(Platform& os, const std::string& root,
                              const std::function<std::string(const std::string&)>& hide) {
    const std::string r = root + "\\";
    REQUIRE(os.WriteFile(r + "a.txt", "alpha") == 0);
    REQUIRE(os.WriteFile(r + "b.dpf", "beta") == 0);
    REQUIRE(os.CreateFolder(r + "Sub"));
    REQUIRE(os.WriteFile(r + "Sub\\inner.txt", "inner") == 0);
    REQUIRE(os.WriteFile(r + "secret.txt", "hidden") == 0);
    const std::string secret = hide(r + "secret.txt");

    SUBCASE("listing a folder leaves out hidden entries; folders only when asked for") {
        CHECK(Names(os.List(r, false)) == std::vector<std::string>{"a.txt", "b.dpf"});
        CHECK(Names(os.List(r, true)) == std::vector<std::string>{"Sub\\", "a.txt", "b.dpf"});
    }
    SUBCASE("listing everything includes hidden entries and says which they are") {
        const auto all = os.ListAll(root);
        std::vector<std::string> expected{"Sub\\", "a.txt", "b.dpf", secret.substr(r.size())};
        std::sort(expected.begin(), expected.end());
        CHECK((Names(all) == expected && os.ListAll(r + "missing").empty()));
        for (const auto& e : all) CHECK(e.hidden == (r + e.name == secret));
    }
    SUBCASE("patterns and single entries") {
        using Listed = std::vector<std::string>;
        CHECK((Names(os.List(r + "*.DPF", false)) == Listed{"b.dpf"} && Names(os.List(r + "A.TXT", false)) == Listed{"a.txt"}));
        CHECK((os.List(r + "Sub", false).empty() && Names(os.List(r + "Sub", true)) == Listed{"Sub\\"}));
        CHECK((os.List(secret, false).empty() && os.List(r + "missing\\", true).empty()));
        CHECK((os.Attributes(secret).hidden && os.Attributes(r + "Sub").isFolder && !os.Attributes(r + "nothing").exists));
    }
    SUBCASE("whole-file writes replace; reads tell missing file from missing folder") {
        REQUIRE(os.WriteFile(r + "a.txt", "second") == 0);
        CHECK(os.ReadFile(r + "a.txt", nullptr) == std::optional<std::string>("second"));
        int error = 0;
        CHECK((!os.ReadFile(r + "none.txt", &error) && error == 53));
        CHECK((!os.ReadFile(r + "nowhere\\none.txt", &error) && error == 76));
        CHECK(os.WriteFile(r + "nowhere\\x.txt", "x") != 0);
        CHECK(Names(os.List(r, false)) == std::vector<std::string>{"a.txt", "b.dpf"}); // no temporary left
    }
    SUBCASE("copy, delete and folders are safe to repeat") {
        CHECK((os.CopyOneFile(r + "a.txt", r + "b.dpf") == 0 && os.ReadFile(r + "b.dpf", nullptr) == std::optional<std::string>("alpha")));
        CHECK((os.RemoveFile(r + "b.dpf") == 0 && os.RemoveFile(r + "b.dpf") == 0));
        CHECK((!os.CreateFolder(r + "Sub") && !os.CreateFolder(r + "x\\y") && os.CopyOneFile(r + "none", r + "c.txt") != 0));
    }
    SUBCASE("names outside the ANSI code page are files like any other") {
        const std::string name = "\xE6\x97\xA5\xE6\x9C\xAC \xCE\xB1\xCE\xB2.txt"; // Japanese and Greek
        REQUIRE(os.WriteFile(r + name, "x") == 0);
        CHECK((os.ReadFile(r + name, nullptr) == std::optional<std::string>("x") && std::ranges::count(Names(os.List(r, false)), name) == 1));
        CHECK((!os.Utf8ToAnsi(name) && os.Utf8ToAnsi("caf\xC3\xA9") == std::optional<std::string>("caf\xE9")));
        CHECK((os.AnsiToUtf8("caf\xE9") == "caf\xC3\xA9" && !os.Utf8ToAnsi("caf\xC3" "A"))); // broken UTF-8 is no character at all
    }
}

} // namespace stowly::test
