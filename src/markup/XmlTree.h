#pragma once

#include "platform/SecureMemory.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A small XML document of our own: the whole document is one UTF-8 string, and the tree is an
// index of byte offsets into it. Parsing builds the index without creating node objects or
// strings; names and texts are read from the string when asked for. Attributes are never
// parsed; declarations, processing instructions, comments and CDATA sections between elements
// are stepped over.
//
// The same class writes documents: AppendElement inserts an element at the cursor and keeps the
// index correct, so a document being built can be walked at every step.
//
// UTF-8 never puts a markup byte inside a multi-byte character, so every scan steps byte by byte.
class CXmlTree {
public:
    // One per element; entry 0 stands for the document. Offsets are byte offsets into the text.
    struct ElementSpan {
        int32_t nTagOpen = 0;     // "<" of the start tag
        int32_t nTagClose = 0;    // ">" of the start tag
        int32_t nEndOpen = 0;     // "<" of the end tag; the "/" of an empty-element tag
        int32_t nEndClose = 0;    // ">" of the end tag; for an empty-element tag the same as nTagClose
        int32_t iParent = 0;      // enclosing element, 0 for the root
        int32_t iFirstChild = 0;  // first child element, 0 if none
        int32_t iNextSibling = 0; // next element with the same parent, 0 if none

        bool operator==(const ElementSpan&) const = default;
    };

    // One token of the scanner.
    struct ScanToken {
        int32_t nFirst = 0; // first byte of the token
        int32_t nLast = 0;  // last byte of the token
        int32_t nNext = 0;  // where the next scan starts
        bool bQuoted = false;
    };

    // Offsets are 32-bit, so a document may not grow beyond this many bytes.
    static constexpr int32_t kMaxTextLength = 0x7FFFFF00;

    CXmlTree() = default;
    virtual ~CXmlTree();
    CXmlTree(const CXmlTree&) = default;
    CXmlTree& operator=(const CXmlTree&) = default;

    // Replaces the document with a copy of text and parses it; a null or empty text empties it.
    // True when a root element was parsed without error; otherwise GetParseError tells why.
    bool LoadText(const char* text);
    bool LoadText(std::string_view text);
    // The same without the copy: the tree takes the text's buffer over (a deciphered document
    // need not be held twice), and `text` is left empty.
    bool LoadText(platform::SecureString&& text);

    bool HasRoot() const;

    // Cursor operations; a null or empty name takes the very next element. They return false and
    // leave the cursor as it was when there is nothing to move to.
    bool FindNext(const char* name);
    bool FindNext(std::string_view name = {});
    bool FindNextChild(const char* name);
    bool FindNextChild(std::string_view name = {});
    bool EnterElement();
    bool LeaveElement();

    // The decoded text of the element at the child position, empty when there is none.
    std::string GetChildText() const;
    std::string GetParseError() const { return m_strParseError; }

    // Adds an element after the current one at the cursor's level (or as the last child of the
    // cursor's parent) and makes it the current element. A null or empty data gives an
    // empty-element tag. False, with nothing changed, for a second root (or when memory or the
    // offset range runs out).
    bool AppendElement(const char* name, const char* data);
    bool AppendElement(std::string_view name, std::string_view data);

    std::string GetText() const { return std::string(m_strText.data(), m_strText.size()); }
    // Hands the text over without a copy and leaves the tree empty.
    platform::SecureString TakeText();
    // Room for a text of `bytes` and `elements` elements, so that a writer that knows the size of
    // what it builds appends without moving the text around. Only a hint: false when memory ran
    // short, and appending still works.
    bool Reserve(size_t bytes, size_t elements);

    // Escapes "<", "&" and ">" for element text; quotes are left as they are.
    static std::string EncodeText(std::string_view text);

    // The bytes AppendElement writes for one element without children: "<name/>" and a line
    // break for empty data, else "<name>", the escaped data, "</name>" and a line break. For
    // writers that lay out a large document in one buffer without building a tree.
    static size_t ElementLength(std::string_view name, std::string_view data);
    // Writes those ElementLength bytes at `out`; returns the end.
    static char* WriteElement(char* out, std::string_view name, std::string_view data);

    // Read-only views of the index and the cursor, for tests and diagnostics.
    int GetNextFree() const { return m_iNextFree; }
    int GetCapacity() const { return static_cast<int>(m_aSpans.size()); }
    // Entries outside 0 .. GetNextFree() - 1 read as an empty span.
    ElementSpan GetSpan(int index) const;
    int GetParentPos() const { return m_iParentPos; }
    int GetPos() const { return m_iPos; }
    int GetChildPos() const { return m_iChildPos; }
    bool IsAtElement() const { return m_bAtElement != 0; }
    // The decoded text of any element of the index (see GetChildText).
    std::string GetElementText(int index) const;
    // The name of any element of the index, as written after its "<"; valid until the text changes.
    std::string_view GetElementName(int index) const;

private:
    static void Wipe(void* data, size_t size) noexcept;
    // The text is usually a deciphered document: every buffer that held it is wiped before it
    // goes back to the heap.
    using WipedString = platform::SecureString::Base;

    enum class NodeKind { NotClosed = 0, Instruction, CData, Comment, Declaration };

    int ParseElement(int parent);
    int ParseStartTag(int parent);
    int ParseEndTag(int element);
    int Fail(const char* message, int element = 0);
    int TakeEntry();

    bool FindChar(char c, int32_t& pos) const;
    bool SkipWhiteSpace(int32_t& pos) const;
    bool NextToken(ScanToken& token) const;
    NodeKind SkipSpecialNode(int32_t& pos) const;
    bool FindSequence(std::string_view what, int32_t from, int32_t& at) const;
    bool TokenMatches(const ScanToken& token, std::string_view wanted) const;
    bool NameMatches(int element, std::string_view wanted) const;
    ScanToken NameToken(int element) const;
    int FindAmong(int parent, int after, std::string_view name) const;

    bool IsEmptyElement(int element) const;
    bool HasEmptyBody(int element) const;
    void ShiftOffsets(int element, int32_t delta);
    void ShiftSubtree(int top, int32_t delta);
    char* ReplaceText(int32_t offset, int32_t count, int32_t length);
    bool EnsureDocumentEntry();
    void BeginLoad();
    bool FailLoad(const char* message);
    bool ParseLoadedText();
    void ResetCursor();

    WipedString m_strText;
    std::string m_strParseError;
    std::vector<ElementSpan> m_aSpans;
    int m_iNextFree = 0;
    int m_iParentPos = 0;
    int m_iPos = 0;
    int m_iChildPos = 0;
    int m_bAtElement = 0;
};
