#pragma once
#include "logging/AsyncMsg.h"

#include <cstddef>
#include <deque>
#include <memory>

// First in, first out; owns the entries it holds and has no size limit. Not locked: its
// owner guards it.
class TAsyncQueue {
public:
    void Push(std::unique_ptr<TAsyncMsg> entry) { FItems.push_back(std::move(entry)); }
    // The first entry, taken out; none when the queue is empty.
    std::unique_ptr<TAsyncMsg> Pop();
    size_t Count() const { return FItems.size(); }
    bool Empty() const { return FItems.empty(); }

    // Writes every entry through the logger, in order. An entry that fails is reported as
    // the writer thread reports it, and the rest are still written.
    void WriteAll(TNvLogger& ALogger);

private:
    std::deque<std::unique_ptr<TAsyncMsg>> FItems;
};

// Writes one entry, reporting a failure to the event log instead of raising it.
void WriteQueuedReported(TNvLogger& ALogger, const TAsyncMsg& entry);
