#pragma once
#include <windows.h>

#include <msxml2.h>
#include <wrl/client.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// One node of a parsed document, or none (Assigned() false). Copies share the node.
class TXmlNode {
public:
    TXmlNode() = default;
    explicit TXmlNode(Microsoft::WRL::ComPtr<IXMLDOMNode> Node) : FNode(std::move(Node)) {}

    bool Assigned() const { return FNode != nullptr; }
    // "#text" for a text node, "#comment" for a comment, as the DOM names them.
    std::wstring NodeName() const;
    DOMNodeType NodeType() const;
    bool IsElement() const { return NodeType() == NODE_ELEMENT; }
    bool IsComment() const { return NodeType() == NODE_COMMENT; }
    // The node's text with the text of all its descendants.
    std::wstring Text() const;

    // The attribute's value; nothing when the node is no element or lacks the attribute.
    std::optional<std::wstring> Attribute(const std::wstring& Name) const;
    bool HasAttribute(const std::wstring& Name) const { return Attribute(Name).has_value(); }
    // Names of all attributes, in document order.
    std::vector<std::wstring> AttributeNames() const;

    int ChildCount() const;
    // The child at Index (0-based); none when Index is out of range.
    TXmlNode Child(int Index) const;
    // The first child element named Name (exact name); none when there is none.
    TXmlNode FirstChildElement(const std::wstring& Name) const;
    // The node written as XML text, as the DOM writes it.
    std::wstring Xml() const;

    // Editing an element. A refusal of the DOM raises "<call> failed (<system text>)".
    // A new child element named Name, after the last child.
    TXmlNode AppendElement(const std::wstring& Name) const;
    void SetAttribute(const std::wstring& Name, const std::wstring& Value) const;
    // Replaces the children by the text.
    void SetText(const std::wstring& Value) const;
    // Replaces the children by a CDATA section: its text keeps its blanks when read.
    void SetCData(const std::wstring& Value) const;
    void RemoveAttributes() const;
    void RemoveChildren() const;

private:
    Microsoft::WRL::ComPtr<IXMLDOMNode> FNode;
};

// A document parsed by MSXML 6. COM must be initialised on the calling thread (TComInit).
// Comments stay as nodes; text made only of white space between elements is dropped.
class TXmlDocument {
public:
    // Raises "XML parse error: <reason> (line <n>)" for text that is not well-formed XML.
    static std::unique_ptr<TXmlDocument> Parse(const std::wstring& Text);
    // Reads a file in the encoding it declares. A missing file raises "Cannot open file
    // "<name>" (<system text>)", one that is not well-formed "XML parse error: <reason> (line
    // <n>)".
    static std::unique_ptr<TXmlDocument> Load(const std::wstring& FileName);

    TXmlNode DocumentElement() const;
    // Writes the document re-indented (one element per line, two blanks per level) as UTF-8
    // without byte order mark.
    void Save(const std::wstring& FileName) const;

private:
    explicit TXmlDocument(Microsoft::WRL::ComPtr<IXMLDOMDocument> Doc) : FDoc(std::move(Doc)) {}

    Microsoft::WRL::ComPtr<IXMLDOMDocument> FDoc;
};
