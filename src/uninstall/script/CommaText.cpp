#include "uninstall/script/CommaText.h"

#include "sys/shared/StrUtils.h"

namespace {

bool IsBlank(wchar_t c) {
    return c >= 1 && c <= L' ';
}

class TCommaReader {
public:
    explicit TCommaReader(const std::wstring& Text) : FText(Text) {}

    std::vector<std::wstring> Items() {
        std::vector<std::wstring> items;
        SkipBlanks();
        while (!AtEnd()) {
            items.push_back(Peek() == L'"' ? Quoted() : Plain());
            SkipBlanks();
            if (Peek() == L',') {
                if (FPos + 1 == FText.size())
                    items.emplace_back();
                ++FPos;
                SkipBlanks();
            }
        }
        return items;
    }

private:
    bool AtEnd() const { return FPos >= FText.size(); }
    wchar_t Peek() const { return AtEnd() ? L'\0' : FText[FPos]; }
    void SkipBlanks() {
        while (!AtEnd() && IsBlank(FText[FPos]))
            ++FPos;
    }

    std::wstring Plain() {
        size_t start = FPos;
        while (!AtEnd() && FText[FPos] > L' ' && FText[FPos] != L',')
            ++FPos;
        return FText.substr(start, FPos - start);
    }

    // From the opening quote to the closing one; an unclosed quote runs to the end.
    std::wstring Quoted() {
        std::wstring item;
        for (++FPos; !AtEnd(); ++FPos) {
            if (FText[FPos] != L'"') {
                item += FText[FPos];
            } else if (FPos + 1 < FText.size() && FText[FPos + 1] == L'"') {
                item += L'"';
                ++FPos;
            } else {
                ++FPos;
                break;
            }
        }
        return item;
    }

    const std::wstring& FText;
    size_t FPos = 0;
};

} // namespace

std::vector<std::wstring> CommaTextList(const std::wstring& Text, bool SemicolonSeparates) {
    if (!SemicolonSeparates)
        return TCommaReader(Text).Items();
    std::wstring text = TString::Replace(Text, L";", L",", rfReplaceAll | rfIgnoreCase);
    return TCommaReader(text).Items();
}
