// The document read of arbitrary file bytes under a fixed password, and of what deciphers, the
// markup load that opening a passwords file performs.
#include "cipher/DocumentFile.h"
#include "markup/XmlTree.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::SecureBytes fileBytes(data, data + size);
    platform::SecureString text;
    if (cipher::DecodeDocument(std::move(fileBytes), "fuzz password", text) != cipher::DocResult::Ok)
        return 0;
    CXmlTree tree;
    if (tree.LoadText(text.view()) && tree.FindNext(nullptr) && tree.EnterElement()) {
        while (tree.FindNext(nullptr)) {
            while (tree.FindNextChild(nullptr))
                tree.GetChildText();
        }
    }
    return 0;
}
