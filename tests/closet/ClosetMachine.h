#pragma once
// A simulated machine with the quick closet set up as the main window sets it.
#include <doctest/doctest.h>

#include <filesystem>
#include <map>
#include <string>

#include "app/AppState.h"
#include "platform/sim/ScriptedUi.h"
#include "platform/sim/SimPlatform.h"
#include "support/TestDir.h"

namespace stowly::test {

// Also keeps the texts the progress window opened with.
struct ProgressUi : ScriptedUi {
    std::vector<std::string> opened; // message "|" status, at each ShowProgress
    void ShowProgress(const WaitState& state) override {
        opened.push_back(state.message + "|" + state.status);
        ScriptedUi::ShowProgress(state);
    }
};

struct ClosetMachine {
    TestDir dir;
    SimPlatform os{dir.path()};
    ProgressUi ui;
    AppState st;
    Context ctx{os, ui, st};

    static constexpr const char* kProgram = "C:\\PROGRAM FILES\\STOWLY\\";
    static constexpr const char* kDesk = "C:\\Users\\Sim\\Desktop\\";
    static constexpr const char* kPublic = "C:\\Users\\Public\\Desktop\\";
    static constexpr const char* kCloset = "C:\\PROGRAM FILES\\STOWLY\\QuickClean\\";
    static constexpr const char* kAllUsers = "C:\\PROGRAM FILES\\STOWLY\\AllUsers\\";
    static constexpr const char* kKeyFile = "C:\\PROGRAM FILES\\STOWLY\\QuickClean.qvr";

    ClosetMachine() {
        st.ProgramFolder = kProgram;
        st.UserDesktopFolder = os.userDesktop;
        st.CommonDesktopFolder = os.commonDesktop;
        st.ScreenSizeText = "1024x768x32";
        st.ClosetDirectory = kProgram;
        st.ClosetKeyFile = "QuickClean.qvr";
    }

    void Put(const std::string& path, const std::string& bytes) { WriteHostFile(os.HostPath(path), bytes); }
    void Folder(const std::string& path) { std::filesystem::create_directories(os.HostPath(path)); }
    std::string Get(const std::string& path) { return ReadHostFile(os.HostPath(path)); }
    bool Exists(const std::string& path) { return std::filesystem::exists(os.HostPath(path)); }

    // Everything under a folder, hidden entries included: relative path -> content
    // ("/" for a folder).
    std::map<std::string, std::string> Tree(const std::string& folder) {
        std::map<std::string, std::string> tree;
        auto root = os.HostPath(folder);
        if (!std::filesystem::exists(root)) return tree;
        for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
            std::string rel = std::filesystem::relative(e.path(), root).generic_string();
            tree[rel] = e.is_directory() ? "/" : ReadHostFile(e.path());
        }
        return tree;
    }
};

} // namespace stowly::test
