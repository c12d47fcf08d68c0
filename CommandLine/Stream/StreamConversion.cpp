#include "CommandLine/Stream/StreamConversion.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <thread>
#include <utility>

#include "CommandLine/Stream/Piece.h"
#include "CommandLine/Stream/PieceConverter.h"
#include "CommandLine/Stream/PieceQueue.h"
#include "CommandLine/Stream/PieceReader.h"

namespace BlankwiseCli {

std::size_t DefaultHelperThreads() {
    const unsigned processors = std::thread::hardware_concurrency();
    return processors > 1 ? std::min<std::size_t>(processors - 1, 3) : 0;
}

StreamOutcome ConvertStream(ByteSource& source, ByteSink* sink, const StreamSettings& settings) {
    StreamOutcome outcome;
    outcome.encoding = settings.encoding;
    PieceReader reader(source, settings);
    const std::string_view mark = reader.Start(outcome);
    if (!mark.empty() && sink != nullptr) {
        sink->Write(mark, true);
    }
    const bool writes = sink != nullptr;
    PieceConverter converter(settings.conversionId, outcome.encoding, writes, settings);
    PieceQueue queue(settings.conversionId, outcome.encoding, writes, settings.helperThreads, settings);
    bool changed = false;
    bool inputLeft = true;
    while (true) {
        // Reads ahead while there is room, so that helpers find pieces to convert.
        if (inputLeft && !queue.Full()) {
            std::unique_ptr<Piece> piece = queue.TakeSpare();
            if (reader.Next(*piece)) {
                queue.Push(std::move(piece));
                continue;
            }
            queue.Recycle(std::move(piece));
            inputLeft = false;
        }
        if (queue.Empty()) {
            break;
        }
        std::unique_ptr<Piece> piece = queue.PopConverted(converter);
        if (piece->failure) {
            std::rethrow_exception(piece->failure);
        }
        changed = changed || piece->changed;
        if (sink != nullptr && !piece->output.empty()) {
            sink->Write(ViewOf(piece->output), !changed);
        }
        if (piece->invalid) {
            outcome.invalid = true;
            outcome.errorOffset = piece->offset + piece->invalidAt;
            break;
        }
        queue.Recycle(std::move(piece));
    }
    outcome.changed = changed;
    return outcome;
}

}  // namespace BlankwiseCli
