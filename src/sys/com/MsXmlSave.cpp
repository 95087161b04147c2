#include "sys/com/MsXml.h"

#include "core/Format.h"
#include "core/Handle.h"
#include "core/SystemError.h"
#include "core/Text.h"

using Microsoft::WRL::ComPtr;

// Writing a document back as text, re-indented: the DOM's own text has no line breaks once the
// blanks between elements were dropped when it was read.
namespace {

std::wstring Escaped(const std::wstring& text, bool attribute) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
        case L'&':
            out += L"&amp;";
            break;
        case L'<':
            out += L"&lt;";
            break;
        case L'>':
            out += L"&gt;";
            break;
        case L'"':
            out += attribute ? L"&quot;" : L"\"";
            break;
        case L'\t':
        case L'\n':
        case L'\r':
            // Attribute values keep them only as references.
            out += attribute ? Format(L"&#%d;", {static_cast<int>(c)}) : std::wstring(1, c);
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool IsText(const TXmlNode& node) {
    DOMNodeType type = node.NodeType();
    return type == NODE_TEXT || type == NODE_CDATA_SECTION;
}

std::wstring TextOf(const TXmlNode& node) {
    return node.NodeType() == NODE_TEXT ? Escaped(node.Text(), false) : node.Xml();
}

std::wstring StartTag(const TXmlNode& node) {
    std::wstring tag = L"<" + node.NodeName();
    for (const std::wstring& attribute : node.AttributeNames())
        tag += L" " + attribute + L"=\"" + Escaped(node.Attribute(attribute).value_or(L""), true) +
               L"\"";
    return tag;
}

// Content with text in it is written as it is: blanks added there would become text.
std::wstring Inline(const TXmlNode& node) {
    if (!node.IsElement())
        return IsText(node) ? TextOf(node) : node.Xml();
    const int count = node.ChildCount();
    if (count == 0)
        return StartTag(node) + L"/>";
    std::wstring out = StartTag(node) + L">";
    for (int i = 0; i < count; ++i)
        out += Inline(node.Child(i));
    return out + L"</" + node.NodeName() + L">";
}

void WriteNode(const TXmlNode& node, int depth, std::wstring& out) {
    const std::wstring indent(static_cast<size_t>(depth) * 2, L' ');
    const int count = node.ChildCount();
    bool hasText = false;
    for (int i = 0; i < count && !hasText; ++i)
        hasText = IsText(node.Child(i));
    if (!node.IsElement() || count == 0 || hasText) {
        out += indent + Inline(node) + L"\r\n";
        return;
    }
    out += indent + StartTag(node) + L">\r\n";
    for (int i = 0; i < count; ++i)
        WriteNode(node.Child(i), depth + 1, out);
    out += indent + L"</" + node.NodeName() + L">\r\n";
}

} // namespace

void TXmlDocument::Save(const std::wstring& FileName) const {
    ComPtr<IXMLDOMNode> root;
    CheckHResult(
        FDoc->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(root.GetAddressOf())),
        L"IXMLDOMDocument.QueryInterface(IXMLDOMNode) failed");
    const TXmlNode document(root);
    std::wstring text = L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    for (int i = 0, count = document.ChildCount(); i < count; ++i) {
        TXmlNode child = document.Child(i);
        // The declaration is written above, with the encoding the file really has.
        if (child.NodeType() == NODE_PROCESSING_INSTRUCTION && child.NodeName() == L"xml")
            continue;
        WriteNode(child, 0, text);
    }
    const std::string bytes = WideToUtf8(text);
    TFileHandle file(CreateFileW(FileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        RaiseSystemError(Format(L"Cannot create file \"%s\"", {FileName}), GetLastError());
    DWORD written = 0;
    CheckBool(
        WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size(),
        Format(L"Cannot write file \"%s\"", {FileName}));
}
