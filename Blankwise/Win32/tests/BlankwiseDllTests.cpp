// Blankwise.dll as the host sees it: loaded from beside this program, looked up by name and
// called with a real window standing in for the editor.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "Blankwise/ExportGuard.h"
#include "Blankwise/Win32/PluginExports.h"
#include "Blankwise/Win32/Win32HostPort.h"
#include "Blankwise/Win32/tests/TestDesktop.h"
#include "HostEmulator/HostModel.h"
#include "MyLibrary/StringUnit/Assertion.h"

namespace Blankwise {
namespace {

constexpr bool k64Bit = sizeof(void*) == 8;

// The slot of a loaded module's import table through which it calls `function` of `dll` (any
// case), or nullptr.
void** ImportSlot(HMODULE module, const char* dll, std::string_view function) {
    const auto* image = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) {
        return nullptr;
    }
    for (const auto* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image + directory.VirtualAddress);
         entry->Name != 0; ++entry) {
        if (::lstrcmpiA(reinterpret_cast<const char*>(image + entry->Name), dll) != 0) {
            continue;
        }
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(image + entry->OriginalFirstThunk);
        auto* slots =
            reinterpret_cast<IMAGE_THUNK_DATA*>(reinterpret_cast<BYTE*>(module) + entry->FirstThunk);
        for (std::size_t i = 0; names[i].u1.AddressOfData != 0; ++i) {
            if (!IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal) &&
                function ==
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(image + names[i].u1.AddressOfData)->Name) {
                return reinterpret_cast<void**>(&slots[i].u1.Function);
            }
        }
    }
    return nullptr;
}

// While it lives, the DLL gets no single block larger than `largest` bytes: its import of the C
// runtime's malloc, where its operator new takes memory from, answers a larger request with nothing,
// as it does in a process whose address space cannot hold the block. An import hook rather than a
// switch in the DLL, so that the DLL under test is the product as built.
class AllocationLimit {
  public:
    AllocationLimit(HMODULE module, std::size_t largest) : slot_(ImportSlot(module, "msvcrt.dll", "malloc")) {
        if (slot_ != nullptr) {
            largest_ = largest;
            refused_ = 0;
            original_ = reinterpret_cast<MallocFunction>(*slot_);
            Write(reinterpret_cast<void*>(&LimitedMalloc));
        }
    }
    ~AllocationLimit() {
        if (slot_ != nullptr) {
            Write(reinterpret_cast<void*>(original_));
        }
    }
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;

    explicit operator bool() const { return slot_ != nullptr; }
    // Requests refused so far.
    static std::size_t Refused() { return refused_; }

  private:
    using MallocFunction = void*(__cdecl*)(std::size_t);

    static void* __cdecl LimitedMalloc(std::size_t size) {
        if (size > largest_) {
            ++refused_;
            return nullptr;
        }
        return original_(size);
    }

    void Write(void* function) {
        DWORD protection = 0;
        ::VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
        *slot_ = function;
        ::VirtualProtect(slot_, sizeof *slot_, protection, &protection);
    }

    static inline std::size_t largest_ = 0;
    static inline std::size_t refused_ = 0;
    static inline MallocFunction original_ = nullptr;
    void** slot_;
};

std::wstring PluginPath() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"Blankwise.dll";
}

// A fresh load of the DLL for each test, so that its stored event value starts at zero.
class PluginDll : public testing::Test {
  protected:
    void SetUp() override {
        module_.Reset(::LoadLibraryW(PluginPath().c_str()));
        ASSERT_TRUE(module_) << "cannot load Blankwise.dll, error " << ::GetLastError();
    }

    template <class Proc>
    Proc Export(const char* name) const {
        const FARPROC address = ::GetProcAddress(module_.Get(), name);
        return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(address));
    }

    const BYTE* Image() const { return reinterpret_cast<const BYTE*>(module_.Get()); }

    const IMAGE_NT_HEADERS* NtHeaders() const {
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(Image());
        return reinterpret_cast<const IMAGE_NT_HEADERS*>(Image() + dos->e_lfanew);
    }

    template <class T>
    const T* AtRva(DWORD rva) const {
        return reinterpret_cast<const T*>(Image() + rva);
    }

    const IMAGE_DATA_DIRECTORY& Directory(int entry) const {
        return NtHeaders()->OptionalHeader.DataDirectory[entry];
    }

    // The resource's bytes, found in exactly the given language.
    std::optional<std::string> Resource(LPCWSTR type, LPCWSTR name, WORD language) const {
        HRSRC found = ::FindResourceExW(module_.Get(), type, name, language);
        if (found == nullptr) {
            return std::nullopt;
        }
        const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(module_.Get(), found)));
        return std::string(bytes, ::SizeofResource(module_.Get(), found));
    }

    UniqueModule module_;
};

const std::set<std::string> kExportNames = {"OnCommand",          "QueryStatus", "OnEvents",  "GetMenuTextID",
                                            "GetStatusMessageID", "GetBitmapID", "PlugInProc"};

TEST_F(PluginDll, ExportsExactlyTheSevenEntryPointsUndecorated) {
    for (const std::string& name : kExportNames) {
        EXPECT_NE(::GetProcAddress(module_.Get(), name.c_str()), nullptr) << name;
    }
    const IMAGE_DATA_DIRECTORY& directory = Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    ASSERT_NE(directory.VirtualAddress, 0u);
    const auto* exports = AtRva<IMAGE_EXPORT_DIRECTORY>(directory.VirtualAddress);
    EXPECT_STREQ(AtRva<char>(exports->Name), "Blankwise.dll");
    EXPECT_EQ(exports->NumberOfFunctions, kExportNames.size()) << "an export without a name";
    std::set<std::string> names;
    const auto* nameRvas = AtRva<DWORD>(exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        names.insert(AtRva<char>(nameRvas[i]));
    }
    EXPECT_EQ(names, kExportNames);
}

TEST_F(PluginDll, ImportsOnlyWindowsOwnDlls) {
    std::wstring systemDirectory(MAX_PATH, L'\0');
    systemDirectory.resize(::GetSystemDirectoryW(systemDirectory.data(), MAX_PATH));
    const IMAGE_DATA_DIRECTORY& directory = Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
    ASSERT_NE(directory.VirtualAddress, 0u);
    std::set<std::string> imported;
    for (const auto* entry = AtRva<IMAGE_IMPORT_DESCRIPTOR>(directory.VirtualAddress); entry->Name != 0;
         ++entry) {
        std::string name = AtRva<char>(entry->Name);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return static_cast<char>(std::tolower(c)); });
        imported.insert(name);
        // The mingw runtime DLLs (libgcc_s_*, libstdc++-6, libwinpthread-1) live nowhere near it.
        const std::wstring path = systemDirectory + L"\\" + std::wstring(name.begin(), name.end());
        EXPECT_NE(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES)
            << name << " is not a system DLL";
    }
    EXPECT_EQ(imported, (std::set<std::string>{"kernel32.dll", "msvcrt.dll", "user32.dll"}));
}

// The 32-bit build is a PE32 image for i386, the 64-bit build a PE32+ image for AMD64: the one each
// editor can load.
TEST_F(PluginDll, IsAnImageForTheMachineOfItsBuild) {
    constexpr WORD kMachine = k64Bit ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
    constexpr WORD kMagic = k64Bit ? 0x20B : 0x10B;  // PE32+ : PE32
    EXPECT_EQ(NtHeaders()->FileHeader.Machine, kMachine);
    EXPECT_EQ(NtHeaders()->OptionalHeader.Magic, kMagic);
    EXPECT_EQ(NtHeaders()->FileHeader.SizeOfOptionalHeader, sizeof(IMAGE_OPTIONAL_HEADER));
    EXPECT_NE(NtHeaders()->FileHeader.Characteristics & IMAGE_FILE_DLL, 0);
}

TEST_F(PluginDll, ResourceIdsAndStringTable) {
    EXPECT_EQ(Export<GetMenuTextIDProc>("GetMenuTextID")(), 1u);
    EXPECT_EQ(Export<GetStatusMessageIDProc>("GetStatusMessageID")(), 2u);
    EXPECT_EQ(Export<GetBitmapIDProc>("GetBitmapID")(), 101u);

    struct Row {
        UINT id;
        std::wstring text;
    };
    const std::vector<Row> rows = {
        {1, L"空白部分を変換する"},
        {2, L"半角/全角スペースやタブを相互変換する\n空白変換"},
        {65440, L"リストの容量が超えました (%d)"},
        {65441, L"リストの個数を超えました (%d)"},
        {65442, L"リストのインデックスが範囲を超えています (%d)"},
    };
    constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    static_assert(kJapanese == 1041);
    for (const Row& row : rows) {
        wchar_t buffer[256] = {};
        const int length = ::LoadStringW(module_.Get(), row.id, buffer, 256);
        EXPECT_EQ(std::wstring(buffer, static_cast<std::size_t>(std::max(length, 0))), row.text) << row.id;
        // Strings are stored in blocks of sixteen; the block must be the Japanese one.
        EXPECT_TRUE(Resource(RT_STRING, MAKEINTRESOURCEW(row.id / 16 + 1), kJapanese)) << row.id;
    }
}

TEST_F(PluginDll, CommandBitmapIs16By16With256ColourPalette) {
    const auto bytes = Resource(RT_BITMAP, MAKEINTRESOURCEW(101), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD) + 16 * 16);
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes->data(), sizeof header);
    EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(header.biWidth, 16);
    EXPECT_EQ(std::abs(header.biHeight), 16);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_TRUE(header.biClrUsed == 0 || header.biClrUsed == 256) << header.biClrUsed;

    const Unique<HBITMAP, ::DeleteObject> bitmap(::LoadBitmapW(module_.Get(), MAKEINTRESOURCEW(101)));
    ASSERT_TRUE(bitmap);
    BITMAP info{};
    ASSERT_NE(::GetObjectW(bitmap.Get(), sizeof info, &info), 0);
    EXPECT_EQ(info.bmWidth, 16);
    EXPECT_EQ(info.bmHeight, 16);
}

TEST_F(PluginDll, VersionResourceSays1430AndDll) {
    const std::wstring path = PluginPath();
    DWORD ignored = 0;
    std::vector<BYTE> block(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));

    void* value = nullptr;
    UINT size = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", &value, &size));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010004u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00030000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010004u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00030000u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &size));
    ASSERT_GE(size, 4u);
    const auto* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 1200);
    struct Row {
        const wchar_t* key;
        std::wstring text;
    };
    for (const Row& row : {Row{L"FileVersion", L"1.4.3.0"}, Row{L"ProductVersion", L"1.4.3.0"},
                           Row{L"ProductName", L"Blankwise"}}) {
        const std::wstring query = std::wstring(L"\\StringFileInfo\\041104b0\\") + row.key;
        ASSERT_TRUE(::VerQueryValueW(block.data(), query.c_str(), &value, &size)) << row.key;
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), row.text) << row.key;
    }
}

TEST_F(PluginDll, PlugInProcAnswers) {
    const auto plugInProc = Export<PlugInProcProc>("PlugInProc");
    TestHostWindow host;
    struct Row {
        UINT request;
        WPARAM size;
        bool withBuffer;
        LRESULT result;
        std::string buffer;  // all 16 bytes afterwards; '#' is untouched
    };
    std::vector<Row> rows = {
        {2306, 5, true, 9, std::string("Blan\0###########", 16)},
        {2306, 16, false, 9, std::string(16, '#')},
        {2306, 0, true, 9, std::string(16, '#')},
        {2306, static_cast<WPARAM>(-1), true, 9, std::string(16, '#')},
        {2308, 16, true, 13, std::string("Version 1.4.3\0##", 16)},
        {2310, 0, false, 1, std::string(16, '#')},
        {0, 16, true, 0, std::string(16, '#')},
    };
    if constexpr (k64Bit) {
        // The size is the whole signed word: 2^32 + 5 has room for the name (its low half says 5),
        // and a word below 0 whose low half says 16 writes nothing.
        rows.push_back(
            {2306, static_cast<WPARAM>(0x1'0000'0005ull), true, 9, std::string("Blankwise\0######", 16)});
        rows.push_back({2306, static_cast<WPARAM>(0xFFFF'FFFF'0000'0010ull), true, 9, std::string(16, '#')});
    }
    for (const Row& row : rows) {
        std::string buffer(16, '#');
        const LPARAM address = row.withBuffer ? reinterpret_cast<LPARAM>(buffer.data()) : 0;
        EXPECT_EQ(plugInProc(host.Handle(), row.request, row.size, address), row.result)
            << row.request << " size " << static_cast<INT_PTR>(row.size);
        EXPECT_EQ(buffer, row.buffer) << row.request << " size " << static_cast<INT_PTR>(row.size);
    }
    EXPECT_TRUE(host.Received().empty());
}

TEST_F(PluginDll, UninstallQuestionAnsweredYesAndNo) {
    const auto plugInProc = Export<PlugInProcProc>("PlugInProc");
    for (const auto& [button, result] : std::vector<std::pair<int, LRESULT>>{{IDYES, 1}, {IDNO, 0}}) {
        TestHostWindow host;
        MessageBoxAnswerer answerer(button, &host);
        EXPECT_EQ(plugInProc(host.Handle(), 2311, 0, 0), result) << button;
        ASSERT_EQ(answerer.Shown().size(), 1u);
        const TShownMessageBox& box = answerer.Shown()[0];
        EXPECT_EQ(box.text, L"アンインストールしますか？");
        EXPECT_EQ(box.caption, L"Blankwise");
        EXPECT_EQ(box.owner, host.Handle());
        EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(box.icon, ::LoadIconW(nullptr, IDI_QUESTION));
    }
}

TEST_F(PluginDll, QueryStatusIsMinusOneWhenEnabled) {
    const auto queryStatus = Export<QueryStatusProc>("QueryStatus");
    struct Row {
        LRESULT reply;
        BOOL result;
    };
    for (const Row& row : {Row{1, -1}, Row{0x101, -1}, Row{0, 0}, Row{0x100, 0}}) {
        TestHostWindow host([&row](UINT message, WPARAM, LPARAM) { return message == 2049 ? row.reply : 0; });
        BOOL checked = FALSE;
        EXPECT_EQ(queryStatus(host.Handle(), &checked), row.result) << row.reply;
        ASSERT_EQ(host.Received().size(), 1u);
        EXPECT_EQ(host.Received()[0].message, 2049u);
        EXPECT_EQ(host.Received()[0].wParam, 4201u);
        EXPECT_EQ(host.Received()[0].lParam, reinterpret_cast<LPARAM>(&checked));
    }
}

TEST_F(PluginDll, OnEventsStoresThenRefreshes) {
    const auto onEvents = Export<OnEventsProc>("OnEvents");
    struct Step {
        UINT events;
        LPARAM value;
        std::optional<WPARAM> refreshedWith;
    };
    const auto wide = static_cast<LPARAM>(k64Bit ? 0x0123'4567'89AB'CDEFull : 0x89AB'CDEFull);
    const std::vector<Step> steps = {
        {0x0040, 7, 0},  // before any 0x0400 event
        {0x0440, 5, 5},
        {0x0040, 9, 5},
        {0x0400, wide, std::nullopt},            // kept as the whole word: in the 64-bit build,
        {0x0040, 9, static_cast<WPARAM>(wide)},  // its upper half too
    };
    TestHostWindow host;
    for (const Step& step : steps) {
        const std::size_t before = host.Received().size();
        onEvents(host.Handle(), step.events, step.value);
        const std::vector<TReceivedMessage> sent(
            host.Received().begin() + static_cast<std::ptrdiff_t>(before), host.Received().end());
        ASSERT_EQ(sent.size(), step.refreshedWith ? 1u : 0u) << std::hex << step.events;
        if (step.refreshedWith) {
            EXPECT_EQ(sent[0].message, 2050u);
            EXPECT_EQ(sent[0].wParam, *step.refreshedWith);
            EXPECT_EQ(sent[0].lParam, 0);
        }
    }
}

// The menu is dismissed with Escape: the command hands the view back and resumes repainting.
TEST_F(PluginDll, OnCommandWithTheMenuDismissed) {
    const auto onCommand = Export<OnCommandProc>("OnCommand");
    TestHostWindow host;
    MessageBoxAnswerer answerer(IDOK, &host);
    QueueKeys(host.Handle(), {VK_ESCAPE});
    onCommand(host.Handle());
    DrainMessages();
    std::vector<std::pair<UINT, WPARAM>> sent;
    for (const TReceivedMessage& received : host.Received()) {
        sent.emplace_back(received.message, received.message == 2092 ? received.wParam : 0);
    }
    EXPECT_EQ(sent, (std::vector<std::pair<UINT, WPARAM>>{
                        {2092, 0}, {2074, 0}, {2057, 0}, {2093, 0}, {2067, 0}, {2092, 1}}));
    EXPECT_TRUE(answerer.Shown().empty());
}

// The host answers the size query for the line's text with more than a 32-bit process can hold,
// so the command fails after the menu. No exception may reach the host: repainting is resumed and
// then the failure is shown in an error box owned by the host window. A 64-bit process can hold
// those 4 GiB, so there the DLL is given no block larger than 2 GiB, a 32-bit process's whole
// address space, and the same claim fails the same way.
TEST_F(PluginDll, OnCommandFailureResumesRepaintingThenShowsAnErrorBox) {
    const auto onCommand = Export<OnCommandProc>("OnCommand");
    std::optional<AllocationLimit> limit;
    if constexpr (k64Bit) {
        limit.emplace(module_.Get(), std::size_t{1} << 31);
        ASSERT_TRUE(*limit) << "Blankwise.dll takes no malloc from msvcrt.dll";
    }
    TestHostWindow host([](UINT message, WPARAM, LPARAM) -> LRESULT {
        switch (message) {
            case 2093:  // something is selected
                return 1;
            case 2095:  // the line's size in UTF-16 units
                return 0x7FFFFFFF;
            default:
                return 0;
        }
    });
    MessageBoxAnswerer answerer(IDOK, &host);
    QueueKeys(host.Handle(), {VK_DOWN, VK_RETURN});  // the menu's first conversion
    onCommand(host.Handle());
    DrainMessages();
    EXPECT_FALSE(host.ReceivedOf(2095).empty()) << "the command failed before reading the line";
    ASSERT_EQ(answerer.Shown().size(), 1u);
    const TShownMessageBox& box = answerer.Shown()[0];
    EXPECT_FALSE(box.text.empty());
    EXPECT_EQ(box.caption, L"Blankwise");
    EXPECT_EQ(box.owner, host.Handle());
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(box.icon, ::LoadIconW(nullptr, IDI_ERROR));

    const std::vector<TReceivedMessage>& received = host.Received();
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.front().message, 2092u);
    EXPECT_EQ(received.front().wParam, 0u);
    EXPECT_EQ(box.hostMessagesBefore, received.size()) << "the box came up before the command ended";
    EXPECT_EQ(received.back().message, 2092u);
    EXPECT_EQ(received.back().wParam, 1u);
    if (limit) {
        EXPECT_EQ(AllocationLimit::Refused(), 1u) << "the limit was not what failed the command";
    }
}

#if defined(_WIN64)
// Every free range below 4 GiB reserved while it lives, so that whatever is allocated meanwhile (a
// new thread's stack, a large block) lies above 4 GiB.
class LowAddressSpaceReserved {
  public:
    LowAddressSpaceReserved() {
        constexpr std::uintptr_t kGranularity = 0x10000;
        std::uintptr_t at = kGranularity;
        MEMORY_BASIC_INFORMATION region{};
        while (at < kFourGiB && ::VirtualQuery(reinterpret_cast<void*>(at), &region, sizeof region) != 0) {
            const std::uintptr_t end =
                reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
            const std::uintptr_t first = (at + kGranularity - 1) & ~(kGranularity - 1);
            const std::uintptr_t last = std::min(end, kFourGiB) & ~(kGranularity - 1);
            if (region.State == MEM_FREE && last > first) {
                if (void* reserved = ::VirtualAlloc(reinterpret_cast<void*>(first), last - first, MEM_RESERVE,
                                                    PAGE_NOACCESS)) {
                    reservations_.push_back(reserved);
                }
            }
            at = end;
        }
    }
    ~LowAddressSpaceReserved() {
        for (void* reserved : reservations_) {
            ::VirtualFree(reserved, 0, MEM_RELEASE);
        }
    }
    LowAddressSpaceReserved(const LowAddressSpaceReserved&) = delete;
    LowAddressSpaceReserved& operator=(const LowAddressSpaceReserved&) = delete;

    static constexpr std::uintptr_t kFourGiB = std::uintptr_t{1} << 32;

  private:
    std::vector<void*> reservations_;
};

// The words of a host message that carry an address.
std::vector<std::uintptr_t> AddressWords(const HostEmulator::LogEntry& entry) {
    const auto lParam = static_cast<std::uintptr_t>(entry.lParam);
    switch (entry.message) {
        case 2049:  // HostQueryStatus: the checked flag
        case 2054:  // HostGetCaretPos
        case 2057:  // HostGetViewPos
        case 2066:  // HostSetCaretPos
        case 2067:  // HostSetViewPos
        case 2074:  // HostGetSelStart
        case 2075:  // HostGetSelEnd
        case 2100:  // HostInsertText
            return {lParam};
        case 2081:  // HostSetSelection: anchor and caret
            return {entry.wParam, lParam};
        case 2094:  // HostGetSelText: the buffer, once the size is known
            return lParam != 0 ? std::vector<std::uintptr_t>{lParam} : std::vector<std::uintptr_t>{};
        case 2095:  // HostGetLineText: the request, then the buffer
            return lParam != 0 ? std::vector<std::uintptr_t>{entry.wParam, lParam}
                               : std::vector<std::uintptr_t>{entry.wParam};
        default:
            return {};
    }
}

// The 64-bit DLL called on a thread whose stack lies above 4 GiB, while nothing below 4 GiB can be
// had, on a line long enough that its text buffers are blocks of their own: every address between
// the plug-in and the host (the checked flag, positions, the view block, the line request, the text
// buffers, the text inserted) lies above 4 GiB, and the host, the emulator's document model, reads
// and writes through each. One cut to 32 bits would point at reserved memory.
TEST_F(PluginDll, AddressesAboveFourGiBReachTheHostWhole) {
    const auto onCommand = Export<OnCommandProc>("OnCommand");
    const auto queryStatus = Export<QueryStatusProc>("QueryStatus");
    constexpr std::size_t kPairs = 300'000;  // 1.2 MB of text: larger than a heap keeps in its pages
    std::u16string line = u"ab";
    std::u16string expected = u"ab";
    for (std::size_t i = 0; i < kPairs; ++i) {
        line += u"\tc";
        expected += i == 0 ? u"  c" : u"   c";  // tab stops every 4 columns
    }
    struct Case {
        const char* name;
        std::optional<std::pair<HostEmulator::Position, HostEmulator::Position>> selection;
    };
    const auto end = static_cast<std::int32_t>(line.size());
    for (const Case& c :
         {Case{"from mid-line", std::pair{HostEmulator::Position{2, 0}, HostEmulator::Position{end, 0}}},
          Case{"the whole document", std::nullopt}}) {
        SCOPED_TRACE(c.name);
        struct Run {
            OnCommandProc onCommand;
            QueryStatusProc queryStatus;
            HostEmulator::HostModel model;
            std::uintptr_t stack = 0;
            std::size_t messageBoxes = 0;
        } run{onCommand, queryStatus, HostEmulator::HostModel(line), 0, 0};
        if (c.selection) {
            run.model.Select(c.selection->first, c.selection->second);
        }
        const auto body = [](void* parameter) -> DWORD {
            auto& r = *static_cast<Run*>(parameter);
            BOOL checked = FALSE;
            r.stack = reinterpret_cast<std::uintptr_t>(&checked);
            TestHostWindow host([&r](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
                return r.model.HandleMessage(message, wParam, lParam);
            });
            MessageBoxAnswerer answerer(IDOK, &host);
            r.queryStatus(host.Handle(), &checked);
            QueueKeys(host.Handle(), {VK_DOWN, VK_RETURN});  // the menu's first conversion
            r.onCommand(host.Handle());
            DrainMessages();
            r.messageBoxes = answerer.Shown().size();
            return 0;
        };
        {
            const LowAddressSpaceReserved reserved;
            const Unique<HANDLE, ::CloseHandle> thread(::CreateThread(nullptr, 0, body, &run, 0, nullptr));
            ASSERT_TRUE(thread);
            ::WaitForSingleObject(thread.Get(), INFINITE);
        }
        EXPECT_GT(run.stack, LowAddressSpaceReserved::kFourGiB);
        EXPECT_EQ(run.messageBoxes, 0u);
        EXPECT_TRUE(run.model.Redrawing());
        EXPECT_TRUE(run.model.Text() == expected) << "the document was not converted as expected";
        std::size_t addresses = 0;
        for (const HostEmulator::LogEntry& entry : run.model.Log()) {
            for (const std::uintptr_t word : AddressWords(entry)) {
                ++addresses;
                EXPECT_GT(word, LowAddressSpaceReserved::kFourGiB) << HostEmulator::Describe(entry);
            }
        }
        EXPECT_GE(addresses, 10u);
    }
}
#endif

// A failure's UTF-8 message reaches the real message box as the same Japanese text.
TEST(ExportGuardOnWin32, FailureShowsItsMessageInAnErrorBoxOwnedByTheHost) {
    TestHostWindow host;
    Win32HostPort port(host.Handle());
    MessageBoxAnswerer answerer(IDOK, &host);
    EXPECT_EQ(GuardExport(&port, 0, []() -> int { MyLibrary::RaiseAssertion("例外", "Blankwise", 612); }), 0);
    ASSERT_EQ(answerer.Shown().size(), 1u);
    const TShownMessageBox& box = answerer.Shown()[0];
    EXPECT_EQ(box.text, L"例外 (Blankwise, 612 行)");
    EXPECT_EQ(box.caption, L"Blankwise");
    EXPECT_EQ(box.owner, host.Handle());
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(box.icon, ::LoadIconW(nullptr, IDI_ERROR));
}

}  // namespace
}  // namespace Blankwise
