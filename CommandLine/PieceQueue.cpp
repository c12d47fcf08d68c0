#include "CommandLine/PieceQueue.h"

#include <utility>

#include "CommandLine/FileAccess.h"

namespace BlankwiseCli {
namespace {

// Pieces read but not yet written, per converting thread.
constexpr std::size_t kPiecesPerThread = 2;

}  // namespace

PieceQueue::PieceQueue(int conversionId, MyLibrary::Encoding encoding, bool writes, std::size_t helpers,
                       const StreamSettings& settings)
    : conversionId_(conversionId),
      encoding_(encoding),
      writes_(writes),
      helpers_(helpers),
      settings_(settings) {}

PieceQueue::~PieceQueue() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    waiting_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

bool PieceQueue::Full() const {
    return queue_.size() >= kPiecesPerThread * (helpers_ + 1);
}

std::unique_ptr<Piece> PieceQueue::TakeSpare() {
    if (spare_.empty()) {
        return std::make_unique<Piece>();
    }
    std::unique_ptr<Piece> piece = std::move(spare_.back());
    spare_.pop_back();
    return piece;
}

void PieceQueue::Push(std::unique_ptr<Piece> piece) {
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(std::move(piece));
    }
    // The queue's length without the lock, and the threads: the calling thread's own.
    if (queue_.size() > 1 && threads_.size() < helpers_) {
        threads_.push_back(StartThreadWithoutEndingSignals([this] { Help(); }));
    }
    waiting_.notify_one();
}

std::unique_ptr<Piece> PieceQueue::PopConverted(PieceConverter& converter) {
    std::unique_lock lock(mutex_);
    while (queue_.front()->state != Piece::State::Converted) {
        if (Piece* piece = TakeWaiting()) {
            lock.unlock();
            converter.Convert(*piece);
            lock.lock();
            piece->state = Piece::State::Converted;
            continue;
        }
        converted_.wait(lock);
    }
    std::unique_ptr<Piece> piece = std::move(queue_.front());
    queue_.pop_front();
    return piece;
}

// Under the lock: marks the first waiting piece as being converted and returns it.
Piece* PieceQueue::TakeWaiting() {
    for (const auto& piece : queue_) {
        if (piece->state == Piece::State::Waiting) {
            piece->state = Piece::State::Converting;
            return piece.get();
        }
    }
    return nullptr;
}

// A helper thread: converts waiting pieces, each with the lock let go, until the queue stops.
void PieceQueue::Help() {
    PieceConverter converter(conversionId_, encoding_, writes_, settings_);
    std::unique_lock lock(mutex_);
    while (true) {
        Piece* piece = nullptr;
        waiting_.wait(lock, [&] { return stopping_ || (piece = TakeWaiting()) != nullptr; });
        if (piece == nullptr) {
            return;
        }
        lock.unlock();
        converter.Convert(*piece);
        lock.lock();
        piece->state = Piece::State::Converted;
        converted_.notify_one();
    }
}

}  // namespace BlankwiseCli
