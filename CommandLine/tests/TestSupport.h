#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "CommandLine/Program/BlankwiseApp.h"
#include "CommandLine/Stream/StreamConversion.h"
#include "CommandLine/System/FileAccess.h"
#include "MyLibrary/Encoding/TextCodec.h"
#include "MyLibrary/tests/RandomTexts.h"

namespace BlankwiseCli::Testing {

// Bytes that come out in pieces of the given sizes, in turn (all at once when none are given).
class MemorySource final : public ByteSource {
  public:
    explicit MemorySource(std::string bytes, std::vector<std::size_t> pieces = {})
        : bytes_(std::move(bytes)), pieces_(std::move(pieces)) {}

    std::size_t Read(char* buffer, std::size_t size) override {
        std::size_t wanted = std::min(size, bytes_.size() - position_);
        if (!pieces_.empty()) {
            wanted = std::min(wanted, pieces_[turn_++ % pieces_.size()]);
        }
        bytes_.copy(buffer, wanted, position_);
        position_ += wanted;
        return wanted;
    }

  private:
    std::string bytes_;
    std::vector<std::size_t> pieces_;
    std::size_t position_ = 0;
    std::size_t turn_ = 0;
};

class MemorySink final : public ByteSink {
  public:
    void Write(std::string_view bytes, bool) override { bytes_.append(bytes); }
    const std::string& Bytes() const { return bytes_; }

  private:
    std::string bytes_;
};

class MemoryText final : public TextWriter {
  public:
    void Write(std::string_view utf8) override { text_.append(utf8); }
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

struct RunResult {
    int status;
    std::string output;
    std::string messages;
    std::string errors;
};

// The whole program on memory streams: its exit status and what it wrote to each stream.
inline RunResult RunTool(std::vector<std::string> args, std::string input = "") {
    MemorySource source(std::move(input));
    MemorySink output;
    MemoryText messages;
    MemoryText errors;
    StandardStreams streams{source, output, messages, errors};
    const int status = RunBlankwise(args, streams);
    return {status, output.Bytes(), messages.Text(), errors.Text()};
}

// An empty folder of its own under the system's temporary folder, removed afterwards.
class TemporaryFolder {
  public:
    TemporaryFolder() {
        std::random_device seed;
        path_ = std::filesystem::temp_directory_path() / ("blankwise-test-" + std::to_string(seed()));
        std::filesystem::create_directories(path_);
    }
    // Read-only files are made writable first: Windows deletes none.
    ~TemporaryFolder() {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(path_, ignored)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ignored);
        }
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // The names of the folder's entries, sorted.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A path as the program takes it: UTF-8.
inline std::string Utf8Path(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A text's bytes in an encoding.
inline std::string Encoded(MyLibrary::Encoding encoding, std::u16string_view text) {
    std::string bytes;
    MyLibrary::Encode(encoding, text, bytes);
    return bytes;
}

using MyLibrary::Testing::RandomTexts;

}  // namespace BlankwiseCli::Testing
