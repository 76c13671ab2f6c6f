#pragma once

#include "framework/CmdUI.h"

#include <functional>
#include <map>

// An object that can carry out commands. Each target keeps its own command map (id -> handler,
// optional update handler); the frames route an id along a chain of targets until one handles it.
class CCmdTarget {
public:
    using Handler = std::function<void()>;
    using UpdateHandler = std::function<void(CCmdUI&)>;

    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    // Carries out the command when this target has a handler for it.
    virtual bool OnCmdMsg(int nID);

    // Fills the command's state when this target has a handler for it. A handler without an
    // update handler means "enabled"; an update handler alone decides the state by itself.
    virtual bool OnUpdateCmdUI(int nID, CCmdUI& cmdUI);

    bool HasCommand(int nID) const { return m_commandMap.count(nID) != 0; }

protected:
    void MapCommand(int nID, Handler handler, UpdateHandler update = {});
    void MapUpdate(int nID, UpdateHandler update);
    void UnmapCommand(int nID) { m_commandMap.erase(nID); }

private:
    struct Entry {
        Handler handler;
        UpdateHandler update;
    };
    std::map<int, Entry> m_commandMap;
};
