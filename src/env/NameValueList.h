#pragma once
#include <string>
#include <vector>

// Ordered lines "name=value" with names looked up ignoring ASCII case. A name set to the empty
// text loses its line, so no line ever holds an empty value.
class TNameValueList {
public:
    // The value of the first line of that name; empty when there is none.
    std::wstring Value(const std::wstring& Name) const;
    void SetValue(const std::wstring& Name, const std::wstring& Value);

    int Count() const { return static_cast<int>(FLines.size()); }
    // The text before the line's first "=".
    std::wstring Name(int Index) const;
    void Clear() { FLines.clear(); }

private:
    int IndexOfName(const std::wstring& Name) const;

    std::vector<std::wstring> FLines;
};
