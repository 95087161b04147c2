#include "core/Persistent.h"
#include "core/Exception.h"

void TPersistent::Assign(const TPersistent& Source) {
    AssignError(Source);
}

void TPersistent::AssignError(const TPersistent& Source) const {
    throw EConvertError(L"Cannot assign a " + Source.ClassName() + L" to a " + ClassName());
}
