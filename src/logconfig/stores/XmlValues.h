#pragma once
#include "sys/com/MsXml.h"

#include <string>

// Value forms of the XML store. A Boolean is written "True" or "False" and read as the words
// True and False in any case or as a number, 0 meaning False; any other text reads as the
// default. An integer is decimal text; any other text fails the read.
std::wstring XmlBool(bool value);
bool XmlToBool(const std::wstring& text, bool Default);
// Raises EConvertError "'<text>' is not a valid integer value".
int XmlToInt(const std::wstring& text);

// An attribute read by those rules; Default when the element lacks it.
bool XmlAttrBool(const TXmlNode& node, const std::wstring& name, bool Default);
int XmlAttrInt(const TXmlNode& node, const std::wstring& name, int Default);

// Sets an element's text. A text that begins or ends with a blank is written as a CDATA
// section, so that it reads back as it was.
void XmlSetText(const TXmlNode& node, const std::wstring& text);

// The child element named Name, appended when there is none.
TXmlNode XmlChild(const TXmlNode& node, const std::wstring& name);
// The child element named Name with its children removed, appended when there is none.
TXmlNode XmlEmptyChild(const TXmlNode& node, const std::wstring& name);
