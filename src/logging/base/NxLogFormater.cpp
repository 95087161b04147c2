#include "logging/base/NxLogFormater.h"
#include "core/Text.h"

#include <iterator>

namespace {

struct TLevelText {
    const wchar_t* Text;
    TNxLoggerLevel Level;
};

// Accepted texts in the order they are tried.
const TLevelText AcceptedLevels[] = {
    {L"trace", NXLL_TRACE},    {L"finest", NXLL_TRACE},    {L"debug", NXLL_DEBUG},
    {L"info", NXLL_INFO},      {L"warn", NXLL_WARN},       {L"warning", NXLL_WARN},
    {L"error", NXLL_ERROR},    {L"exception", NXLL_ERROR}, {L"fatal", NXLL_FATAL},
    {L"critical", NXLL_FATAL},
};

const wchar_t* const LevelTexts[] = {L"trace", L"debug", L"info", L"warn", L"error", L"fatal"};

const wchar_t* const CategoryTexts[] = {
    L"none",     L"options",   L"running", L"calculating", L"fastrunning", L"startup",
    L"shutdown", L"reference", L"com",     L"dcom",        L"plugin",
};

} // namespace

TNxLoggerLevel TNxLogFormater::convertToLevel(const std::wstring& aString) {
    std::wstring text = AsciiLower(aString);
    for (const auto& entry : AcceptedLevels)
        if (text == entry.Text)
            return entry.Level;
    return NXLL_FATAL;
}

std::wstring TNxLogFormater::convertLevelToString(TNxLoggerLevel aLevel, bool isException) {
    if (aLevel == NXLL_ERROR && isException)
        return L"exception";
    if (aLevel >= std::size(LevelTexts))
        return {};
    return LevelTexts[aLevel];
}

TNxLoggerCategory TNxLogFormater::convertToCategory(const std::wstring& aString) {
    std::wstring text = AsciiLower(aString);
    for (size_t i = NXLCAT_OPTIONS; i < std::size(CategoryTexts); ++i)
        if (text == CategoryTexts[i])
            return static_cast<TNxLoggerCategory>(i);
    return NXLCAT_NONE;
}

std::wstring TNxLogFormater::convertCategoryToString(TNxLoggerCategory aCategory) {
    if (aCategory >= std::size(CategoryTexts))
        return {};
    return CategoryTexts[aCategory];
}
