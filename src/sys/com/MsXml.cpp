#include "sys/com/MsXml.h"

#include "core/Exception.h"
#include "core/Format.h"
#include "core/SystemError.h"
#include "core/Text.h"
#include "sys/files/FileSystem.h"

#include <oleauto.h>

using Microsoft::WRL::ComPtr;

namespace {

// MinGW's headers do not declare MSXML 6's document class.
const CLSID CLSID_DOMDocument60 = {
    0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};

// Owner of a BSTR the DOM hands out.
class TBstr {
public:
    TBstr() = default;
    explicit TBstr(const std::wstring& Text)
        : FValue(SysAllocStringLen(Text.data(), static_cast<UINT>(Text.size()))) {}
    ~TBstr() { SysFreeString(FValue); }
    TBstr(const TBstr&) = delete;
    TBstr& operator=(const TBstr&) = delete;

    BSTR Get() const { return FValue; }
    BSTR* Put() {
        SysFreeString(FValue);
        FValue = nullptr;
        return &FValue;
    }
    std::wstring Text() const { return FValue ? std::wstring(FValue, SysStringLen(FValue)) : L""; }

private:
    BSTR FValue = nullptr;
};

void Check(HRESULT Hr, const wchar_t* What) {
    CheckHResult(Hr, std::wstring(What) + L" failed");
}

[[noreturn]] void RaiseParseError(IXMLDOMDocument* Doc) {
    ComPtr<IXMLDOMParseError> error;
    TBstr reason;
    long line = 0;
    if (SUCCEEDED(Doc->get_parseError(&error)) && error) {
        error->get_reason(reason.Put());
        error->get_line(&line);
    }
    throw Exception(
        Format(L"XML parse error: %s (line %d)", {Trim(reason.Text()), static_cast<int>(line)}));
}

ComPtr<IXMLDOMDocument> CreateDocument() {
    ComPtr<IXMLDOMDocument> doc;
    Check(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                           reinterpret_cast<void**>(doc.GetAddressOf())),
          L"Create MSXML 6 document");
    Check(doc->put_async(VARIANT_FALSE), L"IXMLDOMDocument.async");
    Check(doc->put_preserveWhiteSpace(VARIANT_FALSE), L"IXMLDOMDocument.preserveWhiteSpace");
    Check(doc->put_validateOnParse(VARIANT_FALSE), L"IXMLDOMDocument.validateOnParse");
    Check(doc->put_resolveExternals(VARIANT_FALSE), L"IXMLDOMDocument.resolveExternals");
    return doc;
}

} // namespace

std::wstring TXmlNode::NodeName() const {
    TBstr name;
    if (FNode)
        Check(FNode->get_nodeName(name.Put()), L"IXMLDOMNode.nodeName");
    return name.Text();
}

DOMNodeType TXmlNode::NodeType() const {
    DOMNodeType type = NODE_INVALID;
    if (FNode)
        Check(FNode->get_nodeType(&type), L"IXMLDOMNode.nodeType");
    return type;
}

std::wstring TXmlNode::Text() const {
    TBstr text;
    if (FNode)
        Check(FNode->get_text(text.Put()), L"IXMLDOMNode.text");
    return text.Text();
}

std::optional<std::wstring> TXmlNode::Attribute(const std::wstring& Name) const {
    ComPtr<IXMLDOMElement> element;
    if (!FNode || FAILED(FNode->QueryInterface(IID_IXMLDOMElement,
                                               reinterpret_cast<void**>(element.GetAddressOf()))))
        return std::nullopt;
    ComPtr<IXMLDOMAttribute> attribute;
    TBstr name(Name);
    if (element->getAttributeNode(name.Get(), &attribute) != S_OK || !attribute)
        return std::nullopt;
    VARIANT value;
    VariantInit(&value);
    Check(attribute->get_value(&value), L"IXMLDOMAttribute.value");
    std::wstring text = value.vt == VT_BSTR && value.bstrVal
                            ? std::wstring(value.bstrVal, SysStringLen(value.bstrVal))
                            : std::wstring();
    VariantClear(&value);
    return text;
}

std::vector<std::wstring> TXmlNode::AttributeNames() const {
    std::vector<std::wstring> names;
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    if (!FNode || FNode->get_attributes(&attributes) != S_OK || !attributes)
        return names;
    long count = 0;
    Check(attributes->get_length(&count), L"IXMLDOMNamedNodeMap.length");
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> attribute;
        Check(attributes->get_item(i, &attribute), L"IXMLDOMNamedNodeMap.item");
        names.push_back(TXmlNode(attribute).NodeName());
    }
    return names;
}

int TXmlNode::ChildCount() const {
    if (!FNode)
        return 0;
    ComPtr<IXMLDOMNodeList> children;
    Check(FNode->get_childNodes(&children), L"IXMLDOMNode.childNodes");
    long count = 0;
    Check(children->get_length(&count), L"IXMLDOMNodeList.length");
    return static_cast<int>(count);
}

TXmlNode TXmlNode::Child(int Index) const {
    if (!FNode)
        return {};
    ComPtr<IXMLDOMNodeList> children;
    Check(FNode->get_childNodes(&children), L"IXMLDOMNode.childNodes");
    ComPtr<IXMLDOMNode> child;
    if (children->get_item(Index, &child) != S_OK)
        return {};
    return TXmlNode(child);
}

TXmlNode TXmlNode::FirstChildElement(const std::wstring& Name) const {
    for (int i = 0, count = ChildCount(); i < count; ++i) {
        TXmlNode child = Child(i);
        if (child.IsElement() && child.NodeName() == Name)
            return child;
    }
    return {};
}

std::wstring TXmlNode::Xml() const {
    TBstr xml;
    if (FNode)
        Check(FNode->get_xml(xml.Put()), L"IXMLDOMNode.xml");
    return xml.Text();
}

namespace {

ComPtr<IXMLDOMElement> ElementOf(const ComPtr<IXMLDOMNode>& Node) {
    ComPtr<IXMLDOMElement> element;
    if (Node)
        Check(Node->QueryInterface(IID_IXMLDOMElement,
                                   reinterpret_cast<void**>(element.GetAddressOf())),
              L"IXMLDOMNode.QueryInterface(IXMLDOMElement)");
    else
        RaiseComError(L"IXMLDOMElement", E_POINTER);
    return element;
}

} // namespace

TXmlNode TXmlNode::AppendElement(const std::wstring& Name) const {
    ComPtr<IXMLDOMElement> parent = ElementOf(FNode);
    ComPtr<IXMLDOMDocument> doc;
    Check(FNode->get_ownerDocument(&doc), L"IXMLDOMNode.ownerDocument");
    ComPtr<IXMLDOMElement> element;
    TBstr name(Name);
    Check(doc->createElement(name.Get(), &element), L"IXMLDOMDocument.createElement");
    ComPtr<IXMLDOMNode> added;
    Check(FNode->appendChild(element.Get(), &added), L"IXMLDOMNode.appendChild");
    return TXmlNode(added);
}

void TXmlNode::SetAttribute(const std::wstring& Name, const std::wstring& Value) const {
    ComPtr<IXMLDOMElement> element = ElementOf(FNode);
    TBstr name(Name);
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocStringLen(Value.data(), static_cast<UINT>(Value.size()));
    HRESULT hr = element->setAttribute(name.Get(), value);
    VariantClear(&value);
    Check(hr, L"IXMLDOMElement.setAttribute");
}

void TXmlNode::SetText(const std::wstring& Value) const {
    ElementOf(FNode);
    TBstr text(Value);
    Check(FNode->put_text(text.Get()), L"IXMLDOMNode.text");
}

void TXmlNode::SetCData(const std::wstring& Value) const {
    RemoveChildren();
    ComPtr<IXMLDOMDocument> doc;
    Check(FNode->get_ownerDocument(&doc), L"IXMLDOMNode.ownerDocument");
    ComPtr<IXMLDOMCDATASection> section;
    TBstr text(Value);
    Check(doc->createCDATASection(text.Get(), &section), L"IXMLDOMDocument.createCDATASection");
    ComPtr<IXMLDOMNode> added;
    Check(FNode->appendChild(section.Get(), &added), L"IXMLDOMNode.appendChild");
}

void TXmlNode::RemoveAttributes() const {
    ComPtr<IXMLDOMElement> element = ElementOf(FNode);
    for (const std::wstring& name : AttributeNames()) {
        TBstr attribute(name);
        Check(element->removeAttribute(attribute.Get()), L"IXMLDOMElement.removeAttribute");
    }
}

void TXmlNode::RemoveChildren() const {
    ElementOf(FNode);
    for (;;) {
        ComPtr<IXMLDOMNode> child;
        if (FNode->get_firstChild(&child) != S_OK || !child)
            return;
        ComPtr<IXMLDOMNode> removed;
        Check(FNode->removeChild(child.Get(), &removed), L"IXMLDOMNode.removeChild");
    }
}

std::unique_ptr<TXmlDocument> TXmlDocument::Parse(const std::wstring& Text) {
    ComPtr<IXMLDOMDocument> doc = CreateDocument();
    TBstr text(Text);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    Check(doc->loadXML(text.Get(), &loaded), L"IXMLDOMDocument.loadXML");
    if (loaded != VARIANT_TRUE)
        RaiseParseError(doc.Get());
    return std::unique_ptr<TXmlDocument>(new TXmlDocument(doc));
}

std::unique_ptr<TXmlDocument> TXmlDocument::Load(const std::wstring& FileName) {
    // The parser's reason for a file it cannot read says nothing of the file.
    if (FileSystem::Attributes(FileName) == INVALID_FILE_ATTRIBUTES)
        RaiseSystemError(Format(L"Cannot open file \"%s\"", {FileName}), GetLastError());
    ComPtr<IXMLDOMDocument> doc = CreateDocument();
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocStringLen(FileName.data(), static_cast<UINT>(FileName.size()));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr = doc->load(source, &loaded);
    VariantClear(&source);
    Check(hr, L"IXMLDOMDocument.load");
    if (loaded != VARIANT_TRUE)
        RaiseParseError(doc.Get());
    return std::unique_ptr<TXmlDocument>(new TXmlDocument(doc));
}

TXmlNode TXmlDocument::DocumentElement() const {
    ComPtr<IXMLDOMElement> root;
    Check(FDoc->get_documentElement(&root), L"IXMLDOMDocument.documentElement");
    ComPtr<IXMLDOMNode> node;
    if (root)
        root->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(node.GetAddressOf()));
    return TXmlNode(node);
}
