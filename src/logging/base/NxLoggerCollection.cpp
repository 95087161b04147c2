#include "logging/base/NxLoggerCollection.h"

TNxLoggerCollectionItem& TNxLoggerCollection::Add(TNxLogAppender* aAppender) {
    return fItems.emplace_back(aAppender);
}
