#include "uninstall/script/RegularExpression.h"

#include "core/Format.h"
#include "core/Text.h"

#include <boost/regex.hpp>

struct TRegularExpression::TCompiled {
    boost::wregex Expression;
};

TRegularExpression::TRegularExpression(const std::wstring& Expression) {
    try {
        FCompiled =
            std::make_unique<TCompiled>(TCompiled{boost::wregex(Expression, boost::regex::perl)});
    } catch (const std::exception& e) {
        throw ERegularExpressionError(
            Format(L"Invalid regular expression \"%s\" (%s)", {Expression, AnsiToWide(e.what())}));
    }
}

TRegularExpression::~TRegularExpression() = default;

bool TRegularExpression::Found(const std::wstring& Text) const {
    // An expression too costly for a text raises, as a malformed one does.
    try {
        return boost::regex_search(Text, FCompiled->Expression);
    } catch (const std::exception& e) {
        throw ERegularExpressionError(
            Format(L"Regular expression failed on \"%s\" (%s)", {Text, AnsiToWide(e.what())}));
    }
}
