#pragma once
#include "core/Object.h"

// Base of objects that can take over the state of another object of their kind.
class TPersistent : public TObject {
public:
    // Copies Source into this object; raises EConvertError "Cannot assign a %s to a %s"
    // when this class does not know Source's class.
    virtual void Assign(const TPersistent& Source);

protected:
    [[noreturn]] void AssignError(const TPersistent& Source) const;
};
