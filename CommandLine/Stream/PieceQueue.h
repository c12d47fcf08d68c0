#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "CommandLine/Stream/Piece.h"
#include "CommandLine/Stream/PieceConverter.h"

namespace BlankwiseCli {

// Pieces in input order, converted by the calling thread and by helpers, written in order. The
// calling thread (the one that made the queue) reads, pushes, pops and writes; helper threads,
// started as pieces wait, only take waiting pieces, convert them and mark them converted.
class PieceQueue {
  public:
    PieceQueue(int conversionId, MyLibrary::Encoding encoding, bool writes, std::size_t helpers,
               const StreamSettings& settings);
    ~PieceQueue();
    PieceQueue(const PieceQueue&) = delete;
    PieceQueue& operator=(const PieceQueue&) = delete;

    // Whether the queue holds as many pieces as it should, or none. Read without the lock: only
    // the calling thread adds or removes pieces.
    bool Full() const;
    bool Empty() const { return queue_.empty(); }

    // Takes a spare piece to fill: one written before, with its buffers, or a new one.
    std::unique_ptr<Piece> TakeSpare();
    // Keeps a written piece for TakeSpare.
    void Recycle(std::unique_ptr<Piece> piece) { spare_.push_back(std::move(piece)); }

    // Appends a piece to convert; starts a helper when the queue holds more than one piece and
    // fewer helpers run than allowed. A helper that cannot start (no thread or memory to be had)
    // leaves the pieces to the threads that run, the calling one at least.
    void Push(std::unique_ptr<Piece> piece);

    // The first piece, once it is converted; meanwhile the calling thread converts waiting ones.
    std::unique_ptr<Piece> PopConverted(PieceConverter& converter);

  private:
    Piece* TakeWaiting();
    void Help();
    void Changed();
    bool SpinUntilChanged(std::unique_lock<std::mutex>& lock);

    int conversionId_;
    MyLibrary::Encoding encoding_;
    bool writes_;
    std::size_t helpers_;  // allowed; lowered to those that run when one cannot start
    const StreamSettings& settings_;
    std::mutex mutex_;
    std::condition_variable waiting_;    // a piece waits to be converted, or the queue stops
    std::condition_variable converted_;  // a piece has been converted
    // Changed under the lock, and only by the calling thread, which also reads its length without
    // the lock; the helpers read it and change the pieces' states under the lock.
    std::deque<std::unique_ptr<Piece>> queue_;
    // The calling thread's alone: no lock.
    std::vector<std::unique_ptr<Piece>> spare_;
    std::vector<std::thread> threads_;
    bool stopping_ = false;  // under the lock
    // Counts, under the lock, the pieces pushed and converted and the stop, so that a thread about
    // to sleep can first watch it for a moment without the lock: waking a sleeping thread takes
    // about as long as converting a piece.
    std::atomic<unsigned> changes_{0};
    bool spins_;  // each thread has a processor of its own
};

}  // namespace BlankwiseCli
