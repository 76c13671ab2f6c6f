#pragma once

// What the tests of the whole editor share: an editor whose two document types record what is
// done to them instead of reading files, and the settings it keeps.

#include "../framework/FrameworkFixtures.h"
#include "common/GuiTestEnv.h"

#include "res/resource.h"
#include "shell/EditorApp.h"

class RecordingEditorApp : public CEditorApp {
protected:
    void RegisterDocTemplates() override {
        m_pTextTemplate =
            AddDocTemplate(CMultiDocTemplate::Make<RecordingDoc, RecordingChild, RecordingView>(IDR_ETXTYPE));
        m_pPasswordsTemplate =
            AddDocTemplate(CMultiDocTemplate::Make<RecordingDoc, RecordingChild, RecordingView>(IDR_KVDTYPE));
    }
};

// The editor's settings file (in the test's throwaway configuration folder).
inline QSettings Profile() {
    return GuiTestEnv::Profile();
}
