#include "logging/appenders/TextFileTypes.h"
#include "core/Format.h"
#include "core/Text.h"
#include "logging/support/LoggerError.h"

#include <iterator>

namespace {

const wchar_t* const RefreshRateNames[] = {L"None", L"Hourly", L"Daily", L"Weekly"};
const wchar_t* const NameFormatNames[] = {L"NameDate", L"DateName", L"NamePidDate", L"DatePidName"};

template <size_t N> int IndexOf(const wchar_t* const (&names)[N], const std::wstring& name) {
    for (size_t i = 0; i < N; ++i)
        if (SameTextAscii(name, names[i]))
            return static_cast<int>(i);
    return -1;
}

} // namespace

std::wstring RefreshRateToStr(TRefreshRate rate) {
    return rate < std::size(RefreshRateNames) ? RefreshRateNames[rate] : L"";
}

TRefreshRate StrToRefreshRate(const std::wstring& name) {
    int i = IndexOf(RefreshRateNames, name);
    if (i < 0)
        throw ELoggerError(Format(L"Unknown refresh rate type \"%s\"", {name}));
    return static_cast<TRefreshRate>(i);
}

std::wstring NameFormatToStr(TNameFormat format) {
    return format < std::size(NameFormatNames) ? NameFormatNames[format] : L"";
}

TNameFormat StrToNameFormat(const std::wstring& name) {
    int i = IndexOf(NameFormatNames, name);
    return i < 0 ? nfNameDate : static_cast<TNameFormat>(i);
}
