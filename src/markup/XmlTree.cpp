#include "markup/XmlTree.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

namespace {

constexpr const char* kOutOfMemory = "Not enough memory for the document";
constexpr const char* kTooLarge = "Document too large";

// Byte classes of the scanner, looked up rather than compared one by one: the scan is the hot
// loop of every load.
enum : uint8_t { kWhiteSpace = 1, kDelimiter = 2 };

constexpr std::array<uint8_t, 256> MakeByteClasses() {
    std::array<uint8_t, 256> classes{};
    for (const unsigned char c : {' ', '\t', '\n', '\r'})
        classes[c] = kWhiteSpace | kDelimiter;
    for (const unsigned char c : {'<', '>', '=', '\\', '/', '?', '!'})
        classes[c] = kDelimiter;
    return classes;
}
constexpr std::array<uint8_t, 256> kByteClasses = MakeByteClasses();

bool IsWhiteSpace(char c) {
    return (kByteClasses[static_cast<unsigned char>(c)] & kWhiteSpace) != 0;
}

bool IsDelimiter(char c) {
    return (kByteClasses[static_cast<unsigned char>(c)] & kDelimiter) != 0;
}

// The references the reader understands, tried in this order; numeric references stay as written.
struct EntityRef {
    std::string_view body; // what follows the "&", ";" included
    char replacement;
};
constexpr EntityRef kEntities[] = {
    {"lt;", '<'}, {"amp;", '&'}, {"gt;", '>'}, {"apos;", '\''}, {"quot;", '"'},
};

} // namespace

CXmlTree::~CXmlTree() {
    // A short text lives inside the string object itself, where the allocator never sees it.
    if (m_strText.capacity() < sizeof(m_strText))
        Wipe(m_strText.data(), m_strText.capacity());
}

void CXmlTree::Wipe(void* data, size_t size) noexcept {
    if (data != nullptr && size != 0)
        explicit_bzero(data, size);
}

// ---------------------------------------------------------------------------------------------
// Scanning

bool CXmlTree::FindChar(char c, int32_t& pos) const {
    const int32_t length = static_cast<int32_t>(m_strText.size());
    if (pos >= length) {
        pos = length;
        return false;
    }
    const void* hit = std::memchr(m_strText.data() + pos, c, static_cast<size_t>(length - pos));
    if (hit == nullptr) {
        pos = length;
        return false;
    }
    pos = static_cast<int32_t>(static_cast<const char*>(hit) - m_strText.data());
    return true;
}

bool CXmlTree::SkipWhiteSpace(int32_t& pos) const {
    const int32_t length = static_cast<int32_t>(m_strText.size());
    while (pos < length && IsWhiteSpace(m_strText[static_cast<size_t>(pos)]))
        ++pos;
    return pos < length;
}

bool CXmlTree::FindSequence(std::string_view what, int32_t from, int32_t& at) const {
    const size_t found = std::string_view(m_strText).find(what, static_cast<size_t>(from));
    if (found == std::string_view::npos)
        return false;
    at = static_cast<int32_t>(found);
    return true;
}

bool CXmlTree::NextToken(ScanToken& token) const {
    const int32_t length = static_cast<int32_t>(m_strText.size());
    token.bQuoted = false;
    int32_t pos = token.nNext;
    if (!SkipWhiteSpace(pos)) {
        token.nFirst = token.nLast = token.nNext = length;
        return false;
    }
    const char first = m_strText[static_cast<size_t>(pos)];
    if (first == '"' || first == '\'') {
        token.bQuoted = true;
        token.nFirst = pos + 1;
        int32_t close = pos + 1;
        if (FindChar(first, close)) {
            token.nLast = close - 1;
            token.nNext = close + 1;
        } else {
            token.nLast = length - 1;
            token.nNext = length;
        }
        return true;
    }
    token.nFirst = pos;
    if (IsDelimiter(first)) {
        token.nLast = pos;
        token.nNext = pos + 1;
        return true;
    }
    int32_t end = pos + 1;
    while (end < length && !IsDelimiter(m_strText[static_cast<size_t>(end)]))
        ++end;
    token.nLast = end - 1;
    token.nNext = end;
    return true;
}

// pos stands at a "<"; on success it moves past the node. Only the bytes right after the "<" say
// what the node is: a "<" followed by white space is not closed, which keeps the parse moving.
CXmlTree::NodeKind CXmlTree::SkipSpecialNode(int32_t& pos) const {
    const int32_t length = static_cast<int32_t>(m_strText.size());
    if (pos + 2 >= length)
        return NodeKind::NotClosed;
    const char kindByte = m_strText[static_cast<size_t>(pos) + 1];
    const char detailByte = m_strText[static_cast<size_t>(pos) + 2];

    auto skipTo = [&](std::string_view terminator, NodeKind kind) {
        int32_t at = 0;
        if (!FindSequence(terminator, pos, at))
            return NodeKind::NotClosed;
        pos = at + static_cast<int32_t>(terminator.size());
        return kind;
    };

    if (kindByte == '?')
        return skipTo("?>", NodeKind::Instruction);
    if (kindByte != '!')
        return NodeKind::NotClosed;
    if (detailByte == '[')
        return skipTo("]]>", NodeKind::CData);
    if (detailByte == '-')
        return skipTo("-->", NodeKind::Comment);

    // A declaration such as a DOCTYPE may hold an internal subset in brackets, with ">" inside it.
    ScanToken token;
    token.nNext = pos + 1;
    int depth = 0;
    while (NextToken(token)) {
        if (token.bQuoted)
            continue;
        if (token.nFirst == token.nLast && m_strText[static_cast<size_t>(token.nFirst)] == '>') {
            if (depth == 0) {
                pos = token.nNext;
                return NodeKind::Declaration;
            }
            continue;
        }
        for (int32_t i = token.nFirst; i <= token.nLast; ++i) {
            const char c = m_strText[static_cast<size_t>(i)];
            if (c == '[')
                ++depth;
            else if (c == ']' && depth > 0)
                --depth;
        }
    }
    return NodeKind::NotClosed;
}

// A name N from the document matches a wanted name W when W starts with N and either ends there or
// goes on with " ", "=", "/" or "[" (so "ACCOUNT" matches "ACCOUNT[2]" but not "ACCOUNTS").
bool CXmlTree::TokenMatches(const ScanToken& token, std::string_view wanted) const {
    if (token.bQuoted || token.nLast < token.nFirst)
        return false;
    const size_t length = static_cast<size_t>(token.nLast - token.nFirst + 1);
    if (length > wanted.size())
        return false;
    if (std::string_view(m_strText).substr(static_cast<size_t>(token.nFirst), length) != wanted.substr(0, length))
        return false;
    if (length == wanted.size())
        return true;
    const char next = wanted[length];
    return next == ' ' || next == '=' || next == '/' || next == '[';
}

CXmlTree::ScanToken CXmlTree::NameToken(int element) const {
    ScanToken token;
    token.nNext = m_aSpans[static_cast<size_t>(element)].nTagOpen + 1;
    if (!NextToken(token) || token.bQuoted)
        token.nLast = token.nFirst - 1;
    return token;
}

bool CXmlTree::NameMatches(int element, std::string_view wanted) const {
    return TokenMatches(NameToken(element), wanted);
}

std::string_view CXmlTree::GetElementName(int index) const {
    if (index <= 0 || index >= m_iNextFree)
        return {};
    const ScanToken token = NameToken(index);
    if (token.nLast < token.nFirst)
        return {};
    return std::string_view(m_strText).substr(static_cast<size_t>(token.nFirst),
                                              static_cast<size_t>(token.nLast - token.nFirst + 1));
}

// ---------------------------------------------------------------------------------------------
// Parsing

int CXmlTree::Fail(const char* message, int element) {
    m_strParseError = message;
    if (element > 0) {
        const size_t at = m_strParseError.find("%s");
        if (at != std::string::npos)
            m_strParseError.replace(at, 2, GetElementName(element));
    }
    return -1;
}

// Hands out the next free entry, growing the index by half when it is full; -1 when memory runs out.
int CXmlTree::TakeEntry() {
    const size_t size = m_aSpans.size();
    if (static_cast<size_t>(m_iNextFree) >= size) {
        size_t grown = size + size / 2;
        if (grown <= size)
            grown = size + 8; // an array that was never sized by a load
        if (grown > static_cast<size_t>(INT32_MAX))
            return -1;
        try {
            m_aSpans.resize(grown);
        } catch (const std::exception&) {
            return -1;
        }
    }
    return m_iNextFree++;
}

// Reads up to the next start tag at the level of parent: returns the new entry with its start tag
// recorded, 0 when the parent's end tag comes first (parent's nEndOpen then stands at its "<"), or -1.
int CXmlTree::ParseStartTag(int parent) {
    const int index = TakeEntry();
    if (index < 0)
        return Fail(kOutOfMemory);
    auto failHere = [&](const char* message) {
        --m_iNextFree;
        return Fail(message);
    };
    {
        ElementSpan& entry = m_aSpans[static_cast<size_t>(index)];
        entry.iParent = parent;
        entry.iFirstChild = 0;
        entry.iNextSibling = 0;
    }
    int32_t pos = m_aSpans[static_cast<size_t>(parent)].nEndOpen;
    ScanToken token;
    for (;;) {
        if (!FindChar('<', pos))
            return failHere("Element tag not found");
        m_aSpans[static_cast<size_t>(index)].nTagOpen = pos;
        m_aSpans[static_cast<size_t>(parent)].nEndOpen = pos;

        token.nNext = pos + 1;
        if (!NextToken(token))
            return failHere("Abrupt end within tag");
        if (token.bQuoted)
            return failHere("Tag starts with quote");

        const char first = m_strText[static_cast<size_t>(token.nFirst)];
        if (first == '?' || first == '!') {
            if (SkipSpecialNode(pos) == NodeKind::NotClosed)
                return failHere("Invalid node");
            continue;
        }
        if (first == '/') {
            --m_iNextFree;
            return 0;
        }
        break;
    }

    int32_t close = token.nNext;
    if (!FindChar('>', close))
        return failHere("End of tag not found");

    ElementSpan& entry = m_aSpans[static_cast<size_t>(index)];
    entry.nTagClose = close;
    if (m_strText[static_cast<size_t>(close) - 1] == '/') {
        entry.nEndOpen = close - 1;
        entry.nEndClose = close;
    } else {
        entry.nEndOpen = close + 1;
    }
    return index;
}

// Reads the end tag of element from its nEndOpen; returns element, or -1.
int CXmlTree::ParseEndTag(int element) {
    int32_t pos = m_aSpans[static_cast<size_t>(element)].nEndOpen;
    if (!FindChar('<', pos))
        return Fail("End tag of %s element not found", element);
    m_aSpans[static_cast<size_t>(element)].nEndOpen = pos;

    const std::string_view name = GetElementName(element);
    ScanToken token;
    token.nNext = pos + 1;
    for (int number = 1; NextToken(token); ++number) {
        const bool single = !token.bQuoted && token.nFirst == token.nLast;
        const char first = token.bQuoted ? '\0' : m_strText[static_cast<size_t>(token.nFirst)];
        if (number == 1 && !(single && first == '/'))
            return Fail("Expecting end tag of element %s", element);
        if (number == 2 && !TokenMatches(token, name))
            return Fail("End tag does not correspond to %s", element);
        if (number >= 2 && single && first == '>') {
            m_aSpans[static_cast<size_t>(element)].nEndClose = token.nFirst;
            return element;
        }
    }
    return Fail("End tag not completed for element %s", element);
}

// Parses one element below parent with all its descendants. Returns the element's index, 0 when
// the parent's end tag comes first, -1 after an error. Nesting is followed with a stack of our own
// rather than recursion, so a deeply nested text cannot exhaust the call stack.
int CXmlTree::ParseElement(int parent) {
    const int top = ParseStartTag(parent);
    if (top <= 0 || IsEmptyElement(top))
        return top;

    struct OpenElement {
        int iElement;
        int iLastChild;
    };
    std::vector<OpenElement> open;
    try {
        open.push_back({top, 0});
    } catch (const std::exception&) {
        return Fail(kOutOfMemory);
    }
    for (;;) {
        const int current = open.back().iElement;
        const int child = ParseStartTag(current);
        if (child < 0)
            return -1;
        if (child > 0) {
            int& lastChild = open.back().iLastChild;
            if (lastChild != 0)
                m_aSpans[static_cast<size_t>(lastChild)].iNextSibling = child;
            else
                m_aSpans[static_cast<size_t>(current)].iFirstChild = child;
            lastChild = child;
            if (IsEmptyElement(child)) {
                m_aSpans[static_cast<size_t>(current)].nEndOpen = m_aSpans[static_cast<size_t>(child)].nEndClose + 1;
                continue;
            }
            try {
                open.push_back({child, 0});
            } catch (const std::exception&) {
                return Fail(kOutOfMemory);
            }
            continue;
        }
        if (ParseEndTag(current) < 0)
            return -1;
        open.pop_back();
        if (open.empty())
            return current;
        m_aSpans[static_cast<size_t>(open.back().iElement)].nEndOpen =
            m_aSpans[static_cast<size_t>(current)].nEndClose + 1;
    }
}

void CXmlTree::ResetCursor() {
    m_iParentPos = 0;
    m_iPos = 0;
    m_iChildPos = 0;
    m_bAtElement = 0;
}

bool CXmlTree::LoadText(const char* text) {
    return LoadText(text != nullptr ? std::string_view(text) : std::string_view());
}

void CXmlTree::BeginLoad() {
    m_strParseError.clear();
    m_iNextFree = 1;
    ResetCursor();
}

bool CXmlTree::FailLoad(const char* message) {
    m_strParseError = message;
    m_strText.clear();
    if (m_aSpans.empty())
        m_iNextFree = 0; // not even the document entry could be made
    else
        m_aSpans[0] = ElementSpan();
    return false;
}

bool CXmlTree::LoadText(std::string_view text) {
    BeginLoad();
    if (text.size() > static_cast<size_t>(kMaxTextLength))
        return FailLoad(kTooLarge);
    try {
        m_strText.assign(text);
    } catch (const std::exception&) {
        return FailLoad(kOutOfMemory);
    }
    return ParseLoadedText();
}

bool CXmlTree::LoadText(platform::SecureString&& text) {
    BeginLoad();
    if (text.size() > static_cast<size_t>(kMaxTextLength)) {
        text.Wipe();
        return FailLoad(kTooLarge);
    }
    m_strText = std::move(static_cast<WipedString&>(text));
    text.Wipe();
    return ParseLoadedText();
}

bool CXmlTree::ParseLoadedText() {
    const size_t wanted = m_strText.size() / 64 + 8;
    try {
        if (m_aSpans.size() < wanted)
            m_aSpans.resize(wanted);
    } catch (const std::exception&) {
        return FailLoad(kOutOfMemory);
    }

    m_aSpans[0] = ElementSpan();
    if (m_strText.empty())
        return false;

    const int root = ParseElement(0);
    if (root > 0) {
        m_aSpans[0].iFirstChild = root;
        ResetCursor();
        return true;
    }
    // An end tag where the root should start: the text holds no element.
    if (root == 0)
        m_strParseError = "Element tag not found";
    m_aSpans[0] = ElementSpan();
    m_iNextFree = 1;
    ResetCursor();
    return false;
}

platform::SecureString CXmlTree::TakeText() {
    platform::SecureString text;
    static_cast<WipedString&>(text) = std::move(m_strText);
    m_strText = WipedString();
    LoadText(nullptr);
    return text;
}

bool CXmlTree::Reserve(size_t bytes, size_t elements) {
    if (bytes > static_cast<size_t>(kMaxTextLength) || elements >= static_cast<size_t>(INT32_MAX))
        return false;
    try {
        m_strText.reserve(bytes);
        if (m_aSpans.size() < elements + 1)
            m_aSpans.resize(elements + 1);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool CXmlTree::HasRoot() const {
    return !m_aSpans.empty() && m_iNextFree > 0 && m_aSpans[0].iFirstChild != 0;
}

// ---------------------------------------------------------------------------------------------
// Cursor

int CXmlTree::FindAmong(int parent, int after, std::string_view name) const {
    int candidate = after != 0 ? m_aSpans[static_cast<size_t>(after)].iNextSibling
                               : m_aSpans[static_cast<size_t>(parent)].iFirstChild;
    while (candidate != 0) {
        if (name.empty() || NameMatches(candidate, name))
            return candidate;
        candidate = m_aSpans[static_cast<size_t>(candidate)].iNextSibling;
    }
    return 0;
}

bool CXmlTree::FindNext(const char* name) {
    return FindNext(name != nullptr ? std::string_view(name) : std::string_view());
}

bool CXmlTree::FindNext(std::string_view name) {
    if (m_aSpans.empty() || m_iNextFree <= 0)
        return false;
    const int found = FindAmong(m_iParentPos, m_iPos, name);
    if (found == 0)
        return false;
    m_iPos = found;
    m_iParentPos = m_aSpans[static_cast<size_t>(found)].iParent;
    m_iChildPos = 0;
    m_bAtElement = 1;
    return true;
}

bool CXmlTree::FindNextChild(const char* name) {
    return FindNextChild(name != nullptr ? std::string_view(name) : std::string_view());
}

bool CXmlTree::FindNextChild(std::string_view name) {
    if (m_aSpans.empty() || m_iNextFree <= 0)
        return false;
    if (m_iPos == 0)
        FindNext(std::string_view());
    // Inside an element without children there is no current element to look below; entry 0's
    // children would be the root, which is no child of the cursor's level.
    if (m_iPos == 0)
        return false;
    const int found = FindAmong(m_iPos, m_iChildPos, name);
    if (found == 0)
        return false;
    m_iChildPos = found;
    m_iParentPos = m_aSpans[static_cast<size_t>(m_iPos)].iParent;
    m_bAtElement = 1;
    return true;
}

bool CXmlTree::EnterElement() {
    if (m_iPos == 0 || m_bAtElement != 1)
        return false;
    m_iParentPos = m_iPos;
    m_iPos = m_iChildPos;
    m_iChildPos = 0;
    m_bAtElement = m_iPos != 0 ? 1 : 0;
    return true;
}

bool CXmlTree::LeaveElement() {
    if (m_iParentPos == 0)
        return false;
    m_iChildPos = m_iPos;
    m_iPos = m_iParentPos;
    m_iParentPos = m_aSpans[static_cast<size_t>(m_iPos)].iParent;
    m_bAtElement = 1;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Element text

std::string CXmlTree::GetChildText() const {
    if (m_iChildPos == 0)
        return {};
    return GetElementText(m_iChildPos);
}

std::string CXmlTree::GetElementText(int index) const {
    if (index <= 0 || index >= m_iNextFree)
        return {};
    const ElementSpan& span = m_aSpans[static_cast<size_t>(index)];
    if (span.iFirstChild != 0 || IsEmptyElement(index))
        return {};

    // Clamped to the text, so that no index, however it came about, can read outside it.
    const int32_t size = static_cast<int32_t>(m_strText.size());
    const int32_t start = std::clamp(span.nTagClose + 1, 0, size);
    const int32_t end = std::clamp(span.nEndOpen, 0, size); // exclusive
    const std::string_view text(m_strText);

    int32_t pos = start;
    SkipWhiteSpace(pos);
    constexpr std::string_view kCDataOpen = "<![CDATA[";
    if (pos < end && text[static_cast<size_t>(pos)] == '<' && pos + 11 < end &&
        text.substr(static_cast<size_t>(pos), kCDataOpen.size()) == kCDataOpen) {
        const int32_t body = pos + static_cast<int32_t>(kCDataOpen.size());
        int32_t close = 0;
        if (FindSequence("]]>", body, close) && close < end)
            return std::string(text.substr(static_cast<size_t>(body), static_cast<size_t>(close - body)));
    }

    std::string result;
    if (end <= start)
        return result;
    result.reserve(static_cast<size_t>(end - start));
    int32_t i = start;
    while (i < end) {
        const void* amp = std::memchr(text.data() + i, '&', static_cast<size_t>(end - i));
        const int32_t stop = amp != nullptr ? static_cast<int32_t>(static_cast<const char*>(amp) - text.data()) : end;
        result.append(text.data() + i, static_cast<size_t>(stop - i));
        if (stop == end)
            break;
        const std::string_view rest = text.substr(static_cast<size_t>(stop) + 1, static_cast<size_t>(end - stop - 1));
        i = stop + 1;
        char decoded = '&';
        for (const EntityRef& entity : kEntities) {
            if (rest.substr(0, entity.body.size()) == entity.body) {
                decoded = entity.replacement;
                i += static_cast<int32_t>(entity.body.size());
                break;
            }
        }
        result.push_back(decoded);
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Writing

namespace {

const char* Escape(char c) {
    switch (c) {
    case '<':
        return "&lt;";
    case '&':
        return "&amp;";
    case '>':
        return "&gt;";
    default:
        return nullptr;
    }
}

size_t EncodedLength(std::string_view text) {
    size_t length = text.size();
    for (const char c : text) {
        if (c == '<' || c == '>')
            length += 3;
        else if (c == '&')
            length += 4;
    }
    return length;
}

// Writes the escaped text to out, which holds EncodedLength(text) bytes; returns the end.
char* EncodeInto(char* out, std::string_view text) {
    size_t runStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char* replacement = Escape(text[i]);
        if (replacement == nullptr)
            continue;
        std::memcpy(out, text.data() + runStart, i - runStart);
        out += i - runStart;
        const size_t length = std::strlen(replacement);
        std::memcpy(out, replacement, length);
        out += length;
        runStart = i + 1;
    }
    std::memcpy(out, text.data() + runStart, text.size() - runStart);
    return out + (text.size() - runStart);
}

char* Put(char* out, std::string_view piece) {
    std::memcpy(out, piece.data(), piece.size());
    return out + piece.size();
}

} // namespace

size_t CXmlTree::ElementLength(std::string_view name, std::string_view data) {
    return data.empty() ? name.size() + 5 : 2 * name.size() + EncodedLength(data) + 7;
}

char* CXmlTree::WriteElement(char* out, std::string_view name, std::string_view data) {
    out = Put(out, "<");
    out = Put(out, name);
    if (data.empty())
        return Put(out, "/>\r\n");
    out = Put(out, ">");
    out = EncodeInto(out, data);
    out = Put(out, "</");
    out = Put(out, name);
    return Put(out, ">\r\n");
}

std::string CXmlTree::EncodeText(std::string_view text) {
    std::string encoded(EncodedLength(text), '\0');
    EncodeInto(encoded.data(), text);
    return encoded;
}

bool CXmlTree::IsEmptyElement(int element) const {
    const ElementSpan& span = m_aSpans[static_cast<size_t>(element)];
    return span.nTagClose == span.nEndOpen + 1;
}

bool CXmlTree::HasEmptyBody(int element) const {
    const ElementSpan& span = m_aSpans[static_cast<size_t>(element)];
    return span.nTagClose + 1 == span.nEndOpen;
}

// Replaces count bytes at offset by a gap of length bytes and returns the gap, for the caller to
// fill. offset and count are clamped to the text. The caller has reserved the room, so this
// never allocates.
char* CXmlTree::ReplaceText(int32_t offset, int32_t count, int32_t length) {
    const int32_t size = static_cast<int32_t>(m_strText.size());
    if (offset < 0)
        offset = 0;
    if (offset > size)
        offset = size;
    if (count < 0)
        count = 0;
    if (count > size - offset)
        count = size - offset;
    m_strText.replace(static_cast<size_t>(offset), static_cast<size_t>(count), static_cast<size_t>(length), '\0');
    return m_strText.data() + offset;
}

void CXmlTree::ShiftSubtree(int top, int32_t delta) {
    int element = top;
    for (;;) {
        ElementSpan& span = m_aSpans[static_cast<size_t>(element)];
        span.nTagOpen += delta;
        span.nTagClose += delta;
        span.nEndOpen += delta;
        span.nEndClose += delta;
        if (span.iFirstChild != 0) {
            element = span.iFirstChild;
            continue;
        }
        while (element != top && m_aSpans[static_cast<size_t>(element)].iNextSibling == 0)
            element = m_aSpans[static_cast<size_t>(element)].iParent;
        if (element == top)
            return;
        element = m_aSpans[static_cast<size_t>(element)].iNextSibling;
    }
}

// Everything after element in document order moves by delta; its ancestors (the document entry
// included) only have their end tags moved. The element itself already has its final offsets.
void CXmlTree::ShiftOffsets(int element, int32_t delta) {
    int node = element;
    for (;;) {
        for (int sibling = m_aSpans[static_cast<size_t>(node)].iNextSibling; sibling != 0;
             sibling = m_aSpans[static_cast<size_t>(sibling)].iNextSibling)
            ShiftSubtree(sibling, delta);
        if (node == 0)
            return;
        const int parent = m_aSpans[static_cast<size_t>(node)].iParent;
        m_aSpans[static_cast<size_t>(parent)].nEndOpen += delta;
        m_aSpans[static_cast<size_t>(parent)].nEndClose += delta;
        node = parent;
    }
}

// A tree that was never loaded still needs its document entry before a root can be appended.
bool CXmlTree::EnsureDocumentEntry() {
    if (!m_aSpans.empty() && m_iNextFree > 0)
        return true;
    try {
        if (m_aSpans.empty())
            m_aSpans.resize(8);
    } catch (const std::exception&) {
        return false;
    }
    m_aSpans[0] = ElementSpan();
    m_iNextFree = 1;
    ResetCursor();
    return true;
}

bool CXmlTree::AppendElement(const char* name, const char* data) {
    return AppendElement(name != nullptr ? std::string_view(name) : std::string_view(),
                         data != nullptr ? std::string_view(data) : std::string_view());
}

bool CXmlTree::AppendElement(std::string_view name, std::string_view data) {
    if (!EnsureDocumentEntry())
        return false;
    if (m_iParentPos == 0 && HasRoot())
        return false;

    const int parent = m_iParentPos;
    const int after = m_iPos;
    const int32_t length = static_cast<int32_t>(m_strText.size());
    const bool emptyParent = parent != 0 && IsEmptyElement(parent);
    const bool bareParent = parent != 0 && !emptyParent && HasEmptyBody(parent);

    int32_t offset = 0;
    if (after != 0)
        offset = m_aSpans[static_cast<size_t>(after)].nEndClose + 1;
    else if (parent == 0)
        offset = length;
    else if (emptyParent)
        offset = m_aSpans[static_cast<size_t>(parent)].nTagClose;
    else
        offset = m_aSpans[static_cast<size_t>(parent)].nEndOpen;
    if (!emptyParent) {
        // A new sibling goes right before the next tag, after the line break that ends the previous one.
        int32_t next = offset;
        if (!SkipWhiteSpace(next) || m_strText[static_cast<size_t>(next)] == '<')
            offset = next;
    }
    const int32_t tagOpen = (emptyParent || bareParent) ? offset + 2 : offset;

    // A copy: the parent's name is written back into the text after the text has moved.
    std::string parentName;
    try {
        if (emptyParent)
            parentName.assign(GetElementName(parent));
    } catch (const std::exception&) {
        return false;
    }
    const int32_t parentNameLength = static_cast<int32_t>(parentName.size());
    const size_t encodedLength = EncodedLength(data);
    // The element is "<name/>" and a line break, or "<name>text</name>" and a line break.
    const size_t elementLength = data.empty() ? name.size() + 5 : 2 * name.size() + encodedLength + 7;
    size_t insertionLength = elementLength;
    int32_t replaceAt = tagOpen;
    int32_t replaceCount = 0;
    if (emptyParent) {
        // "<P/>" becomes "<P>", a line break, the element and "</P>", keeping the old ">".
        insertionLength += parentName.size() + 5;
        replaceAt = m_aSpans[static_cast<size_t>(parent)].nTagClose - 1;
        replaceCount = 1;
    } else if (bareParent) {
        insertionLength += 2;
        replaceAt = m_aSpans[static_cast<size_t>(parent)].nTagClose + 1;
    }
    if (static_cast<size_t>(length) + insertionLength > static_cast<size_t>(kMaxTextLength))
        return false;

    // Take the entry and make room in the text before anything changes, so that running out of
    // memory leaves the document exactly as it was.
    const int index = TakeEntry();
    if (index < 0)
        return false;
    try {
        m_strText.reserve(static_cast<size_t>(length) + insertionLength);
    } catch (const std::exception&) {
        --m_iNextFree;
        return false;
    }

    const int32_t n = static_cast<int32_t>(name.size());
    const int32_t e = static_cast<int32_t>(encodedLength);
    ElementSpan span;
    span.nTagOpen = tagOpen;
    if (data.empty()) {
        span.nTagClose = tagOpen + n + 2;
        span.nEndOpen = span.nTagClose - 1;
        span.nEndClose = span.nTagClose;
    } else {
        span.nTagClose = tagOpen + n + 1;
        span.nEndOpen = span.nTagClose + e + 1;
        span.nEndClose = span.nEndOpen + n + 2;
    }

    char* out = ReplaceText(replaceAt, replaceCount, static_cast<int32_t>(insertionLength));
    if (emptyParent)
        out = Put(out, ">\r\n");
    else if (bareParent)
        out = Put(out, "\r\n");
    out = WriteElement(out, name, data);
    if (emptyParent) {
        out = Put(out, "</");
        out = Put(out, parentName);
    }

    span.iParent = parent;
    span.iFirstChild = 0;
    span.iNextSibling = 0;
    if (after != 0) {
        span.iNextSibling = m_aSpans[static_cast<size_t>(after)].iNextSibling;
        m_aSpans[static_cast<size_t>(after)].iNextSibling = index;
    } else {
        int last = m_aSpans[static_cast<size_t>(parent)].iFirstChild;
        if (last == 0) {
            m_aSpans[static_cast<size_t>(parent)].iFirstChild = index;
        } else {
            while (m_aSpans[static_cast<size_t>(last)].iNextSibling != 0)
                last = m_aSpans[static_cast<size_t>(last)].iNextSibling;
            m_aSpans[static_cast<size_t>(last)].iNextSibling = index;
        }
    }
    m_aSpans[static_cast<size_t>(index)] = span;

    if (parent == 0)
        m_aSpans[0].nEndOpen = length;
    if (emptyParent) {
        ElementSpan& parentSpan = m_aSpans[static_cast<size_t>(parent)];
        parentSpan.nTagClose -= 1;
        parentSpan.nEndOpen -= parentNameLength + 1;
    }
    ShiftOffsets(index, static_cast<int32_t>(insertionLength) - replaceCount);

    m_iParentPos = parent;
    m_iPos = index;
    m_iChildPos = 0;
    m_bAtElement = 1;
    return true;
}

CXmlTree::ElementSpan CXmlTree::GetSpan(int index) const {
    if (index < 0 || index >= m_iNextFree || static_cast<size_t>(index) >= m_aSpans.size())
        return {};
    return m_aSpans[static_cast<size_t>(index)];
}
