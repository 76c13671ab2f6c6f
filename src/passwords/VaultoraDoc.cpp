#include "passwords/VaultoraDoc.h"

CVaultoraDoc::CVaultoraDoc() = default;

CVaultoraDoc::~CVaultoraDoc() = default;

bool CVaultoraDoc::OnNewDocument() {
    return CDocument::OnNewDocument();
}

bool CVaultoraDoc::OnOpenDocument(const QString&) {
    return false;
}

bool CVaultoraDoc::OnSaveDocument(const QString&) {
    return false;
}
