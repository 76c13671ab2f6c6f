// LoadText of arbitrary bytes, then a walk of whatever was parsed through every reading operation,
// then a few appends steered by the same bytes. Besides the sanitizers, it checks that the index
// always stays inside the text.
#include "markup/XmlTree.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void CheckIndex(const CXmlTree& tree) {
    const int32_t size = static_cast<int32_t>(tree.GetText().size());
    for (int i = 1; i < tree.GetNextFree(); ++i) {
        const CXmlTree::ElementSpan span = tree.GetSpan(i);
        Check(0 <= span.nTagOpen && span.nTagOpen < span.nTagClose && span.nTagClose < size);
        Check(span.nEndOpen <= span.nEndClose && span.nEndClose < size);
        Check(span.iParent >= 0 && span.iParent < i);
        Check(span.iFirstChild == 0 || (span.iFirstChild > i && span.iFirstChild < tree.GetNextFree()));
    }
}

// Depth first through the cursor: every element is entered once, so the walk always ends.
void Walk(CXmlTree& tree) {
    if (!tree.FindNext(nullptr))
        return;
    for (;;) {
        if (tree.FindNextChild(nullptr)) {
            const std::string text = tree.GetChildText();
            Check(text.size() <= tree.GetText().size());
            Check(tree.EnterElement());
            continue;
        }
        if (!tree.LeaveElement())
            break;
    }
    Check(!tree.FindNext(nullptr)); // a single root
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CXmlTree tree;
    const bool loaded = tree.LoadText(bytes);
    Check(loaded == tree.HasRoot());
    Check(loaded || !tree.GetParseError().empty() || size == 0);
    CheckIndex(tree);
    Walk(tree);

    // A search by name taken from the input, and a few appends wherever the cursor stands.
    CXmlTree named;
    named.LoadText(bytes);
    const std::string_view wanted = bytes.substr(0, std::min<size_t>(size, 8));
    while (named.FindNextChild(wanted))
        named.GetChildText();

    for (size_t i = 0; i < std::min<size_t>(size, 16); ++i) {
        switch (data[i] % 4) {
        case 0:
            tree.AppendElement("N", bytes.substr(i, 3));
            break;
        case 1:
            tree.EnterElement();
            break;
        case 2:
            tree.LeaveElement();
            break;
        default:
            tree.FindNextChild(nullptr);
            break;
        }
        CheckIndex(tree);
    }
    tree.GetChildText();
    return 0;
}
