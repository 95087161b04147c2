#pragma once
#include <string>
#include <vector>

// An INI file read and written through the platform's profile routines, as the suite's other
// programs read and write it. Booleans are written "0" or "1" and read as integers, non-zero
// meaning True; integers are decimal, also read in hexadecimal after "0x" or "$"; a value
// that is no integer reads as the default.
class TIniFile {
public:
    // A name without folder is looked for in the Windows folder, as the platform does.
    explicit TIniFile(std::wstring FileName) : FFileName(std::move(FileName)) {}

    const std::wstring& FileName() const { return FFileName; }

    // A section exists when it holds at least one key.
    bool SectionExists(const std::wstring& Section) const;
    std::vector<std::wstring> ReadSection(const std::wstring& Section) const;
    bool ValueExists(const std::wstring& Section, const std::wstring& Ident) const;

    // Default when the key is missing; a key with no text reads as the empty text.
    std::wstring ReadString(const std::wstring& Section, const std::wstring& Ident,
                            const std::wstring& Default) const;
    int ReadInteger(const std::wstring& Section, const std::wstring& Ident, int Default) const;
    bool ReadBool(const std::wstring& Section, const std::wstring& Ident, bool Default) const;

    // Each raises "Cannot write to "<file>" (<system text>)" when the file cannot be written.
    void WriteString(const std::wstring& Section, const std::wstring& Ident,
                     const std::wstring& Value);
    void WriteInteger(const std::wstring& Section, const std::wstring& Ident, int Value);
    void WriteBool(const std::wstring& Section, const std::wstring& Ident, bool Value);
    void EraseSection(const std::wstring& Section);
    // Writes what the platform still holds in its cache to the file.
    void UpdateFile();

private:
    std::wstring FFileName;
};

// The integer of an INI text: decimal, or hexadecimal after "0x" or "$"; none otherwise.
bool TryIniInteger(const std::wstring& Text, int& Value);
