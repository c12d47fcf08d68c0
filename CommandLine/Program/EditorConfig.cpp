#include "CommandLine/Program/EditorConfig.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "CommandLine/Program/ConversionNames.h"
#include "CommandLine/Program/TabStopList.h"
#include "MyLibrary/Encoding/TextCodec.h"

namespace BlankwiseCli {
namespace {

constexpr std::int32_t kDefaultTabWidth = 8;  // EditorConfig's, where neither width is given

std::optional<std::string_view> Property(const std::vector<std::pair<std::string, std::string>>& properties,
                                         std::string_view name) {
    const auto found = std::find_if(properties.begin(), properties.end(),
                                    [name](const auto& property) { return property.first == name; });
    return found != properties.end() ? std::optional<std::string_view>(found->second) : std::nullopt;
}

// A width EditorConfig takes: a whole number, here from 1 up to the largest tab stop. Anything
// else (tab, unset, 0, 4x) is no width, as EditorConfig ignores a value it does not know.
std::optional<std::int32_t> Width(std::optional<std::string_view> value) {
    if (!value || value->empty()) {
        return std::nullopt;
    }
    std::int32_t width = 0;
    const char* end = value->data() + value->size();
    const auto [last, error] = std::from_chars(value->data(), end, width);
    if (error != std::errc() || last != end || width < 1 || width > kMaxTabStop) {
        return std::nullopt;
    }
    return width;
}

}  // namespace

EditorConfigPlan PlanFromEditorConfig(const std::string& path, const StreamSettings& commandLine,
                                      bool encodingGiven) {
    const auto properties = EditorConfigProperties(path);
    const auto style = Property(properties, "indent_style");
    if (style != "space" && style != "tab") {
        return {};  // no indentation asked for: nothing to convert
    }
    EditorConfigPlan plan;
    StreamSettings& settings = plan.settings.emplace(commandLine);
    settings.conversionId = *ConversionIdFromName(style == "space" ? "tabs-to-spaces" : "spaces-to-tabs");
    settings.initialOnly = true;
    // indent_size = tab stands for tab_width, which libeditorconfig then fills in; tab_width
    // defaults to a numeric indent_size likewise. Both are asked here too, not to depend on it.
    const auto width = Width(Property(properties, "tab_width"));
    settings.tabStops = Blankwise::TabStops::Every(
        width ? *width : Width(Property(properties, "indent_size")).value_or(kDefaultTabWidth));
    const auto charset = Property(properties, "charset");
    if (encodingGiven || !charset || charset == "unset") {
        return plan;
    }
    if (charset == "utf-8" || charset == "utf-8-bom") {
        settings.encoding = MyLibrary::Encoding::Utf8;
        plan.utf8MarkRequired = charset == "utf-8-bom";
    } else if (charset == "utf-16le" || charset == "utf-16be") {
        settings.encoding = *MyLibrary::EncodingFromName(*charset);
    } else {
        // latin1, or a name EditorConfig does not define: its bytes could be anything (utf-16
        // without a mark holds NUL bytes that pass for UTF-8), so nothing is converted.
        plan.refusal =
            "charset " + std::string(*charset) + " (.editorconfig) is not supported; left as it is";
    }
    return plan;
}

Utf8MarkCheck::Utf8MarkCheck(ByteSource& source, std::string start)
    : marked_(start == MyLibrary::ByteOrderMark(MyLibrary::Encoding::Utf8) || start.empty()),
      replay_(std::move(start), kUtf8MarkBytes, source) {}

}  // namespace BlankwiseCli
