#include "core/Exception.h"
#include "core/Text.h"

Exception::Exception(std::wstring message)
    : FMessage(std::move(message)), FNarrow(WideToUtf8(FMessage)) {}

std::wstring ExceptionMessage(const std::exception& e) {
    if (auto own = dynamic_cast<const Exception*>(&e))
        return own->Message();
    return Utf8ToWide(e.what());
}
