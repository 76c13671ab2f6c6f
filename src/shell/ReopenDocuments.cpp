#include "shell/ReopenDocuments.h"

#include "docs/EncryptedDocument.h"
#include "framework/DocTemplate.h"
#include "framework/MDIChildWnd.h"
#include "res/resource.h"
#include "shell/EditorApp.h"
#include "shell/MainFrame.h"
#include "textdoc/EditorDoc.h"
#include "textdoc/EditorView.h"
#include "workspace/LeftView.h"
#include "workspace/VaultoraChildFrame.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScrollBar>
#include <QSettings>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace {

const QString kSettings = QStringLiteral("Settings");
const QString kOptionEntry = QStringLiteral("ReopenDocuments");
const QString kListSection = QStringLiteral("LastSession");

// Where a passwords document's selection was: a folder by its kind (0 web, 1 e-mail, 2 other) or the
// root, and the row of the account under that folder (kNoRow for the folder itself). Rows follow the
// tree's sorting by name, which the file keeps; slot numbers would not survive a save.
constexpr int kRootFolder = -1;
constexpr int kNoFolder = -2;
constexpr int kNoRow = -1;

// One document of the list: its file and where the user was in it.
struct Place {
    QString path;
    int caret = -1; // text: the caret's character position; -1: not a text
    int down = 0;   // text: the scroll bars' values
    int across = 0;
    int folder = kNoFolder; // passwords: see above
    int row = kNoRow;
};

// The list is a group of its own, removed as a whole: the framework's profile functions write single
// values only. Settings of one file in one process share their state, so this sees what they wrote.
std::unique_ptr<QSettings> OpenProfile() {
    CWinApp* app = AfxGetApp();
    if (!app)
        return nullptr;
    return std::make_unique<QSettings>(app->GetProfilePath(), QSettings::IniFormat);
}

QString Key(const char* name, size_t index) {
    return QString::fromLatin1(name) + QString::number(index + 1);
}

// The list and the index of the document that was active (-1 when none was).
std::vector<Place> ReadList(int& active) {
    active = -1;
    std::vector<Place> places;
    const std::unique_ptr<QSettings> profile = OpenProfile();
    if (!profile)
        return places;
    profile->beginGroup(kListSection);
    const int count = std::clamp(profile->value(QStringLiteral("Count")).toInt(), 0, 1000);
    for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
        Place place;
        place.path = profile->value(Key("File", i)).toString();
        if (place.path.isEmpty())
            continue;
        place.caret = profile->value(Key("Caret", i), -1).toInt();
        place.down = profile->value(Key("Scroll", i), 0).toInt();
        place.across = profile->value(Key("ScrollAcross", i), 0).toInt();
        place.folder = profile->value(Key("Folder", i), kNoFolder).toInt();
        place.row = profile->value(Key("Row", i), kNoRow).toInt();
        places.push_back(place);
    }
    const int activeEntry = profile->value(QStringLiteral("Active"), 0).toInt();
    profile->endGroup();
    if (activeEntry >= 1 && activeEntry <= static_cast<int>(places.size()))
        active = activeEntry - 1;
    return places;
}

void WriteList(const std::vector<Place>& places, int active) {
    const std::unique_ptr<QSettings> profile = OpenProfile();
    if (!profile)
        return;
    profile->beginGroup(kListSection);
    profile->remove(QString());
    if (!places.empty()) {
        profile->setValue(QStringLiteral("Count"), static_cast<int>(places.size()));
        if (active >= 0)
            profile->setValue(QStringLiteral("Active"), active + 1);
    }
    for (size_t i = 0; i < places.size(); ++i) {
        const Place& place = places[i];
        profile->setValue(Key("File", i), place.path);
        if (place.caret >= 0) {
            profile->setValue(Key("Caret", i), place.caret);
            profile->setValue(Key("Scroll", i), place.down);
            profile->setValue(Key("ScrollAcross", i), place.across);
        }
        if (place.folder != kNoFolder) {
            profile->setValue(Key("Folder", i), place.folder);
            profile->setValue(Key("Row", i), place.row);
        }
    }
    profile->endGroup();
    profile->sync();
}

// Where the user is in a document window now.
void TakePlace(CMDIChildWnd* child, CDocument* doc, Place& place) {
    if (auto* textDoc = dynamic_cast<CEditorDoc*>(doc)) {
        if (CEditorView* view = textDoc->GetEditorView()) {
            place.caret = view->textCursor().position();
            place.down = view->verticalScrollBar()->value();
            place.across = view->horizontalScrollBar()->value();
        }
        return;
    }
    auto* passwordsFrame = dynamic_cast<CVaultoraChildFrame*>(child);
    CLeftView* tree = passwordsFrame ? passwordsFrame->GetLeftView() : nullptr;
    QTreeWidgetItem* item = tree ? tree->GetSelectedItem() : nullptr;
    if (!item)
        return;
    if (item == tree->GetRootItem()) {
        place.folder = kRootFolder;
        return;
    }
    for (const AccountKind kind : {AccountKind::Web, AccountKind::Mail, AccountKind::Other}) {
        QTreeWidgetItem* folder = tree->GetFolder(kind);
        if (!folder)
            continue;
        if (item == folder || item->parent() == folder) {
            place.folder = static_cast<int>(kind);
            place.row = item == folder ? kNoRow : folder->indexOfChild(item);
            return;
        }
    }
}

// Puts the user back where they were. A text that is shorter now (changed since) has its caret at the
// end. The scroll bars know their ranges only once the window has its size and the text its layout:
// the scroll is set again when the events of the opening are over.
void PutBack(CMDIChildWnd* child, CDocument* doc, const Place& place) {
    if (auto* textDoc = dynamic_cast<CEditorDoc*>(doc)) {
        CEditorView* view = textDoc->GetEditorView();
        if (!view || place.caret < 0)
            return;
        const int end = view->document()->characterCount() - 1;
        QTextCursor cursor(view->document());
        cursor.setPosition(std::clamp(place.caret, 0, std::max(0, end)));
        view->setTextCursor(cursor);
        const auto scroll = [view = QPointer<CEditorView>(view), down = place.down, across = place.across] {
            if (!view)
                return;
            view->verticalScrollBar()->setValue(down);
            view->horizontalScrollBar()->setValue(across);
        };
        scroll();
        QTimer::singleShot(0, view, scroll);
        return;
    }
    auto* passwordsFrame = dynamic_cast<CVaultoraChildFrame*>(child);
    CLeftView* tree = passwordsFrame ? passwordsFrame->GetLeftView() : nullptr;
    if (!tree || place.folder == kNoFolder)
        return;
    QTreeWidgetItem* item = nullptr;
    if (place.folder == kRootFolder)
        item = tree->GetRootItem();
    else if (place.folder >= 0 && place.folder <= static_cast<int>(AccountKind::Other))
        item = tree->GetFolder(static_cast<AccountKind>(place.folder));
    if (item && place.row >= 0 && place.row < item->childCount())
        item = item->child(place.row);
    if (item)
        tree->setCurrentItem(item);
}

CDocument* FindOpenDocument(const QString& path) {
    CEditorApp* app = GetEditorApp();
    if (!app)
        return nullptr;
    for (const auto& docTemplate : app->GetDocTemplates()) {
        for (CDocument* doc : docTemplate->GetDocuments()) {
            if (!doc->GetPathName().isEmpty() && CEncryptedDocument::SamePath(doc->GetPathName(), path))
                return doc;
        }
    }
    return nullptr;
}

CMDIChildWnd* FrameOf(CDocument* doc) {
    const std::vector<CMDIChildWnd*> frames = doc ? doc->GetFrames() : std::vector<CMDIChildWnd*>{};
    return frames.empty() ? nullptr : frames.front();
}

} // namespace

bool IsReopenDocumentsOn() {
    CWinApp* app = AfxGetApp();
    return app && app->GetProfileInt(kSettings, kOptionEntry, 0) != 0;
}

void SetReopenDocuments(bool bOn) {
    CWinApp* app = AfxGetApp();
    if (!app)
        return;
    app->WriteProfileInt(kSettings, kOptionEntry, bOn ? 1 : 0);
    // Off means the paths of the last session have no business staying in the profile.
    if (!bOn)
        WriteList({}, -1);
}

void RememberOpenDocuments(CMainFrame& frame) {
    if (!IsReopenDocumentsOn() || frame.ScreenLock().IsMarkedForReplay(ID_FILE_REOPEN_LAST_SESSION))
        return;
    std::vector<Place> places;
    std::vector<CDocument*> listed;
    int active = -1;
    CMDIChildWnd* activeChild = frame.MDIGetActive();
    for (QMdiSubWindow* sub : frame.MDIClient()->subWindowList(QMdiArea::CreationOrder)) {
        auto* child = dynamic_cast<CMDIChildWnd*>(sub);
        CDocument* doc = child ? child->GetActiveDocument() : nullptr;
        if (!doc || doc->GetPathName().isEmpty() || std::find(listed.begin(), listed.end(), doc) != listed.end())
            continue;
        // A file deleted on disk would only come back as a note that it is gone.
        if (!QFileInfo(doc->GetPathName()).isFile())
            continue;
        listed.push_back(doc);
        Place place;
        place.path = doc->GetPathName();
        TakePlace(child, doc, place);
        if (child == activeChild)
            active = static_cast<int>(places.size());
        places.push_back(place);
    }
    WriteList(places, active);
}

bool HasDocumentsToReopen() {
    if (!IsReopenDocumentsOn())
        return false;
    int active = -1;
    return !ReadList(active).empty();
}

QString GoneFilesNote(const QStringList& names) {
    if (names.isEmpty())
        return QString();
    if (names.size() == 1)
        return QStringLiteral("Could not reopen %1: the file is gone.").arg(names.front());
    if (names.size() <= 3)
        return QStringLiteral("Could not reopen %1: the files are gone.").arg(names.join(QStringLiteral(", ")));
    return QStringLiteral("Could not reopen %1 documents: their files are gone.").arg(names.size());
}

void ReopenDocuments(CMainFrame& frame) {
    CEditorApp* app = GetEditorApp();
    if (!app || !IsReopenDocumentsOn())
        return;
    int active = -1;
    const std::vector<Place> places = ReadList(active);
    QStringList gone;
    CDocument* activeDoc = nullptr;
    // Put back once all are open: each window that opens may still resize the others (a maximised one
    // maximises them all), and a resize lays a text out anew.
    std::vector<std::pair<QPointer<CDocument>, Place>> opened;
    const auto putBack = [&opened] {
        for (const auto& [doc, place] : opened) {
            if (doc)
                PutBack(FrameOf(doc), doc, place);
        }
    };
    for (size_t i = 0; i < places.size(); ++i) {
        // Nothing that names a file is asked over the locked screen: the rest waits for the unlock (the
        // documents opened by then are left as they are).
        if (frame.m_bLocked) {
            frame.ScreenLock().MarkForReplay(ID_FILE_REOPEN_LAST_SESSION);
            putBack();
            return;
        }
        const Place& place = places[i];
        CDocument* doc = FindOpenDocument(place.path);
        if (!doc) {
            if (!QFileInfo::exists(place.path)) {
                gone << CEncryptedDocument::BareFileName(place.path);
                continue;
            }
            doc = app->OpenDocumentFile(place.path);
            if (!doc) {
                // A prompt the lock closed is asked again after the unlock; a Cancel skips the document.
                if (frame.m_bLocked) {
                    frame.ScreenLock().MarkForReplay(ID_FILE_REOPEN_LAST_SESSION);
                    putBack();
                    return;
                }
                continue;
            }
            opened.emplace_back(doc, place);
        }
        if (static_cast<int>(i) == active)
            activeDoc = doc;
    }
    if (CMDIChildWnd* child = FrameOf(activeDoc)) {
        if (QMdiArea* area = child->mdiArea())
            area->setActiveSubWindow(child);
    }
    putBack();
    if (!gone.isEmpty())
        frame.SetStatusPaneText(0, GoneFilesNote(gone));
}
