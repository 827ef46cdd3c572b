#pragma once

namespace rundel::engine {

/// One node of the node table.
struct NodeRec {
    float x = 0.0F;           ///< first coordinate, as written in the node file
    float y = 0.0F;           ///< second coordinate, as written in the node file
    bool visited = false;     ///< already placed in the tour
    float centre_dist = 0.0F; ///< distance from the centre of gravity of all nodes
};

} // namespace rundel::engine
