#pragma once

#include "bridge/mappage.h"
#include "editing/nodelisteditor.h"
#include "engine/modshortestpath.h"
#include "session/enginepanel.h"
#include "session/routesession.h"
#include "session/sessionlists.h"
#include "support/fakepage.h"
#include "support/scripteddialogs.h"

namespace rundel::test {

/// A session over a fake page: the lists, the engine, solving and publishing, and the node
/// list editor, with a node-data folder of the test's choosing.
struct SessionScene {
    explicit SessionScene(const QString& node_folder = QStringLiteral("/nonexistent"))
        : route(map, lists, panel, dialogs, node_folder) {}

    FakePage page;
    bridge::MapPage map{page};
    ScriptedDialogs dialogs;
    engine::ModShortestPath engine;
    session::SessionLists lists;
    session::EnginePanel panel{dialogs};
    session::RouteSession route;
    editing::NodeListEditor editor{map, lists, route, dialogs};
};

} // namespace rundel::test
