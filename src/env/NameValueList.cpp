#include "env/NameValueList.h"

#include "core/Text.h"

std::wstring TNameValueList::Name(int Index) const {
    const std::wstring& line = FLines[Index];
    return line.substr(0, line.find(L'='));
}

int TNameValueList::IndexOfName(const std::wstring& Name) const {
    for (int index = 0; index < Count(); ++index)
        if (SameTextAscii(this->Name(index), Name))
            return index;
    return -1;
}

std::wstring TNameValueList::Value(const std::wstring& Name) const {
    int index = IndexOfName(Name);
    if (index < 0)
        return L"";
    const std::wstring& line = FLines[index];
    size_t equals = line.find(L'=');
    return equals == std::wstring::npos ? L"" : line.substr(equals + 1);
}

void TNameValueList::SetValue(const std::wstring& Name, const std::wstring& Value) {
    int index = IndexOfName(Name);
    if (Value.empty()) {
        if (index >= 0)
            FLines.erase(FLines.begin() + index);
    } else if (index >= 0) {
        FLines[index] = Name + L"=" + Value;
    } else {
        FLines.push_back(Name + L"=" + Value);
    }
}
