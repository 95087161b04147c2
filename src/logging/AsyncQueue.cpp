#include "logging/AsyncQueue.h"
#include "logging/Logger.h"

std::unique_ptr<TAsyncMsg> TAsyncQueue::Pop() {
    if (FItems.empty())
        return nullptr;
    std::unique_ptr<TAsyncMsg> entry = std::move(FItems.front());
    FItems.pop_front();
    return entry;
}

void TAsyncQueue::WriteAll(TNvLogger& ALogger) {
    while (std::unique_ptr<TAsyncMsg> entry = Pop())
        WriteQueuedReported(ALogger, *entry);
}

void WriteQueuedReported(TNvLogger& ALogger, const TAsyncMsg& entry) {
    try {
        ALogger.WriteQueued(entry);
    } catch (const std::exception& e) {
        ReportError(L"TAsyncThread exception (%s)", {ExceptionMessage(e)});
    } catch (...) {
        ReportError(L"TAsyncThread exception (%s)", {L"unknown exception"});
    }
}
