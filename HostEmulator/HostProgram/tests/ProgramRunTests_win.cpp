// BlankwiseHost.exe itself, started as a user would start it, with its output and the files it
// reads and writes in a folder of their own.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <string_view>

#include "HostEmulator/HostProgram/DocumentText.h"
#include "HostEmulator/HostProgram/PluginLibrary_win.h"

namespace HostEmulator {
namespace {

// The program itself, started as a user would start it.
class HostProgram : public testing::Test {
  protected:
    struct Result {
        DWORD exitCode = 0;
        std::string out;
        std::string err;
    };

    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"BlankwiseHostTest" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        for (const wchar_t* name : {L"in.txt", L"out.txt", L"stdout", L"stderr"}) {
            ::DeleteFileW(Path(name).c_str());
        }
        ::RemoveDirectoryW(folder_.c_str());
    }

    std::wstring Path(const wchar_t* name) const { return folder_ + L"\\" + name; }

    void WriteFileBytes(const wchar_t* name, std::string_view bytes) const {
        const HANDLE file =
            ::CreateFileW(Path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
    }

    // Shares writing: when the program is the first to start after Wine's server, the helpers Wine
    // starts for it (its desktop's explorer.exe) inherit its standard handles and may still hold
    // them open after it has ended.
    std::string ReadFileBytes(const wchar_t* name) const {
        const HANDLE file =
            ::CreateFileW(Path(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return "(missing)";
        }
        std::string bytes;
        char buffer[4096];
        DWORD read = 0;
        while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
            bytes.append(buffer, read);
        }
        ::CloseHandle(file);
        return bytes;
    }

    // Runs BlankwiseHost.exe from beside this program with its output going to files.
    Result RunProgram(const std::wstring& arguments) const {
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        const auto create = [&](const wchar_t* name) {
            return ::CreateFileW(Path(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                 CREATE_ALWAYS, 0, nullptr);
        };
        const HANDLE out = create(L"stdout");
        const HANDLE err = create(L"stderr");
        std::wstring program = PluginBesideProgram();
        program = program.substr(0, program.find_last_of(L'\\') + 1) + L"BlankwiseHost.exe";
        std::wstring commandLine = L"\"" + program + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = out;
        startup.hStdError = err;
        PROCESS_INFORMATION process{};
        Result result;
        if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                             &startup, &process)) {
            ::WaitForSingleObject(process.hProcess, 60000);
            ::GetExitCodeProcess(process.hProcess, &result.exitCode);
            ::CloseHandle(process.hThread);
            ::CloseHandle(process.hProcess);
        } else {
            ADD_FAILURE() << "cannot start BlankwiseHost.exe, error " << ::GetLastError();
        }
        ::CloseHandle(out);
        ::CloseHandle(err);
        result.out = ReadFileBytes(L"stdout");
        result.err = ReadFileBytes(L"stderr");
        return result;
    }

    std::wstring folder_;
};

TEST_F(HostProgram, ConvertsAUtf16FileAndSavesItInUtf16WithItsCrLf) {
    const std::u16string document = u"行1\u3000\u3000x\r\n\t全角\u3000\r\n";
    WriteFileBytes(L"in.txt", EncodeDocument(document, TextEncoding::Utf16LE));
    const Result result = RunProgram(L"--anchor 2:2 --caret 1:2 --choose 3 --print --save \"" +
                                     Path(L"out.txt") + L"\" \"" + Path(L"in.txt") + L"\"");
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(result.err, "");
    const std::u16string expected = u"行1    x\r\n\t全角\u3000\r\n";
    EXPECT_EQ(result.out, ToUtf8(expected));
    EXPECT_EQ(ReadFileBytes(L"out.txt"), EncodeDocument(expected, TextEncoding::Utf16LE));
}

TEST_F(HostProgram, PrintsThePluginAndTheVisibleDocumentUnderHeadings) {
    WriteFileBytes(L"in.txt", "a\tb \xE3\x80\x80\r\nc\n");
    const Result result =
        RunProgram(L"--info --visible --print-before --print --escape \"" + Path(L"in.txt") + L"\"");
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(result.out,
              "== the plug-in\n"
              "name (PlugInProc 2306): Blankwise\n"
              "version (PlugInProc 2308): Version 1.4.3\n"
              "menu text (string 1): 空白部分を変換する\n"
              "status text (string 2): 半角/全角スペースやタブを相互変換する\\n空白変換\n"
              "bitmap: 101\n"
              "QueryStatus: -1, checked 0\n"
              "OnEvents 0x0440 with 1234: HostRefresh with 1234\n"
              "uninstallable (PlugInProc 2310): 1\n"
              "== before: nothing selected, caret at 1:1\n"
              "a→b·□␍␊\nc␊\n[EOF]\n"
              "== after menu dismissed with Escape: nothing selected, caret at 1:1\n"
              "a→b·□␍␊\nc␊\n[EOF]\n");
}

TEST_F(HostProgram, FailsWithAMessageWhenTheDocumentIsMissing) {
    const Result result = RunProgram(L"--choose 6 --print \"" + Path(L"absent.txt") + L"\"");
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(result.err.starts_with("BlankwiseHost: cannot open ")) << result.err;
}

}  // namespace
}  // namespace HostEmulator
