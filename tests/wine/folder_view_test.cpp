// The code that talks to the shell's folder view of the desktop, run against an
// in-process view that behaves as the documentation says the shell's does, with
// every COM allocation watched; and calls into the shell given up on when it stays
// silent. What Explorer itself does with the positions (its coordinates, snapping,
// keeping them across a refresh) no fake can show.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <doctest/doctest.h>

#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include "platform/win32/ShellCall.h"
#include "platform/win32/FolderViewOpening.h"

using namespace stowly;

namespace {

// Watches the blocks the view hands over (ids, names) through the COM allocator:
// each must be freed exactly once.
class MallocSpy final : public IMallocSpy {
public:
    std::set<void*> outstanding, released;
    int handedOut = 0, doubleFrees = 0;
    void Watch(void* p) {
        outstanding.insert(p), released.erase(p);
        ++handedOut;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = (iid == IID_IUnknown || iid == IID_IMallocSpy) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T cb) override { return cb; }
    void* STDMETHODCALLTYPE PostAlloc(void* p) override {
        released.erase(p); // a freed address given out again is another block
        return p;
    }
    void* STDMETHODCALLTYPE PreFree(void* p, BOOL) override {
        if (outstanding.erase(p)) released.insert(p);
        else if (released.count(p)) ++doubleFrees;
        return p;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* p, SIZE_T cb, void** out, BOOL) override {
        *out = p;
        return cb;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* p, BOOL) override { return p; }
    void* STDMETHODCALLTYPE PreGetSize(void* p, BOOL) override { return p; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T cb, BOOL) override { return cb; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* p, BOOL) override { return p; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}
};

#define NOT_USED(...) \
    HRESULT STDMETHODCALLTYPE __VA_ARGS__ override { return E_NOTIMPL; }

// A folder view of a few items. An item's id holds its number; ids of items that
// left are refused, as the shell refuses them. `failAt` items fail to be had.
class FakeView final : public IFolderView2, public IShellFolder {
public:
    struct Entry {
        int id;
        std::wstring label, parsing;
        POINT at;
    };
    std::vector<Entry> items;
    std::set<int> failAt;  // indexes whose Item() fails
    HRESULT gone = S_OK;   // when set, every call answers it (the shell's process went away)
    DWORD flags = FWF_AUTOARRANGE | FWF_SNAPTOGRID;
    int wholeCalls = 0;    // SelectAndPositionItems calls with more than one item
    MallocSpy* spy = nullptr;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IFolderView || iid == IID_IFolderView2)
            *out = static_cast<IFolderView2*>(this);
        else if (iid == IID_IShellFolder)
            *out = static_cast<IShellFolder*>(this);
        else
            *out = nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    std::atomic<ULONG> refs{1};

    HRESULT STDMETHODCALLTYPE ItemCount(UINT, int* n) override {
        *n = static_cast<int>(items.size());
        return gone;
    }
    HRESULT STDMETHODCALLTYPE Item(int index, PITEMID_CHILD* out) override {
        *out = nullptr;
        if (FAILED(gone)) return gone;
        if (index < 0 || index >= static_cast<int>(items.size()) || failAt.count(index)) return E_INVALIDARG;
        // One SHITEMID: its size, the item's number, then the two zero bytes that end a list.
        auto* id = static_cast<BYTE*>(CoTaskMemAlloc(2 + sizeof(int) + 2));
        const USHORT cb = 2 + sizeof(int);
        std::memcpy(id, &cb, 2);
        std::memcpy(id + 2, &items[index].id, sizeof(int));
        std::memset(id + cb, 0, 2);
        *out = reinterpret_cast<PITEMID_CHILD>(id);
        spy->Watch(id);
        return S_OK;
    }
    Entry* Find(PCUITEMID_CHILD pidl) {
        int id = 0;
        std::memcpy(&id, reinterpret_cast<const BYTE*>(pidl) + 2, sizeof(int));
        for (auto& item : items)
            if (item.id == id) return &item;
        return nullptr;
    }
    HRESULT STDMETHODCALLTYPE GetItemPosition(PCUITEMID_CHILD pidl, POINT* at) override {
        if (FAILED(gone)) return gone;
        Entry* item = Find(pidl);
        if (!item) return E_INVALIDARG;
        *at = item->at;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SelectAndPositionItems(UINT n, PCUITEMID_CHILD_ARRAY ids, POINT* at, DWORD) override {
        if (FAILED(gone)) return gone;
        wholeCalls += n > 1;
        for (UINT k = 0; k < n; ++k)
            if (!Find(ids[k])) return E_INVALIDARG; // nothing moves when one of them left
        for (UINT k = 0; k < n; ++k) Find(ids[k])->at = at[k];
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF how, STRRET* name) override {
        if (FAILED(gone)) return gone;
        Entry* item = Find(pidl);
        if (!item) return E_INVALIDARG;
        name->uType = STRRET_WSTR;
        const HRESULT hr = SHStrDupW((how & SHGDN_FORPARSING ? item->parsing : item->label).c_str(), &name->pOleStr);
        if (SUCCEEDED(hr)) spy->Watch(name->pOleStr);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE GetAutoArrange() override { return flags & FWF_AUTOARRANGE ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetCurrentFolderFlags(DWORD* out) override {
        *out = flags;
        return gone;
    }
    HRESULT STDMETHODCALLTYPE SetCurrentFolderFlags(DWORD mask, DWORD value) override {
        flags = (flags & ~mask) | (value & mask);
        return gone;
    }

    NOT_USED(GetCurrentViewMode(UINT*)) NOT_USED(SetCurrentViewMode(UINT)) NOT_USED(GetFolder(REFIID, void**))
    NOT_USED(Items(UINT, REFIID, void**)) NOT_USED(GetSelectionMarkedItem(int*)) NOT_USED(GetFocusedItem(int*))
    NOT_USED(GetSpacing(POINT*)) NOT_USED(GetDefaultSpacing(POINT*)) NOT_USED(SelectItem(int, DWORD))
    NOT_USED(SetGroupBy(REFPROPERTYKEY, WINBOOL)) NOT_USED(GetGroupBy(PROPERTYKEY*, WINBOOL*))
    NOT_USED(SetViewProperty(PCUITEMID_CHILD, REFPROPERTYKEY, REFPROPVARIANT))
    NOT_USED(GetViewProperty(PCUITEMID_CHILD, REFPROPERTYKEY, PROPVARIANT*))
    NOT_USED(SetTileViewProperties(PCUITEMID_CHILD, LPCWSTR)) NOT_USED(SetExtendedTileViewProperties(PCUITEMID_CHILD, LPCWSTR))
    NOT_USED(SetText(FVTEXTTYPE, LPCWSTR)) NOT_USED(GetSortColumnCount(int*)) NOT_USED(SetSortColumns(const SORTCOLUMN*, int))
    NOT_USED(GetSortColumns(SORTCOLUMN*, int)) NOT_USED(GetItem(int, REFIID, void**)) NOT_USED(GetVisibleItem(int, WINBOOL, int*))
    NOT_USED(GetSelectedItem(int, int*)) NOT_USED(GetSelection(WINBOOL, IShellItemArray**))
    NOT_USED(GetSelectionState(PCUITEMID_CHILD, DWORD*)) NOT_USED(InvokeVerbOnSelection(LPCSTR))
    NOT_USED(SetViewModeAndIconSize(FOLDERVIEWMODE, int)) NOT_USED(GetViewModeAndIconSize(FOLDERVIEWMODE*, int*))
    NOT_USED(SetGroupSubsetCount(UINT)) NOT_USED(GetGroupSubsetCount(UINT*)) NOT_USED(SetRedraw(WINBOOL))
    NOT_USED(IsMoveInSameFolder()) NOT_USED(DoRename())
    NOT_USED(ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*, ULONG*))
    NOT_USED(EnumObjects(HWND, SHCONTF, IEnumIDList**)) NOT_USED(BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**))
    NOT_USED(BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**))
    NOT_USED(CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE)) NOT_USED(CreateViewObject(HWND, REFIID, void**))
    NOT_USED(GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*))
    NOT_USED(GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*, void**))
    NOT_USED(SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*))
};

FolderViewOpening Over(FakeView& fake, int* answers = nullptr) {
    ComPtr<IFolderView> view;
    ComPtr<IShellFolder> folder;
    fake.QueryInterface(IID_IFolderView, view.put_void());
    fake.QueryInterface(IID_IShellFolder, folder.put_void());
    return FolderViewOpening(std::move(view), std::move(folder), [answers] {
        if (answers) ++*answers;
    });
}

std::vector<std::pair<LONG, LONG>> Places(const FakeView& fake) {
    std::vector<std::pair<LONG, LONG>> at;
    for (const auto& item : fake.items) at.emplace_back(item.at.x, item.at.y);
    return at;
}

} // namespace

TEST_CASE("the shell's folder view: items read and placed through the ids of one read, every id and name freed "
          "once; items that fail, leave or arrive meanwhile; the arranging flag; a view that went away") {
    REQUIRE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    MallocSpy spy;
    REQUIRE(CoRegisterMallocSpy(&spy) == S_OK);
    FakeView fake;
    fake.spy = &spy;
    fake.items = {{1, L"Report", L"Report.pdf", {10, 10}},
                  {2, L"Broken", L"Broken.txt", {20, 20}},
                  {3, L"Report", L"Report.docx", {30, 30}},
                  {4, L"Recycle Bin", L"::{645FF040-5081-101B-9F08-00AA002F954E}", {40, 40}}};
    fake.failAt = {1}; // half way through, one item cannot be had
    {
        int answers = 0;
        FolderViewOpening view = Over(fake, &answers);
        const auto items = view.Read(true);
        REQUIRE((items && items->size() == 3));
        CHECK(((*items)[0].label == L"Report" && (*items)[0].parsingName == L"Report.pdf"));
        CHECK(((*items)[1].parsingName == L"Report.docx" && (*items)[1].at.x == 30 && (*items)[1].placeKnown));
        CHECK(answers > 3);
        CHECK(view.Arranges() == true);
        CHECK((view.StopArranging() && fake.flags == FWF_SNAPTOGRID && view.Arranges() == false));

        // Between the read and the placing an item leaves and another arrives in front:
        // indexes shift, ids do not.
        fake.items.erase(fake.items.begin()); // the pdf
        fake.items.insert(fake.items.begin(), {5, L"New", L"New.txt", {50, 50}});
        CHECK(view.Place({{0, 100, 0}, {1, 300, 0}, {2, 400, 0}}) == 2); // refused whole, then one by one
        CHECK(fake.wholeCalls == 1);
        CHECK(Places(fake) == std::vector<std::pair<LONG, LONG>>{{50, 50}, {20, 20}, {300, 0}, {400, 0}});
        const auto back = view.ReadBack({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
        CHECK((!back[0].placeKnown && back[1].at.x == 300 && back[2].placeKnown && back[2].at.x == 400));
        CHECK(view.Place({{1, 310, 0}, {2, 410, 0}}) == 2); // all there: one call
        CHECK(fake.wholeCalls == 2);

        CHECK(view.Read(false)->size() == 3); // a fresh read finds the newcomer, and frees the old ids
        fake.gone = RPC_E_DISCONNECTED;
        CHECK_FALSE(view.Disconnected());
        CHECK_FALSE(view.Read(true));
        CHECK(view.Disconnected());
    }
    CHECK(spy.handedOut == 2 * 3 * 3); // an id and two names for each item of both reads
    CHECK((spy.outstanding.empty() && spy.doubleFrees == 0));
    CHECK(fake.refs == 1);
    CoRevokeMallocSpy();
    CoUninitialize();
}

TEST_CASE("a call into the shell is given up on after a silence, not while it keeps answering; the caller's "
          "windows answer meanwhile and a call given up on touches nothing of the caller's") {
    // A call that keeps answering runs past the silence many times over.
    int beats = 0;
    CHECK(RunShellCall(
        [&](ShellCall& call) {
            for (int i = 0; i < 12; ++i, Sleep(50)) call.WithCaller([&] { ++beats; }), call.Beat();
        },
        150));
    CHECK(beats == 12);

    // One that hangs is given up on, while a window of the waiting thread answers.
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    REQUIRE(window);
    auto after = std::make_shared<std::atomic<int>>(0); // outlives the call given up on
    std::atomic<bool> answered{false};
    std::thread other([&] {
        Sleep(100);
        DWORD_PTR result = 0;
        answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result) != 0;
    });
    bool touched = false;
    const ULONGLONG start = GetTickCount64();
    CHECK_FALSE(RunShellCall(
        [&touched, after](ShellCall& call) {
            Sleep(1500);
            *after = call.WithCaller([&] { touched = true; }) ? 1 : 2;
        },
        400));
    CHECK(GetTickCount64() - start < 1400);
    other.join();
    CHECK(answered);
    while (*after == 0) Sleep(50);
    CHECK((*after == 2 && !touched));
    DestroyWindow(window);
}
