#include "logging/NxLoggerCollection.h"

TNxLoggerCollectionItem& TNxLoggerCollection::Add(TNxLogAppender* aAppender) {
    return fItems.emplace_back(aAppender);
}
