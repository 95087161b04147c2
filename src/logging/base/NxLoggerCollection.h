#pragma once
#include "logging/base/NxLogAppender.h"

#include <vector>

// One entry of the appender list; refers to its appender without owning it.
class TNxLoggerCollectionItem {
public:
    explicit TNxLoggerCollectionItem(TNxLogAppender* aAppender) : fAppender(aAppender) {}
    TNxLogAppender* getAppender() const { return fAppender; }
    void setAppender(TNxLogAppender* aAppender) { fAppender = aAppender; }
    void append(TNxLoggerMessage& aEvent) {
        if (fAppender)
            fAppender->append(aEvent);
    }

private:
    TNxLogAppender* fAppender;
};

// The ordered appender list of a logger.
class TNxLoggerCollection {
public:
    TNxLoggerCollectionItem& Add(TNxLogAppender* aAppender);
    size_t Count() const { return fItems.size(); }
    TNxLoggerCollectionItem& Item(size_t index) { return fItems[index]; }

private:
    std::vector<TNxLoggerCollectionItem> fItems;
};
