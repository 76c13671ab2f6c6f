#include "framework/CmdTarget.h"

bool CCmdTarget::OnCmdMsg(int nID) {
    auto it = m_commandMap.find(nID);
    if (it == m_commandMap.end() || !it->second.handler)
        return false;
    // The handler may end the life of this target (Close); keep a copy of the callable.
    Handler handler = it->second.handler;
    handler();
    return true;
}

bool CCmdTarget::OnUpdateCmdUI(int nID, CCmdUI& cmdUI) {
    auto it = m_commandMap.find(nID);
    if (it == m_commandMap.end())
        return false;
    if (it->second.update)
        it->second.update(cmdUI);
    else
        cmdUI.Enable(true);
    return true;
}

void CCmdTarget::MapCommand(int nID, Handler handler, UpdateHandler update) {
    m_commandMap[nID] = Entry{std::move(handler), std::move(update)};
}

void CCmdTarget::MapUpdate(int nID, UpdateHandler update) {
    m_commandMap[nID].update = std::move(update);
}
