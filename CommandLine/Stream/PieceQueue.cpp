#include "CommandLine/Stream/PieceQueue.h"

#include <chrono>
#include <new>
#include <optional>
#include <system_error>
#include <utility>

#include "CommandLine/System/Threads.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace BlankwiseCli {
namespace {

// Pieces read but not yet written, per converting thread.
constexpr std::size_t kPiecesPerThread = 2;

// How long a thread watches for a change before it sleeps: about what converting a piece takes.
constexpr std::chrono::microseconds kSpin{50};

}  // namespace

PieceQueue::PieceQueue(int conversionId, MyLibrary::Encoding encoding, bool writes, std::size_t helpers,
                       const StreamSettings& settings)
    : conversionId_(conversionId),
      encoding_(encoding),
      writes_(writes),
      helpers_(helpers),
      settings_(settings),
      spins_(helpers + 1 <= std::thread::hardware_concurrency()) {
    // A thread started is never dropped by a push_back that cannot grow the vector.
    threads_.reserve(helpers_);
}

PieceQueue::~PieceQueue() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        Changed();
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
        Changed();
    }
    // The queue's length without the lock, and the threads: the calling thread's own.
    if (queue_.size() > 1 && threads_.size() < helpers_) {
        try {
            threads_.push_back(StartThreadWithoutEndingSignals([this] { Help(); }));
        } catch (const std::system_error&) {
            helpers_ = threads_.size();  // the system has no thread more to give: fewer convert
        } catch (const std::bad_alloc&) {
            helpers_ = threads_.size();
        }
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
        // No piece waits, and none can come while this thread waits: only the first one's
        // conversion, by a helper, can let it go on.
        const auto firstConverted = [this] { return queue_.front()->state == Piece::State::Converted; };
        if (!SpinUntilChanged(lock) || !firstConverted()) {
            converted_.wait(lock, firstConverted);
        }
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
    std::optional<PieceConverter> converter;
    try {
        converter.emplace(conversionId_, encoding_, writes_, settings_);
    } catch (const std::bad_alloc&) {
        return;  // the other threads convert without this one
    }
    std::unique_lock lock(mutex_);
    while (true) {
        Piece* piece = nullptr;
        const auto ready = [&] { return stopping_ || (piece = TakeWaiting()) != nullptr; };
        if (!ready() && (!SpinUntilChanged(lock) || !ready())) {
            waiting_.wait(lock, ready);
        }
        if (piece == nullptr) {
            return;
        }
        lock.unlock();
        converter->Convert(*piece);
        lock.lock();
        piece->state = Piece::State::Converted;
        Changed();
        converted_.notify_one();
    }
}

// Under the lock: something another thread may be waiting for has happened.
void PieceQueue::Changed() {
    changes_.store(changes_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

// Under the lock, which it lets go meanwhile: watches for a change for a moment, where each thread
// has a processor to itself. Returns whether there was one, with the lock taken again.
bool PieceQueue::SpinUntilChanged(std::unique_lock<std::mutex>& lock) {
    if (!spins_) {
        return false;
    }
    const unsigned seen = changes_.load(std::memory_order_relaxed);
    lock.unlock();
    const auto until = std::chrono::steady_clock::now() + kSpin;
    bool changed = false;
    for (unsigned round = 1; !changed; ++round) {
#if BLANKWISE_HAS_SSE2
        _mm_pause();
#endif
        changed = changes_.load(std::memory_order_acquire) != seen;
        if (round % 64 == 0 && std::chrono::steady_clock::now() >= until) {
            break;
        }
    }
    lock.lock();
    return changed || changes_.load(std::memory_order_relaxed) != seen;
}

}  // namespace BlankwiseCli
