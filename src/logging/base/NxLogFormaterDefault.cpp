#include "logging/base/NxLogFormaterDefault.h"
#include "logging/support/Base64.h"

#include <vector>

namespace {

std::wstring NoBars(std::wstring text) {
    for (auto& c : text)
        if (c == L'|')
            c = L'-';
    return text;
}

std::vector<std::wstring> SplitAt(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::wstring::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

// The formatter writes milliseconds after the seconds; the date reader stops before them.
std::optional<TDateTime> ReadTimestamp(const std::wstring& text, const TFormatSettings& settings) {
    size_t blank = text.find(L' ');
    size_t dot = blank == std::wstring::npos ? std::wstring::npos : text.find(L'.', blank);
    auto value = StrToDateTime(text.substr(0, dot), settings);
    if (!value || dot == std::wstring::npos)
        return value;
    int ms = 0;
    size_t digits = 0;
    for (size_t i = dot + 1; i < text.size() && iswdigit(text[i]) && digits < 3; ++i, ++digits)
        ms = ms * 10 + (text[i] - L'0');
    if (dot + 1 + digits != text.size())
        return std::nullopt;
    return *value + ms / 86400000.0;
}

} // namespace

std::wstring TNxLogFormaterDefault::formatMessage(const TNxLoggerMessage& aMessage) {
    return formatLine(aMessage, false);
}

std::wstring TNxLogFormaterDefault::formatMessageBase64(const TNxLoggerMessage& aMessage) {
    return formatLine(aMessage, true);
}

std::unique_ptr<TNxLoggerMessage>
TNxLogFormaterDefault::parseMessage(const std::wstring& aMessageText) {
    return parseLine(aMessageText, false);
}

std::unique_ptr<TNxLoggerMessage>
TNxLogFormaterDefault::parseMessageBase64(const std::wstring& aMessageText) {
    return parseLine(aMessageText, true);
}

std::wstring TNxLogFormaterDefault::formatLine(const TNxLoggerMessage& aMessage, bool base64) {
    auto text = [base64](const std::wstring& v) {
        return base64 ? EncodeBase64(v) : NoBars(v);
    };
    std::wstring level =
        convertLevelToString(aMessage.getLevel(), aMessage.getException() != nullptr);
    if (!aMessage.getModule().empty())
        level += L"." + text(aMessage.getModule());
    std::wstring line = text(aMessage.getApplicationId());
    line += L"|" + DateTimeToStr(aMessage.getTimestamp(), fFormatSettings);
    line += L"|" + level;
    line += L"|" + text(aMessage.getMessage());
    line += L"|" + text(aMessage.getInstanceId());
    line += L"|" + text(aMessage.getLogUser());
    line += L"|" + text(aMessage.getCategory());
    line += L"|" + NoBars(aMessage.getLanguage());
    line += L"|" + NoBars(aMessage.getThreadId());
    return line;
}

std::unique_ptr<TNxLoggerMessage> TNxLogFormaterDefault::parseLine(const std::wstring& aMessageText,
                                                                   bool base64) {
    if (aMessageText.empty())
        return nullptr;
    std::vector<std::wstring> fields = SplitAt(aMessageText, L'|');
    if (fields.size() < 4)
        return nullptr;
    auto timestamp = ReadTimestamp(fields[1], fFormatSettings);
    if (!timestamp || fields[2].empty())
        return nullptr;
    auto text = [base64](const std::wstring& v) {
        return base64 ? DecodeBase64(v) : v;
    };
    auto field = [&fields](size_t i) {
        return i < fields.size() ? fields[i] : std::wstring();
    };
    size_t dot = fields[2].find(L'.');
    std::wstring module = dot == std::wstring::npos ? L"" : text(fields[2].substr(dot + 1));
    auto message = std::make_unique<TNxLoggerMessage>(
        text(fields[0]), text(field(4)), text(field(5)), convertToLevel(fields[2].substr(0, dot)),
        module, text(fields[3]), text(field(6)), field(7), field(8), nullptr);
    message->setLogTimestamp(*timestamp);
    return message;
}
