// The real stowly.exe under Wine, on the stand-in desktop with n items: its quick
// clean and quick restore, and RestoreLocations alone, each timed against a floor
// of bare system calls doing the same work in the same run. Every icon is checked
// to be back where it was, so a fast wrong run fails. Run it with
//   tools/bench.sh [items ...]          (1000 2000 5000 when none are given)
// Each figure is the least of STOWLY_BENCH_ROUNDS runs (2 unless set).
#include <doctest/doctest.h>
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <sstream>

#include "wine/WineHarness.h"
#include "icons/DesktopIcons.h"
#include "icons/PositionList.h"
#include "platform/sim/ScriptedUi.h"
#include "platform/win32/Win32Platform.h"

using namespace stowly;
using namespace stowly::wine;
using namespace guidriver;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

constexpr unsigned kLongWaitMs = 600000;
constexpr UINT kPauseSync = WM_APP + 2; // the stand-in's: wParam 1 pauses its look at the folders, 0 resumes
const fs::path kProgramFolder = L"C:\\Program Files\\Stowly (bench)";
const fs::path kBareCloset = L"C:\\stowly-bench-closet";

int Rounds() {
    const char* rounds = std::getenv("STOWLY_BENCH_ROUNDS");
    return rounds && std::atoi(rounds) > 0 ? std::atoi(rounds) : 2;
}

std::vector<int> Sizes() {
    std::vector<int> sizes;
    std::istringstream in(std::getenv("STOWLY_BENCH_SIZES") ? std::getenv("STOWLY_BENCH_SIZES") : "");
    for (int n; in >> n;) sizes.push_back(n);
    if (sizes.empty()) sizes = {1000, 2000, 5000};
    return sizes;
}

// The stand-in's list view, read and moved with nothing but the messages themselves.
class BareView {
public:
    BareView() {
        HWND view = FindWindowExW(FindWindowW(L"Progman", nullptr), nullptr, L"SHELLDLL_DefView", nullptr);
        list_ = FindWindowExW(view, nullptr, L"SysListView32", nullptr);
        process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, ProcessOf(list_)));
        if (process_) block_ = VirtualAllocEx(process_.get(), nullptr, sizeof(Block), MEM_COMMIT, PAGE_READWRITE);
    }
    ~BareView() {
        if (block_) VirtualFreeEx(process_.get(), block_, 0, MEM_RELEASE);
    }
    BareView(const BareView&) = delete;
    BareView& operator=(const BareView&) = delete;
    bool Usable() const { return block_ != nullptr; }

    long Count() const { return static_cast<long>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }
    // Every item's name and place, in the view's order.
    std::vector<std::pair<std::wstring, POINT>> Read() const {
        auto* remote = static_cast<Block*>(block_);
        Block local{};
        local.item.pszText = remote->text;
        local.item.cchTextMax = ARRAYSIZE(local.text);
        WriteProcessMemory(process_.get(), block_, &local, sizeof local, nullptr);
        std::vector<std::pair<std::wstring, POINT>> items(static_cast<size_t>(Count()));
        for (size_t i = 0; i < items.size(); ++i) {
            SendMessageW(list_, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&remote->item));
            SendMessageW(list_, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(&remote->point));
            ReadProcessMemory(process_.get(), block_, &local, sizeof local, nullptr);
            items[i] = {local.text, local.point};
        }
        return items;
    }
    void Place(size_t index, POINT p) const {
        SendMessageW(list_, LVM_SETITEMPOSITION, index, MAKELPARAM(p.x, p.y));
    }

private:
    struct Block {
        LVITEMW item;
        wchar_t text[80];
        POINT point;
    };
    HWND list_ = nullptr;
    KernelHandle process_;
    void* block_ = nullptr;
};

using Targets = std::map<std::wstring, POINT>;

// Icons whose place differs from their target (the Recycle Bin has none).
size_t Misplaced(const BareView& view, const Targets& targets) {
    size_t wrong = 0;
    for (const auto& [name, p] : view.Read()) {
        auto target = targets.find(name);
        if (target != targets.end() && (target->second.x != p.x || target->second.y != p.y)) ++wrong;
    }
    return wrong;
}

bool Shows(const BareView& view, long count) {
    return WaitFor([&] { return view.Count() == count; }, kLongWaitMs);
}

// Moves every entry of the folders in `from` into the same-numbered folder of `to`
// with bare renames; false when one failed.
bool MoveAll(const std::vector<fs::path>& from, const std::vector<fs::path>& to) {
    bool ok = true;
    for (size_t f = 0; f < from.size(); ++f) {
        std::vector<std::wstring> names;
        for (const auto& e : fs::directory_iterator(from[f])) names.push_back(e.path().filename().wstring());
        for (const auto& name : names)
            ok &= MoveFileExW((from[f] / name).c_str(), (to[f] / name).c_str(), 0) != FALSE;
    }
    return ok;
}

size_t Entries(const fs::path& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Processor time (user and system, in seconds) of the Linux processes named `name`,
// read from Linux's own accounting through drive Z:, which Wine keeps for every
// process, where GetProcessTimes of another process may not be kept up to date.
double LinuxCpuSeconds(const std::string& name, int* processes = nullptr) {
    double seconds = 0;
    if (processes) *processes = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(L"Z:\\proc", ec)) {
        std::string comm, stat;
        std::getline(std::ifstream(entry.path() / L"comm"), comm);
        if (comm != name || !std::getline(std::ifstream(entry.path() / L"stat"), stat)) continue;
        if (processes) ++*processes;
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string field;
        double ticks = 0;
        for (int i = 3; fields >> field && i <= 15; ++i)
            if (i >= 14) ticks += std::stod(field); // utime, stime
        seconds += ticks / 100; // USER_HZ
    }
    return seconds;
}

// The program's window, its buttons, and the progress window's last word.
struct RunningStowly {
    InstalledCopy copy{kProgramFolder};
    Program program;
    HWND main = nullptr;

    bool Start() {
        return program.Start(copy.exe) && (main = WaitMainWindow(program, true)) != nullptr;
    }
    // Presses `button`, waits for the progress window to say `final`; the seconds between.
    double Run(const wchar_t* button, const wchar_t* final) {
        const auto start = Clock::now();
        REQUIRE(Click(FindChild(main, button)));
        HWND done = nullptr;
        REQUIRE(WaitFor([&] { return (done = FindWindowWithChild(program.pid(), final)) != nullptr; }, kLongWaitMs));
        const double seconds = SecondsSince(start);
        CHECK(MessageBoxes(program.pid()).empty());
        REQUIRE(WaitFor([&] { return IsWindowEnabled(FindChild(done, L"OK")) != FALSE; }));
        REQUIRE(Click(FindChild(done, L"OK")));
        REQUIRE(WaitFor([&] { return !IsWindow(done); }));
        return seconds;
    }
    double Clean() { return Run(L"Clean Desktop", L"Your Desktop has been cleaned."); }
    double Restore() { return Run(L"Restore Desktop", L"Your Icons have been restored."); }
};

struct Row {
    int items;
    double cleanFloor, clean, restoreFloor, restore, showing, placeFloor, placing;
    // Each figure the least of two runs: what the machine did besides is noise.
    Row& KeepLeast(const Row& other) {
        for (auto field : {&Row::cleanFloor, &Row::clean, &Row::restoreFloor, &Row::restore, &Row::showing,
                           &Row::placeFloor, &Row::placing})
            this->*field = std::min(this->*field, other.*field);
        return *this;
    }
};

Row Cycle(int n) {
    Row row{n, 0, 0, 0, 0, 0, 0, 0};
    EmptyDesktops desktops;
    const std::vector<fs::path> desk{desktops.user(), desktops.common()},
        closet{kBareCloset / L"user", kBareCloset / L"common"};
    fs::remove_all(kBareCloset);
    for (const auto& folder : closet) fs::create_directories(folder);
    // Text files, one in ten on the common desktop.
    for (int i = 0; i < n; ++i) {
        wchar_t name[32];
        swprintf(name, ARRAYSIZE(name), L"Item %05d.txt", i);
        std::ofstream(desk[i % 10 == 9 ? 1 : 0] / name, std::ios::binary) << "item " << i << "\r\n";
    }
    StandinDesktop standin;
    REQUIRE(standin.Start(kLongWaitMs));
    BareView view;
    REQUIRE(view.Usable());
    REQUIRE(Shows(view, n + 1));

    // Every icon somewhere no new icon is put: a grid unlike the stand-in's, shuffled.
    Targets targets;
    {
        auto items = view.Read();
        std::vector<POINT> places;
        for (int i = 0; i < n; ++i) places.push_back({40 + 83 * (i % 300), 30 + 61 * (i / 300)});
        std::shuffle(places.begin(), places.end(), std::mt19937(static_cast<unsigned>(n)));
        size_t next = 0;
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].first != L"Recycle Bin") {
                targets[items[i].first] = places[next];
                view.Place(i, places[next++]);
            }
        REQUIRE(targets.size() == static_cast<size_t>(n));
        REQUIRE(Misplaced(view, targets) == 0);
    }

    // The floors: one read of the view and bare moves out; bare moves back, the
    // stand-in's time to show the icons, one read, one message per icon and one read
    // back (the program looks where the icons landed).
    auto start = Clock::now();
    REQUIRE(view.Read().size() == static_cast<size_t>(n + 1));
    REQUIRE(MoveAll(desk, closet));
    row.cleanFloor = SecondsSince(start);
    REQUIRE(Shows(view, 1));
    start = Clock::now();
    REQUIRE(MoveAll(closet, desk));
    const double movesBack = SecondsSince(start);
    REQUIRE(Shows(view, n + 1));
    row.showing = SecondsSince(start) - movesBack;
    start = Clock::now();
    auto items = view.Read();
    const auto placing = Clock::now();
    for (size_t i = 0; i < items.size(); ++i)
        if (auto target = targets.find(items[i].first); target != targets.end()) view.Place(i, target->second);
    REQUIRE(view.Read().size() == items.size());
    row.placeFloor = SecondsSince(placing);
    row.restoreFloor = movesBack + row.showing + SecondsSince(start);
    REQUIRE(Misplaced(view, targets) == 0);

    // The program, through its window.
    {
        RunningStowly stowly;
        REQUIRE(stowly.Start());
        row.clean = stowly.Clean();
        CHECK(fs::is_empty(desktops.user()));
        CHECK(fs::is_empty(desktops.common()));
        REQUIRE(Shows(view, 1));
        row.restore = stowly.Restore();
        CHECK(Entries(desktops.user()) + Entries(desktops.common()) == static_cast<size_t>(n));
        CHECK(view.Count() == n + 1);
        CHECK(Misplaced(view, targets) == 0);
        stowly.program.Stop(stowly.main);
    }

    // RestoreLocations alone, from a position file of the targets, with every icon moved off its place.
    {
        Win32Platform os;
        ScriptedUi ui;
        std::vector<IconRecord> records;
        for (const auto& [name, p] : targets) records.push_back({Narrow(name), p.x, p.y});
        const std::string file = Narrow((kBareCloset / L"bench.dpf").wstring());
        WritePositionFile(os, file, "1024 x 768 x 32", records);
        items = view.Read();
        for (size_t i = 0; i < items.size(); ++i) view.Place(i, {items[i].second.x + 7, items[i].second.y + 5});
        start = Clock::now();
        CHECK(RestoreLocations(os, ui, file) == 0); // every icon placed
        row.placing = SecondsSince(start);
        CHECK(ui.shown.empty());
        CHECK(Misplaced(view, targets) == 0);
    }
    fs::remove_all(kBareCloset);
    return row;
}

// A desktop of `n` files shown by the stand-in desktop.
struct ItemsShown {
    EmptyDesktops desktops;
    StandinDesktop standin;
    BareView view;
    explicit ItemsShown(int n) {
        for (int i = 0; i < n; ++i)
            std::ofstream(desktops.user() / (L"Item " + std::to_wstring(i) + L".txt"), std::ios::binary) << i;
        REQUIRE(standin.Start(kLongWaitMs));
        REQUIRE(Shows(view, n + 1));
    }
};

// The program's processor use while its restore waits for the desktop to show the
// icons (and Wine's server's, which answers its calls): the stand-in holds back for
// a few seconds after the files are back.
struct Shares {
    double program, server;
};
Shares WaitingCpuShare(int n) {
    ItemsShown shown(n);
    const auto& desktops = shown.desktops;
    BareView& view = shown.view;
    RunningStowly stowly;
    REQUIRE(stowly.Start());
    stowly.Clean();
    REQUIRE(Shows(view, 1));
    HWND progman = FindWindowW(L"Progman", nullptr);
    SendMessageW(progman, kPauseSync, 1, 0);
    REQUIRE(Click(FindChild(stowly.main, L"Restore Desktop")));
    REQUIRE(WaitFor([&] { return Entries(desktops.user()) == static_cast<size_t>(n); }, kLongWaitMs));
    Sleep(500); // the last move's own work done
    const double programBefore = LinuxCpuSeconds("stowly.exe"), serverBefore = LinuxCpuSeconds("wineserver64");
    const auto start = Clock::now();
    Sleep(5000);
    const double seconds = SecondsSince(start);
    const Shares shares{(LinuxCpuSeconds("stowly.exe") - programBefore) / seconds,
                        (LinuxCpuSeconds("wineserver64") - serverBefore) / seconds};
    SendMessageW(progman, kPauseSync, 0, 0);
    HWND done = nullptr;
    CHECK(WaitFor([&] { return (done = FindWindowWithChild(stowly.program.pid(), L"Your Icons have been restored.")); },
                  kLongWaitMs));
    CHECK(view.Count() == n + 1);
    CHECK(programBefore > 0); // a program that cleaned has used the processor: the reading works
    return shares;
}

// The program's processor use over a minute while `n` icons stay still: keeping a
// layout for each display (after its first save of the layout), or not (the floor).
double IdleShare(int n, bool keeping) {
    ItemsShown shown(n);
    InstalledCopy copy{kProgramFolder, keeping ? "[PREFS]\r\nKeepLayouts= 1\r\n" : "[PREFS]\r\n"};
    Program program;
    REQUIRE((program.Start(copy.exe) && WaitMainWindow(program, true)));
    const fs::path layout = kProgramFolder / L"Layouts" / L"1024x768@96_0_0.dpf";
    if (keeping) REQUIRE(WaitFor([&] { return fs::exists(layout); }, 20000));
    else Sleep(10000);
    const auto written = keeping ? fs::last_write_time(layout) : fs::file_time_type();
    // Only this copy: one that ended meanwhile would take its time out of the sum.
    int processes = 0;
    REQUIRE(WaitFor([&] { return LinuxCpuSeconds("stowly.exe", &processes) >= 0 && processes == 1; }, 20000));
    const double before = LinuxCpuSeconds("stowly.exe");
    const auto start = Clock::now();
    Sleep(60000);
    const double share = (LinuxCpuSeconds("stowly.exe") - before) / SecondsSince(start);
    if (keeping) CHECK(fs::last_write_time(layout) == written); // nothing moved, nothing written
    program.Stop(nullptr);
    return share;
}

} // namespace

TEST_CASE("benchmark: clean, restore and placing of icons by the program under Wine, against bare system calls") {
    std::printf("%7s | %9s %9s %6s | %9s %9s %6s %9s | %9s %9s %6s\n", "items", "clean s", "floor s", "ratio",
                "restore s", "floor s", "ratio", "showing s", "placing s", "floor s", "ratio");
    for (int n : Sizes()) {
        Row r = Cycle(n);
        for (int round = 1; round < Rounds(); ++round) r.KeepLeast(Cycle(n));
        std::printf("%7d | %9.2f %9.2f %6.2f | %9.2f %9.2f %6.2f %9.2f | %9.3f %9.3f %6.2f\n", r.items, r.clean,
                    r.cleanFloor, r.clean / r.cleanFloor, r.restore, r.restoreFloor, r.restore / r.restoreFloor,
                    r.showing, r.placing, r.placeFloor, r.placing / r.placeFloor);
        std::printf("%7s   whole cycle: %.2f s against a floor of %.2f s, ratio %.2f\n", "",
                    r.clean + r.restore, r.cleanFloor + r.restoreFloor,
                    (r.clean + r.restore) / (r.cleanFloor + r.restoreFloor));
        std::fflush(stdout);
    }
    const int waitItems = Sizes().front();
    const Shares shares = WaitingCpuShare(waitItems);
    std::printf("while its restore waits for %d icons to show, the program uses %.1f %% of a core, "
                "Wine's server %.1f %%\n", waitItems, 100 * shares.program, 100 * shares.server);
    const double keeping = IdleShare(100, true), floor = IdleShare(100, false);
    std::printf("with 100 icons still, the program uses %.3f %% of a core over a minute keeping a layout for each "
                "display, %.3f %% without\n", 100 * keeping, 100 * floor);
}
