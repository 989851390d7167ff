#pragma once
// A simulated machine with the quick closet set up as the main window sets it.
#include <filesystem>
#include <map>

#include "support/SimMachine.h"

namespace stowly::test {

using Tree = std::map<std::string, std::string>; // relative path -> content, "/" for a folder
using Texts = std::vector<std::string>;

// Both trees together; a path in both comes out marked, so that a tree of
// everything once compares equal only when nothing is lost and nothing doubled.
inline Tree Union(const Tree& a, const Tree& b) {
    Tree all = a;
    for (const auto& [path, content] : b)
        if (!all.emplace(path, content).second) all.emplace(path + " (twice)", content);
    return all;
}

struct ClosetMachine : SimMachine {
    static constexpr const char* kProgram = "C:\\PROGRAM FILES\\STOWLY\\";
    static constexpr const char* kDesk = "C:\\Users\\Sim\\Desktop\\";
    static constexpr const char* kPublic = "C:\\Users\\Public\\Desktop\\";
    static constexpr const char* kCloset = "C:\\PROGRAM FILES\\STOWLY\\QuickClean\\";
    static constexpr const char* kAllUsers = "C:\\PROGRAM FILES\\STOWLY\\AllUsers\\";
    static constexpr const char* kKeyFile = "C:\\PROGRAM FILES\\STOWLY\\QuickClean.qvr";

    ClosetMachine() { Reset(); }
    void Reset() {
        st = {};
        st.ProgramFolder = st.ClosetDirectory = kProgram;
        st.UserDesktopFolder = os.userDesktop;
        st.CommonDesktopFolder = os.commonDesktop;
        st.ClosetKeyFile = "QuickClean.qvr";
    }
    // A later start of the program from `folder`, on the desktops' volume or on the second one (D:).
    void Start(const std::string& folder = kProgram) {
        Reset();
        st.ProgramFolder = st.ClosetDirectory = folder;
        std::filesystem::create_directories(os.Root() / "D");
    }
    // Messages forgotten, and the next question answered `answer`.
    void Answering(Answer answer) {
        ui = {};
        ui.Push(answer);
    }
    // Whether `run` was stopped, as if killed, at the nth change of the disk.
    bool StoppedAt(int n, void (*run)(Context&)) {
        os.faults.stopAtChange = n;
        bool stopped = false;
        try {
            run(ctx);
        } catch (const SimPlatform::Stopped&) {
            stopped = true;
        }
        os.faults.stopAtChange = 0;
        return stopped;
    }
    void Folder(const std::string& path) { std::filesystem::create_directories(os.HostPath(path)); }
    // Everything under a folder, hidden entries included.
    Tree Contents(const std::string& folder) {
        Tree tree;
        std::error_code ec; // a missing folder has no contents
        for (const auto& e : std::filesystem::recursive_directory_iterator(os.HostPath(folder), ec))
            tree[std::filesystem::relative(e.path(), os.HostPath(folder)).generic_string()] =
                e.is_directory() ? "/" : ReadHostFile(e.path());
        return tree;
    }
    bool Done(const std::string& message) const { return ui.progressMessage == message && ui.progressDone; }
};

} // namespace stowly::test
