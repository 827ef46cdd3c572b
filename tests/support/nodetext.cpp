#include "support/nodetext.h"

#include "engine/modshortestpath.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>

namespace rundel::test {

std::string node_text(const Points& points, const std::string& eol) {
    std::string text = "NAME: generated" + eol + "TYPE: TSP" + eol + "NODE_COORD_SECTION" + eol;
    char line[96];
    for (std::size_t i = 0; i < points.size(); ++i) {
        std::snprintf(line, sizeof line, "%zu %.9g %.9g", i + 1,
                      static_cast<double>(points[i].first), static_cast<double>(points[i].second));
        text += line;
        text += eol;
    }
    return text + "EOF" + eol;
}

std::string tsplib_text(const std::string& name) {
    auto text = engine::ModShortestPath::load_nodefile(std::string(RUNDEL_TSPLIB_DIR) + "/" + name);
    EXPECT_TRUE(text) << name << ": " << text.error();
    return text ? std::move(text).value() : std::string();
}

double tour_length(const engine::ModShortestPath& engine, bool rounded) {
    const auto& tour = engine.tour();
    const auto& nodes = engine.nodes();
    const auto at = [&](std::int32_t p) {
        return nodes[static_cast<std::size_t>(tour[static_cast<std::size_t>(p)])];
    };
    double length = 0;
    for (std::int32_t p = 1; p <= engine.tour_count(); ++p) {
        const auto& a = at(p);
        const auto& b = at(p == engine.tour_count() ? 1 : p + 1);
        const double leg =
            std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
        length += rounded ? std::nearbyint(leg) : leg;
    }
    return length;
}

bool visits_every_node_once(const engine::ModShortestPath& engine) {
    std::vector<bool> seen(static_cast<std::size_t>(engine.node_count()) + 1, false);
    EXPECT_EQ(engine.tour_count(), engine.node_count());
    for (std::int32_t p = 1; p <= engine.tour_count(); ++p) {
        const auto node = engine.tour()[static_cast<std::size_t>(p)];
        if (node < 1 || node > engine.node_count() || seen[static_cast<std::size_t>(node)]) {
            ADD_FAILURE() << "node " << node << " at position " << p;
            return false;
        }
        seen[static_cast<std::size_t>(node)] = true;
    }
    return engine.tour_count() == engine.node_count();
}

std::string test_name(const std::string& text) {
    std::string name = text;
    for (char& c : name) {
        c = std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
    }
    return name;
}

} // namespace rundel::test
