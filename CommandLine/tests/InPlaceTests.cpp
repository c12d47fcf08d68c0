// In-place rewrites and the file they replace: what may be read, what replaced, what kept.
#include <gtest/gtest.h>

#include <map>

#if !defined(_WIN32)
#include <sys/xattr.h>
#endif

#include "CommandLine/tests/TestSupport.h"

namespace BlankwiseCli {
namespace {

using Testing::ReadFile;
using Testing::RunResult;
using Testing::RunTool;
using Testing::TemporaryFolder;
using Testing::Utf8Path;
using Testing::WriteFile;
namespace fs = std::filesystem;

class InPlace : public testing::Test {
  protected:
    std::string File(const std::string& name, std::string_view bytes) {
        WriteFile(folder_.Path() / fs::u8path(name), bytes);
        return Utf8Path(folder_.Path() / fs::u8path(name));
    }

    // Each entry's bytes, or where it links to.
    std::map<std::string, std::string> FolderContents() const {
        std::map<std::string, std::string> contents;
        for (const std::string& name : folder_.Entries()) {
            const fs::path path = folder_.Path() / fs::u8path(name);
            contents[name] =
                fs::is_symlink(path) ? "link to " + fs::read_symlink(path).string() : ReadFile(path);
        }
        return contents;
    }

    static void PlantLink(const fs::path& file, const fs::path& other) {
        fs::remove(file);
        fs::create_symlink(other.filename(), file);
    }

    TemporaryFolder folder_;
};

// The file's name comes to name another file while the file is converted: an editor saves over it,
// or someone plants a symbolic link to a file of theirs in a folder others may write. Nothing but
// the file opened is read, nothing is replaced, and the folder stays as that step left it.
TEST_F(InPlace, LeavesAFileReplacedDuringItsConversion) {
    using Replace = void (*)(const fs::path& file, const fs::path& other);
    // As an editor saves: the file renamed away (Windows renames nothing over a file that is open)
    // and the new one renamed into its place.
    const Replace save = [](const fs::path& file, const fs::path& other) {
        fs::rename(file, fs::path(file).concat(".old"));
        fs::rename(other, file);
    };
    const struct {
        const char* name;
        RewriteStage stage;
        Replace replace;
    } rows[] = {
        {"saved over at the first change", RewriteStage::Starting, save},
        {"saved over before the commit", RewriteStage::Committing, save},
#if !defined(_WIN32)
        {"a link at the first change", RewriteStage::Starting, PlantLink},
        {"a link before the commit", RewriteStage::Committing, PlantLink},
#endif
    };
    for (const auto& row : rows) {
        const std::string file = File("file.txt", "unchanged\n\tchanged\n");
        const std::string other = File("other.txt", "\tanother file\n");
        std::map<std::string, std::string> afterStep;
        StepBeforeReplacing() = [&](RewriteStage stage) {
            if (stage == row.stage) {
                row.replace(fs::u8path(file), fs::u8path(other));
                afterStep = FolderContents();
                std::erase_if(afterStep, [](const auto& entry) {  // but the replacement being written
                    return entry.first.find(".blankwise-") != std::string::npos;
                });
            }
        };
        const RunResult result = RunTool({"-i", "-c", "6", file});
        StepBeforeReplacing() = nullptr;
        EXPECT_EQ(result.status, kExitError) << row.name;
        EXPECT_EQ(result.errors, "blankwise: " + file + ": " + std::string(kReplacedFileRefusal) + "\n")
            << row.name;
        EXPECT_EQ(FolderContents(), afterStep) << row.name;
        for (const std::string& name : folder_.Entries()) {
            fs::remove(folder_.Path() / fs::u8path(name));
        }
    }
}

#if !defined(_WIN32)
// Every extended attribute of the file as the replacement has it, and only those: a user.*
// attribute, the access control list; but not the list the replacement would inherit from a default
// list of its folder.
TEST_F(InPlace, KeepsExtendedAttributesAndTheAccessControlList) {
    const auto attributes = [](const std::string& path) {
        std::map<std::string, std::string> values;
        std::string names(4096, '\0');
        names.resize(
            static_cast<std::size_t>(std::max<ssize_t>(::listxattr(path.c_str(), names.data(), 4096), 0)));
        for (std::size_t start = 0; start < names.size(); start = names.find('\0', start) + 1) {
            const std::string name = names.c_str() + start;
            std::string value(4096, '\0');
            value.resize(
                static_cast<std::size_t>(::getxattr(path.c_str(), name.c_str(), value.data(), 4096)));
            values[name] = value;
        }
        return values;
    };
    const std::string withList = File("with-list.txt", "\tx\n");
    const std::string plain = File("plain.txt", "\tx\n");
    const std::string folder = Utf8Path(folder_.Path());
    if (::setxattr(withList.c_str(), "user.origin", "scan 7", 6, 0) != 0 ||
        std::system(
            ("setfacl -m u:nobody:rw " + withList + " && setfacl -d -m u:nobody:r " + folder).c_str()) != 0) {
        GTEST_SKIP() << "no extended attributes or access control lists here";
    }
    const auto before = attributes(withList);
    ASSERT_EQ(before.size(), 2u);
    const RunResult result = RunTool({"-i", "-c", "6", withList, plain});
    EXPECT_EQ(result.status, kExitSuccess) << result.errors;
    EXPECT_EQ(ReadFile(withList), "    x\n");
    EXPECT_EQ(attributes(withList), before);
    EXPECT_EQ(ReadFile(plain), "    x\n");
    EXPECT_EQ(attributes(plain), (std::map<std::string, std::string>{}));
}
#endif

}  // namespace
}  // namespace BlankwiseCli
